#include "runtime/audio/audio_service.h"

#include "runtime/audio/audio_state.h"
#include "runtime/audio/music.h"
#include "runtime/audio/sound_effects.h"
#include "runtime/audio/sound_slots.h"
#include "runtime/core/error_log.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/sound_mixer_recorder.h"

namespace {
// Every copy of every slot a command can reach has its own channel.
constexpr int kMixerChannels = (AudioState::kLastCommandSlot + 1) * AudioState::kMaxCopies;
}  // namespace

AudioState& Audio() {
  static AudioState state;
  return state;
}

void AudioStart() {
  std::unique_ptr<plat::SoundMixer> mixer = plat::OpenSdlSoundMixer(kMixerChannels);
  if (mixer) {
    AudioStartWith(std::move(mixer));
    return;
  }
  // A program that waits for a sound to end (a menu holding its confirm
  // sound) must behave the same on a machine without sound: otherwise a
  // key still held when the wait ends at once is seen by the next screen.
  AppendErrorLog("No sound device");
  AudioStartWith(
      plat::SilentSoundMixer(kMixerChannels, [] { return plat::ActiveClock().NowMs(); }));
  Audio().noDevice = true;
}

void AudioStartWith(std::unique_ptr<plat::SoundMixer> mixer) {
  AudioShutdown();
  AudioState& a = Audio();
  a.mixer = std::move(mixer);
  a.noDevice = a.mixer == nullptr;
  a.slots.assign(AudioState::kSlotRecords, SoundSlot{});
}

void AudioWindowChanged(const WindowChange&) {}

void AudioFrame() {
  ServiceMusicLoop();
}

void AudioStopMusic() {
  StopMusic();
}

void AudioShutdown() {
  AudioState& a = Audio();
  StopMusic();
  for (int slot = static_cast<int>(a.slots.size()) - 1; slot >= 0; --slot) ReleaseSlot(slot);
  a.slots.clear();
  a.mixer.reset();
  a.musicName.clear();
}

bool AudioTakePauseRelease() {
  AudioState& a = Audio();
  const bool asked = a.pauseReleaseAsked;
  a.pauseReleaseAsked = false;
  return asked;
}
