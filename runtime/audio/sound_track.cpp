#include "runtime/audio/sound_track.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTrackRate = 22050;  // the mixer's rate (plat::kMixerRate)

int16_t Clip(int32_t v) {
  return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767));
}

}  // namespace

float SoundTrack::Gain(int millibels) {
  // The bottom of the scale is silence, as on the device.
  if (millibels <= -10000) return 0.0f;
  return static_cast<float>(std::pow(10.0, millibels / 2000.0));
}

int64_t SoundTrack::FramesBefore(int64_t frame, int fps) {
  if (frame <= 0 || fps <= 0) return 0;
  return frame * kTrackRate / fps;
}

void SoundTrack::Play(int channel, int sound, Samples samples, int gainMb, int pan) {
  if (!samples || samples->size() < 2) {
    voices_.erase(channel);
    return;
  }
  Voice v;
  v.sound = sound;
  v.samples = std::move(samples);
  // The device's rule: each side loses what the pan takes from it.
  v.left = Gain(gainMb - std::max(pan, 0));
  v.right = Gain(gainMb - std::max(-pan, 0));
  voices_[channel] = std::move(v);
}

void SoundTrack::Stop(int channel) {
  voices_.erase(channel);
}

void SoundTrack::FreeSound(int sound) {
  std::erase_if(voices_, [sound](const auto& entry) { return entry.second.sound == sound; });
}

void SoundTrack::OpenMusic(Samples samples) {
  music_ = std::move(samples);
  musicAt_ = 0;
  musicPlaying_ = false;
  musicStartedSinceOpen_ = false;
  musicLoops_ = false;
}

void SoundTrack::StartMusic() {
  if (musicStartedSinceOpen_ && musicPlaying_) {
    musicLoops_ = true;
    return;
  }
  musicStartedSinceOpen_ = true;
  musicPlaying_ = true;
  musicAt_ = 0;
}

void SoundTrack::CloseMusic() {
  music_.reset();
  musicPlaying_ = false;
  musicStartedSinceOpen_ = false;
  musicLoops_ = false;
  musicAt_ = 0;
}

void SoundTrack::SetMusicVolume(int volume) {
  // The music player's own 129 steps, so the track sounds as a player does.
  const int steps = (std::clamp(volume, 0, 1000) * 128 + 500) / 1000;
  musicVolume_ = static_cast<float>(steps) / 128.0f;
}

bool SoundTrack::Active() const {
  return !voices_.empty() || (musicPlaying_ && music_ && !music_->empty());
}

void SoundTrack::Mix(int16_t* out, int frames) {
  if (frames <= 0) return;
  const size_t count = static_cast<size_t>(frames) * 2;
  sum_.assign(count, 0);
  for (auto it = voices_.begin(); it != voices_.end();) {
    Voice& v = it->second;
    const std::vector<int16_t>& s = *v.samples;
    const size_t n = std::min(count, (s.size() & ~size_t{1}) - v.at);
    for (size_t i = 0; i < n; i += 2) {
      sum_[i] += static_cast<int32_t>(std::nearbyint(s[v.at + i] * v.left));
      sum_[i + 1] += static_cast<int32_t>(std::nearbyint(s[v.at + i + 1] * v.right));
    }
    v.at += n;
    it = v.at + 1 >= s.size() ? voices_.erase(it) : std::next(it);
  }
  if (musicPlaying_ && music_ && music_->size() >= 2) {
    const std::vector<int16_t>& s = *music_;
    const size_t length = s.size() & ~size_t{1};
    size_t i = 0;
    while (i < count && musicPlaying_) {
      if (musicAt_ >= length) {
        if (!musicLoops_) {
          musicPlaying_ = false;
          break;
        }
        musicAt_ = 0;
      }
      const size_t n = std::min(count - i, length - musicAt_);
      for (size_t k = 0; k < n; ++k) {
        sum_[i + k] += static_cast<int32_t>(std::nearbyint(s[musicAt_ + k] * musicVolume_));
      }
      i += n;
      musicAt_ += n;
    }
  } else if (musicPlaying_) {
    // A piece that could not be decoded plays as silence that has ended.
    musicPlaying_ = false;
  }
  for (size_t i = 0; i < count; ++i) out[i] = Clip(sum_[i]);
}
