// The audio subsystem's one record: the mixer, the sound slot table and the
// music state.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/sound_mixer.h"

// One numbered sound: up to four copies of the same samples, each on its own
// mixer channel so that the sound can overlap itself.
struct SoundSlot {
  int32_t copies = 0;       // 0 when empty, else 1..kMaxCopies
  int32_t currentCopy = 0;  // the copy played last
  std::string fileName;     // the resolved name it was loaded from
  int chunk = -1;           // the mixer's chunk, shared by every copy
};

struct AudioState {
  static constexpr int kSlotRecords = 2048;
  // Commands reach slots 0..kLastCommandSlot; a higher number means the last.
  static constexpr int kLastCommandSlot = 127;
  static constexpr int kMaxCopies = 4;

  // Null when the sound layer has no mixer at all (a program's own choice):
  // loads leave slots empty and plays return -1. A missing device gets a
  // silent mixer that keeps the sounds' time instead (AudioStart).
  std::unique_ptr<plat::SoundMixer> mixer;
  // No sound device is behind the mixer (silent, or none at all).
  bool noDevice = false;
  std::vector<SoundSlot> slots;

  // ---- music ----
  bool musicOpen = false;
  // TimerNow() at which a looping piece is restarted; 0 when not looping.
  double loopDeadline = 0;
  // The last volume set; -1 for none since the last PlayMusic/StopMusic.
  double rememberedVolume = -1;
  std::string musicName;
  // An archived piece is played from a temporary file that the audio
  // subsystem owns (so resolving another name cannot delete it under the
  // player); deleted when the music stops.
  std::string musicTempFile;

  // Music started while the application had the focus: the frame ends its
  // pause (AudioTakePauseRelease).
  bool pauseReleaseAsked = false;
};

AudioState& Audio();

// Mixer channel of a slot's copy.
inline int ChannelOf(int slot, int copy) {
  return slot * AudioState::kMaxCopies + copy;
}
