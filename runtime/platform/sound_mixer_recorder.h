// A sound mixer that plays nothing and remembers everything it was asked to
// do, for tests and for machines without a sound device. Channels keep
// "playing" until the owner finishes them, or, given a clock, until their
// length has passed on it; music reports the length, the position and the
// end the owner scripts.
#pragma once

#include <functional>
#include <map>
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

  int ChannelCount() const override { return channelCount_; }
  int AddChunk(std::vector<uint8_t> samples) override;
  void FreeChunk(int chunk) override;
  bool Play(int channel, int chunk, int gainMb, int pan) override;
  void Stop(int channel) override;
  bool Playing(int channel) override;

  bool OpenMusic(const std::string& path) override;
  void CloseMusic() override;
  bool StartMusic() override;
  double MusicLengthMs() override { return musicOpen_ ? musicLengthMs : -1; }
  double MusicPositionMs() override { return musicOpen_ ? musicPositionMs : 0; }
  bool MusicActive() override { return musicOpen_ && musicStarted_ && !musicAtEnd; }
  void SetMusicVolume(int volume) override;
  // Nothing is mixed, so there is nothing to observe.
  void SetOutputObserver(OutputObserver) override {}

 private:
  struct Chunk {
    std::vector<uint8_t> samples;
    bool live = false;
  };
  int channelCount_;
  std::vector<Chunk> chunks_;
  std::vector<int> channelChunk_ = std::vector<int>(static_cast<size_t>(channelCount_), -1);
  std::set<int> playing_;
  std::function<double()> clock_;
  std::map<int, double> endsAt_;  // clock time a channel's sound runs out
  bool musicOpen_ = false;
  bool musicStarted_ = false;
};

}  // namespace plat
