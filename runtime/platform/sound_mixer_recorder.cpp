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

void RecordingSoundMixer::Record(const Event& e) {
  if (keepEvents) events.push_back(e);
}

void RecordingSoundMixer::PlayThrough(std::unique_ptr<SoundMixer> device) {
  if (device_) {
    for (Chunk& c : chunks_) {
      if (c.deviceChunk >= 0) device_->FreeChunk(c.deviceChunk);
      c.deviceChunk = -1;
    }
    if (deviceMusicOpen_) device_->CloseMusic();
  }
  deviceMusicOpen_ = false;
  device_ = std::move(device);
  if (!device_) return;
  // Sounds loaded before are heard too.
  for (Chunk& c : chunks_) {
    if (c.live) c.deviceChunk = device_->AddChunk(c.samples);
  }
}

int RecordingSoundMixer::AddChunk(std::vector<uint8_t> samples) {
  if (samples.empty()) return -1;
  // A device that refuses the samples only means this sound is not heard.
  const int deviceChunk = device_ ? device_->AddChunk(samples) : -1;
  chunks_.push_back({std::move(samples), true, deviceChunk});
  return static_cast<int>(chunks_.size() - 1);
}

void RecordingSoundMixer::FreeChunk(int chunk) {
  if (chunk < 0 || static_cast<size_t>(chunk) >= chunks_.size()) return;
  for (int ch = 0; ch < channelCount_; ++ch) {
    if (channelChunk_[static_cast<size_t>(ch)] == chunk) playing_.erase(ch);
  }
  Chunk& c = chunks_[static_cast<size_t>(chunk)];
  if (device_ && c.deviceChunk >= 0) device_->FreeChunk(c.deviceChunk);
  c = Chunk{};
}

bool RecordingSoundMixer::Play(int channel, int chunk, int gainMb, int pan) {
  if (channel < 0 || channel >= channelCount_ || ChunkSamples(chunk).empty()) return false;
  Event e(Event::kPlay);
  e.channel = channel;
  e.chunk = chunk;
  e.gainMb = gainMb;
  e.pan = pan;
  Record(e);
  const int deviceChunk = chunks_[static_cast<size_t>(chunk)].deviceChunk;
  if (device_ && deviceChunk >= 0 && channel < device_->ChannelCount()) {
    device_->Play(channel, deviceChunk, gainMb, pan);
  }
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
  Record(e);
  if (device_ && channel >= 0 && channel < device_->ChannelCount()) device_->Stop(channel);
  playing_.erase(channel);
}

bool RecordingSoundMixer::OpenMusic(const std::string& path) {
  CloseMusic();
  Event e(Event::kOpenMusic);
  e.path = path;
  Record(e);
  if (musicOpened) musicOpened(path);
  // Like a real player, a file that is not there cannot be opened.
  const int fd = OpenRegularFile(path);
  if (fd >= 0) ::close(fd);
  musicOpen_ = fd >= 0 && !musicOpenFails;
  musicStarted_ = false;
  // The device's own refusal leaves the piece unheard, not unopened: what
  // the program is told must not depend on the device.
  if (musicOpen_ && device_) deviceMusicOpen_ = device_->OpenMusic(path);
  return musicOpen_;
}

void RecordingSoundMixer::CloseMusic() {
  if (!musicOpen_) return;
  Record(Event(Event::kCloseMusic));
  if (DeviceHasMusic()) device_->CloseMusic();
  deviceMusicOpen_ = false;
  musicOpen_ = false;
  musicStarted_ = false;
}

bool RecordingSoundMixer::StartMusic() {
  if (!musicOpen_) return false;
  Record(Event(Event::kStartMusic));
  if (DeviceHasMusic()) device_->StartMusic();
  musicStarted_ = true;
  musicAtEnd = false;
  musicPositionMs = 0;
  return true;
}

double RecordingSoundMixer::MusicLengthMs() {
  if (!musicOpen_) return -1;
  return DeviceHasMusic() ? device_->MusicLengthMs() : musicLengthMs;
}

double RecordingSoundMixer::MusicPositionMs() {
  if (!musicOpen_) return 0;
  return DeviceHasMusic() ? device_->MusicPositionMs() : musicPositionMs;
}

bool RecordingSoundMixer::MusicActive() {
  if (!musicOpen_ || !musicStarted_) return false;
  return DeviceHasMusic() ? device_->MusicActive() : !musicAtEnd;
}

void RecordingSoundMixer::SetMusicVolume(int volume) {
  Event e(Event::kMusicVolume);
  e.value = volume;
  Record(e);
  if (device_) device_->SetMusicVolume(volume);
}

void RecordingSoundMixer::SetOutputObserver(OutputObserver observer) {
  if (device_) device_->SetOutputObserver(std::move(observer));
}

std::unique_ptr<RecordingSoundMixer> SilentSoundMixer(int channels, std::function<double()> nowMs) {
  auto mixer = std::make_unique<RecordingSoundMixer>(channels);
  mixer->keepEvents = false;
  mixer->musicOpenFails = true;
  mixer->EndSoundsByClock(std::move(nowMs));
  return mixer;
}

}  // namespace plat
