// The sound mixer: short effects held whole in memory and played on
// numbered channels, plus one streamed music piece. The runtime reaches the
// sound device only through this interface; the SDL_mixer backend is the
// real one, the recording backend (sound_mixer_recorder.h) stands in for it
// where nothing may be heard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// Every effect is converted to this one format before it reaches a channel:
// 22,050 frames a second, signed 16-bit native-endian, stereo interleaved.
constexpr int kMixerRate = 22050;
constexpr int kMixerChannels = 2;
constexpr int kMixerFrameBytes = 4;
// Frames per device buffer: 512 frames are 23 ms at 22,050 Hz.
constexpr int kMixerBufferFrames = 512;

// The layout of sample bytes as a wave file stores them (little-endian,
// interleaved).
struct PcmLayout {
  enum class Encoding { kUnsigned8, kSigned16, kSigned24, kSigned32, kFloat32 };
  Encoding encoding = Encoding::kSigned16;
  int channels = 1;  // 1..8; more than two are mixed down to stereo
  int rate = 0;      // frames per second
};

// Converts whole frames of source PCM to the mixer format (rate, sample type
// and channel count). False for a layout the converter cannot take.
bool ConvertToMixerFormat(const PcmLayout& from, const uint8_t* bytes, size_t byteCount,
                          std::vector<uint8_t>& out);

class SoundMixer {
 public:
  virtual ~SoundMixer() = default;

  // ---- effects ----
  // Channels 0..ChannelCount()-1 exist for the life of the mixer.
  virtual int ChannelCount() const = 0;
  // Takes samples in the mixer format; returns a chunk id (>= 0) that any
  // number of channels may play at once, or -1.
  virtual int AddChunk(std::vector<uint8_t> samples) = 0;
  // Stops every channel playing the chunk, then frees it.
  virtual void FreeChunk(int chunk) = 0;
  // Starts chunk from its first sample on channel, once. gainMb is the
  // volume in hundredths of a decibel (0 unchanged, -10000 silent); pan
  // -10000..10000 attenuates the opposite side by |pan| hundredths of a dB.
  // A channel that is playing is cut off first.
  virtual bool Play(int channel, int chunk, int gainMb, int pan) = 0;
  // Stops the channel; its next play starts from the beginning.
  virtual void Stop(int channel) = 0;
  virtual bool Playing(int channel) = 0;

  // ---- music: one piece at a time, streamed from a file ----
  virtual bool OpenMusic(const std::string& path) = 0;
  // Stops and forgets the piece (nothing when none is open).
  virtual void CloseMusic() = 0;
  // Plays the open piece from its start, once.
  virtual bool StartMusic() = 0;
  // Length and position in milliseconds; the length is negative when the
  // stream cannot tell it.
  virtual double MusicLengthMs() = 0;
  virtual double MusicPositionMs() = 0;
  // True until the piece has played to its end (or was never started).
  virtual bool MusicActive() = 0;
  // 0..1000, 1000 being the piece as recorded.
  virtual void SetMusicVolume(int volume) = 0;

  // ---- output tap ----
  // Called on the mixer's own thread with every finished buffer (mixer
  // format, frames of two samples) before it goes to the device; empty
  // removes it. For measurements; it must not call back into the mixer.
  using OutputObserver = std::function<void(const int16_t* samples, int frames)>;
  virtual void SetOutputObserver(OutputObserver observer) = 0;
};

// Opens the system's sound device through SDL_mixer in the mixer format
// with `channels` effect channels. Null when there is no usable device.
std::unique_ptr<SoundMixer> OpenSdlSoundMixer(int channels);

// Whether one of the program's windows holds the keyboard focus.
bool ApplicationHasFocus();

}  // namespace plat
