// A sound mixer that remembers everything it was asked to do, for tests,
// deterministic runs and machines without a sound device. Channels keep
// "playing" until the owner finishes them, or, given a clock, until their
// length has passed on it; music reports the length, the position and the
// end the owner scripts. It plays nothing itself, but can pass everything
// on to a real mixer so that a run is heard while its answers stay the
// recorder's.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "runtime/platform/sound_mixer.h"

namespace plat {

class RecordingSoundMixer final : public SoundMixer {
 public:
  struct Event {
    enum Kind { kPlay, kStop, kOpenMusic, kStartMusic, kCloseMusic, kMusicVolume };
    explicit Event(Kind k) : kind(k) {}
    Kind kind;
    int channel = -1;
    int chunk = -1;
    int gainMb = 0;
    int pan = 0;
    int value = 0;  // music volume
    std::string path;
  };

  explicit RecordingSoundMixer(int channels) : channelCount_(channels) {}

  // ---- what was sent ----
  std::vector<Event> events;
  // False: nothing is appended to events (a mixer that only stands in for a
  // missing device would otherwise grow for as long as the program runs).
  bool keepEvents = true;
  std::vector<Event> EventsOf(Event::Kind kind) const;
  // Sample bytes of a live chunk (empty when freed or unknown).
  const std::vector<uint8_t>& ChunkSamples(int chunk) const;
  int LiveChunks() const;

  // ---- script ----
  // A playing channel ends as if its sound ran out.
  void Finish(int channel) { playing_.erase(channel); }
  // With a clock (milliseconds), a sound started from now on stops playing
  // once its length has passed on that clock, as a real device would; empty
  // returns to ends by Finish only.
  void EndSoundsByClock(std::function<double()> nowMs) { clock_ = std::move(nowMs); }
  // Length of a chunk's samples in milliseconds.
  static double LengthMs(const std::vector<uint8_t>& samples);
  // A sound counts as ended this much before its length has passed on the
  // clock: a clock that adds frame times meets a length that is a whole
  // number of frames a rounding error early or late.
  static constexpr double kEndToleranceMs = 1e-6;
  // Music: what the next opened piece reports.
  bool musicOpenFails = false;
  double musicLengthMs = 0;
  double musicPositionMs = 0;
  bool musicAtEnd = false;
  // Called with the file of every piece asked to open (once per
  // kOpenMusic event, in order), while the file is still there: an
  // archived piece's temporary file may be gone by the end of the frame.
  std::function<void(const std::string& path)> musicOpened;

  // Everything played from now on is also played on device, so it is
  // heard. Whether a sound still plays stays the recorder's answer (its
  // clock decides, however the device keeps time); the music's length,
  // position and end are the device's while it has the piece open, since
  // only it knows them. Null stops passing things on.
  void PlayThrough(std::unique_ptr<SoundMixer> device);
  bool PlaysThrough() const { return device_ != nullptr; }

  int ChannelCount() const override { return channelCount_; }
  int AddChunk(std::vector<uint8_t> samples) override;
  void FreeChunk(int chunk) override;
  bool Play(int channel, int chunk, int gainMb, int pan) override;
  void Stop(int channel) override;
  bool Playing(int channel) override;

  bool OpenMusic(const std::string& path) override;
  void CloseMusic() override;
  bool StartMusic() override;
  double MusicLengthMs() override;
  double MusicPositionMs() override;
  bool MusicActive() override;
  void SetMusicVolume(int volume) override;
  // Only a device played through mixes anything to observe.
  void SetOutputObserver(OutputObserver observer) override;

 private:
  struct Chunk {
    std::vector<uint8_t> samples;
    bool live = false;
    int deviceChunk = -1;  // the same samples on the device played through
  };
  void Record(const Event& e);
  bool DeviceHasMusic() const { return device_ && deviceMusicOpen_; }

  int channelCount_;
  std::vector<Chunk> chunks_;
  std::vector<int> channelChunk_ = std::vector<int>(static_cast<size_t>(channelCount_), -1);
  std::set<int> playing_;
  std::function<double()> clock_;
  std::map<int, double> endsAt_;  // clock time a channel's sound runs out
  bool musicOpen_ = false;
  bool musicStarted_ = false;
  std::unique_ptr<SoundMixer> device_;
  bool deviceMusicOpen_ = false;
};

// What stands in for a sound device that did not open: nothing is heard,
// but every sound plays for its length on nowMs, so a program that waits
// for a sound waits as long as it would with a device. No music opens
// (nothing here could tell its length), and no events are kept.
std::unique_ptr<RecordingSoundMixer> SilentSoundMixer(int channels, std::function<double()> nowMs);

}  // namespace plat
