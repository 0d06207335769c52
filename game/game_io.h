// What the game asks of the machine: keys, the frame step, sprites, fonts,
// primitives and sound. The game calls these instead of the runtime's
// commands directly so that its rules can run against a stand-in (tests, the
// room atlas) as well as against the runtime (runtime_io.cpp).
//
// Numbers arrive as the game keeps them (doubles); where the runtime takes an
// integer the implementation truncates toward zero.
#pragma once

#include "runtime/runtime.h"

namespace zelvo {

class GameIo {
 public:
  virtual ~GameIo() = default;

  // Keys, by scan code: true while held (or tapped since last asked).
  virtual bool KeyDown(int scanCode) = 0;

  // Frames and time.
  virtual void EndFrame() = 0;
  // Milliseconds between the last two frames.
  virtual double FrameTime() = 0;
  // Milliseconds since start.
  virtual double ElapsedTime() = 0;
  virtual void End() = 0;

  // Sprites and backgrounds.
  virtual void SpriteFromFile(const RtString& file, double slot) = 0;
  virtual void AnimationFromFile(const RtString& file, double slot, double frameWidth,
                                 double frameHeight) = 0;
  virtual void FreeSprite(double slot) = 0;
  // Loads the picture as the background that every frame starts from.
  virtual void BackgroundFromFile(const RtString& file) = 0;
  // Reads and prepares a picture for a later SpriteFromFile or
  // BackgroundFromFile of it, which then costs no decoding (the Loading
  // screen does this so that play never stalls on a picture).
  virtual void PreloadSprite(const RtString& file) = 0;
  virtual void PreloadBackground(const RtString& file) = 0;
  // Cross-fades from the screen as it stands to the picture over 1500 ms of
  // frames, then keeps the picture as the background.
  virtual void FadeToImage(const RtString& file) = 0;
  virtual void CopyScreenToSprite(double slot, double x, double y, double width, double height) = 0;
  virtual void PutSprite(double slot, double x, double y) = 0;
  virtual void PutAnimationFrame(double slot, double frame, double x, double y) = 0;
  virtual void SetBlendMode(double value) = 0;
  virtual bool AnimationFramesOverlap(double slot1, double frame1, double x1, double y1,
                                      double slot2, double frame2, double x2, double y2) = 0;
  virtual void FillRect(double x, double y, double width, double height, int colour) = 0;
  virtual void ClearScreen() = 0;
  virtual void SetColourKey(int colour) = 0;
  // Writes the screen as it stands to a picture file.
  virtual bool ScreenToFile(const RtString& file) = 0;

  // Fonts and text.
  virtual void FontFromFile(const RtString& file, int font) = 0;
  virtual void SelectFont(int font) = 0;
  virtual void DrawText(const RtString& text, double x, double y) = 0;
  virtual void DrawNumber(double value, double x, double y) = 0;

  // Sound effects and music.
  virtual void LoadSound(const RtString& file, double slot) = 0;
  // Returns the channel of the started copy, -1 when nothing started.
  virtual int PlaySound(double slot, double volume) = 0;
  virtual bool SoundPlaying(int channel) = 0;
  virtual void PlayMusic(const RtString& file, bool loop) = 0;
  virtual void StopMusic() = 0;
  virtual void SetMusicVolume(double volume) = 0;
};

// The implementation in use: the program installs the runtime's at start, a
// test its own stand-in.
GameIo& Io();
// Installs io (not owned).
void SetIo(GameIo* io);

// The runtime-backed implementation (runtime_io.cpp).
GameIo& RuntimeIo();

}  // namespace zelvo
