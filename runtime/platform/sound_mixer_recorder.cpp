#include "runtime/platform/sound_mixer_recorder.h"

#include <unistd.h>

#include <cstdio>

#include "runtime/platform/whole_file.h"

namespace plat {

std::vector<RecordingSoundMixer::Event> RecordingSoundMixer::EventsOf(Event::Kind kind) const {
  std::vector<Event> out;
  for (const Event& e : events) {
    if (e.kind == kind) out.push_back(e);
  }
  return out;
}

const std::vector<uint8_t>& RecordingSoundMixer::ChunkSamples(int chunk) const {
  static const std::vector<uint8_t> kNone;
  if (chunk < 0 || static_cast<size_t>(chunk) >= chunks_.size()) return kNone;
  const Chunk& c = chunks_[static_cast<size_t>(chunk)];
  return c.live ? c.samples : kNone;
}

int RecordingSoundMixer::LiveChunks() const {
  int n = 0;
  for (const Chunk& c : chunks_) n += c.live ? 1 : 0;
  return n;
}

int RecordingSoundMixer::AddChunk(std::vector<uint8_t> samples) {
  if (samples.empty()) return -1;
  chunks_.push_back({std::move(samples), true});
  return static_cast<int>(chunks_.size() - 1);
}

void RecordingSoundMixer::FreeChunk(int chunk) {
  if (chunk < 0 || static_cast<size_t>(chunk) >= chunks_.size()) return;
  for (int ch = 0; ch < channelCount_; ++ch) {
    if (channelChunk_[static_cast<size_t>(ch)] == chunk) playing_.erase(ch);
  }
  chunks_[static_cast<size_t>(chunk)] = Chunk{};
}

bool RecordingSoundMixer::Play(int channel, int chunk, int gainMb, int pan) {
  if (channel < 0 || channel >= channelCount_ || ChunkSamples(chunk).empty()) return false;
  Event e(Event::kPlay);
  e.channel = channel;
  e.chunk = chunk;
  e.gainMb = gainMb;
  e.pan = pan;
  events.push_back(e);
  channelChunk_[static_cast<size_t>(channel)] = chunk;
  playing_.insert(channel);
  if (clock_) {
    endsAt_[channel] = clock_() + LengthMs(ChunkSamples(chunk));
  } else {
    endsAt_.erase(channel);
  }
  return true;
}

double RecordingSoundMixer::LengthMs(const std::vector<uint8_t>& samples) {
  return static_cast<double>(samples.size() / kMixerFrameBytes) * 1000.0 / kMixerRate;
}

bool RecordingSoundMixer::Playing(int channel) {
  if (playing_.count(channel) == 0) return false;
  auto end = endsAt_.find(channel);
  if (clock_ && end != endsAt_.end() && clock_() >= end->second - kEndToleranceMs) {
    playing_.erase(channel);
    endsAt_.erase(end);
    return false;
  }
  return true;
}

void RecordingSoundMixer::Stop(int channel) {
  Event e(Event::kStop);
  e.channel = channel;
  events.push_back(e);
  playing_.erase(channel);
}

bool RecordingSoundMixer::OpenMusic(const std::string& path) {
  CloseMusic();
  Event e(Event::kOpenMusic);
  e.path = path;
  events.push_back(e);
  if (musicOpened) musicOpened(path);
  // Like a real player, a file that is not there cannot be opened.
  const int fd = OpenRegularFile(path);
  if (fd >= 0) ::close(fd);
  musicOpen_ = fd >= 0 && !musicOpenFails;
  musicStarted_ = false;
  return musicOpen_;
}

void RecordingSoundMixer::CloseMusic() {
  if (!musicOpen_) return;
  events.push_back(Event(Event::kCloseMusic));
  musicOpen_ = false;
  musicStarted_ = false;
}

bool RecordingSoundMixer::StartMusic() {
  if (!musicOpen_) return false;
  events.push_back(Event(Event::kStartMusic));
  musicStarted_ = true;
  musicAtEnd = false;
  musicPositionMs = 0;
  return true;
}

void RecordingSoundMixer::SetMusicVolume(int volume) {
  Event e(Event::kMusicVolume);
  e.value = volume;
  events.push_back(e);
}

}  // namespace plat
