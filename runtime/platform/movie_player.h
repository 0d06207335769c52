// Movie playback into the runtime's own OpenGL context: the player decodes
// and plays the sound itself, and draws each picture into a framebuffer the
// runtime names.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace plat {

// A rectangle in framebuffer pixels, origin at the top-left corner.
struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
};

class MoviePlayer {
 public:
  virtual ~MoviePlayer() = default;
  // Loads the file, paused at its start. False when it cannot be played.
  virtual bool Open(const std::string& path) = 0;
  // The picture size (with its aspect applied); false for a file without
  // pictures (sound only).
  virtual bool VideoSize(int* w, int* h) = 0;
  virtual bool Play() = 0;
  // Back to the start, playing.
  virtual void Restart() = 0;
  // True once the file has played to its end.
  virtual bool Ended() = 0;
  virtual double PositionMs() = 0;
  // Draws the current picture into framebuffer fbo (fboW x fboH, the
  // default framebuffer's orientation), scaled into dest; the rest of the
  // framebuffer turns black.
  virtual void Render(uint32_t fbo, int fboW, int fboH, const PixelRect& dest) = 0;
};

// A libmpv player drawing through the current OpenGL context (which must
// stay current while the player lives). No configuration files, no key
// bindings, no on-screen controller, no window of its own. Null when libmpv
// cannot start.
std::unique_ptr<MoviePlayer> CreateMpvMoviePlayer();

}  // namespace plat
