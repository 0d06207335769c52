// Video files of a program's frames and sound, and sound files decoded to
// the mixer format. The runtime reaches the codec libraries only through
// this interface (FFmpeg's, in video_writer_ffmpeg.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// Writes frames at a fixed 60 a second with a stereo sound track into a
// video file. The file appears under its name only once Finish succeeds;
// until then it is written to a hidden name beside it, and a writer that is
// destroyed unfinished (or fails) removes what it wrote.
class VideoWriter {
 public:
  static constexpr int kFramesPerSecond = 60;
  virtual ~VideoWriter() = default;
  // One picture: RGB bytes, `width` x `height`, rows `rowBytes` apart, the
  // first row the bottom one when bottomUp (as OpenGL reads them). The first
  // frame fixes the video's size: its size times the scale (rounded up to
  // even numbers, which the codecs need); later frames of another size are
  // stretched to it. Every picture is scaled by nearest neighbour.
  virtual bool AddFrame(const uint8_t* rgb, int width, int height, int rowBytes, bool bottomUp) = 0;
  // Sound in the mixer format (kMixerRate frames a second, 16-bit stereo
  // interleaved), following on from the sound before it. Only after the
  // first frame.
  virtual bool AddSound(const int16_t* samples, int frames) = 0;
  // Ends the streams, completes the file and gives it its name.
  virtual bool Finish() = 0;
  // Why the last call failed.
  virtual const std::string& Error() const = 0;
  // Frames added so far.
  virtual long Frames() const = 0;
};

// The container by the name's ending: .mp4 or .mkv (H.264 and AAC) or
// .webm (VP9 and Opus). Creates the hidden file beside `path` at once, so
// that a name that cannot be written fails here, with the reason in error,
// leaving nothing behind; also fails for another ending, a scale outside
// 1..kMaxVideoScale, or codecs the installed libraries lack.
constexpr int kMaxVideoScale = 8;
std::unique_ptr<VideoWriter> CreateVideoWriter(const std::string& path, int scale,
                                               std::string* error);

// Decodes the sound of a media file (MP3, OGG, WAV, ...) whole into the
// mixer format. False with the reason in error; a sound longer than
// maxSeconds is refused rather than filling memory.
bool DecodeSoundFile(const std::string& path, std::vector<int16_t>& samples, std::string* error,
                     double maxSeconds = 3600);

}  // namespace plat
