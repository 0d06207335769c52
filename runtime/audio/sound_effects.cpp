#include "runtime/audio/sound_effects.h"
#include "runtime/audio/sound_slots.h"

#include <cmath>
#include <new>
#include <string>

#include "runtime/audio/audio_state.h"
#include "runtime/audio/wav_parser.h"
#include "runtime/core/load_report.h"
#include "runtime/files/archive.h"
#include "runtime/files/files_service.h"
#include "runtime/platform/sound_mixer_recorder.h"

namespace {

SoundSlot* SlotRecord(int slot) {
  AudioState& a = Audio();
  if (slot < 0 || static_cast<size_t>(slot) >= a.slots.size()) return nullptr;
  return &a.slots[static_cast<size_t>(slot)];
}

const char* WaveProblem(WaveStatus status) {
  switch (status) {
    case WaveStatus::kOk:
      break;
    case WaveStatus::kUnreadable:
      return "the file cannot be read";
    case WaveStatus::kNotRiffWave:
      return "not a wave file (no RIFF WAVE header)";
    case WaveStatus::kNoFormat:
      return "the wave file has no complete format chunk";
    case WaveStatus::kBadFormat:
      return "the wave file's format is invalid";
    case WaveStatus::kNotPcm:
      return "the wave file is compressed; only plain PCM samples play";
    case WaveStatus::kNoData:
      return "the wave file holds no samples";
  }
  return "";
}

// The file's samples as the mixer holds them; false (with the reason in
// problem, when given) when unusable.
bool ReadMixerSamples(const std::string& name, std::vector<uint8_t>& converted,
                      std::string* problem = nullptr) {
  WaveSound wave;
  const WaveStatus status = ReadWaveFile(name.c_str(), wave);
  if (status != WaveStatus::kOk) {
    if (problem) *problem = WaveProblem(status);
    return false;
  }
  // A sound too long for the memory left fails to load like a bad file.
  bool ok = false;
  try {
    ok = plat::ConvertToMixerFormat(wave.layout, wave.samples.data(), wave.samples.size(),
                                    converted) &&
         !converted.empty();
  } catch (const std::bad_alloc&) {
    converted.clear();
  }
  if (!ok && problem) *problem = "the wave file's sample format cannot be converted for playing";
  return ok;
}

std::string ResolveSoundName(const RtString& name) {
  std::string resolved;
  if (!ResolveAssetName(DataArchive(), name.c_str(), resolved, true)) resolved.clear();
  return resolved;
}

// False with the reason in problem.
bool LoadSlot(int slot, const std::string& name, int copies, std::string* problem) {
  AudioState& a = Audio();
  SoundSlot* s = SlotRecord(slot);
  if (!s) {
    *problem = "the sound layer is not started";
    return false;
  }
  ReleaseSlot(slot);
  if (!a.mixer) {
    *problem = "no sound device is open";
    return false;
  }

  std::vector<uint8_t> converted;
  if (!ReadMixerSamples(name, converted, problem)) return false;
  const int chunk = a.mixer->AddChunk(std::move(converted));
  if (chunk < 0) {
    *problem = "the sound device did not take the samples";
    return false;
  }
  // Copies share the chunk; one is only usable when its channel exists.
  int made = 0;
  while (made < copies && ChannelOf(slot, made) < a.mixer->ChannelCount()) ++made;
  if (made == 0) {
    a.mixer->FreeChunk(chunk);
    *problem = "the sound device has no channel for the slot";
    return false;
  }
  s->chunk = chunk;
  s->copies = made;
  s->currentCopy = 0;
  s->fileName = name;
  return true;
}

// The copy to play next, or -1: the current copy when idle; a playing
// single copy is never cut off; otherwise the next copy in turn, stopped
// and rewound when it is still sounding.
int ChooseCopy(SoundSlot& s, int slot) {
  plat::SoundMixer& mixer = *Audio().mixer;
  if (!mixer.Playing(ChannelOf(slot, s.currentCopy))) return s.currentCopy;
  if (s.copies == 1) return -1;
  s.currentCopy = (s.currentCopy + 1) % s.copies;
  const int channel = ChannelOf(slot, s.currentCopy);
  if (mixer.Playing(channel)) mixer.Stop(channel);
  return s.currentCopy;
}

}  // namespace

int CommandSlot(double slot) {
  if (!(slot >= 0)) return -1;
  if (slot > AudioState::kLastCommandSlot) return AudioState::kLastCommandSlot;
  return static_cast<int>(slot);
}

int PanUnits(double pan) {
  if (std::isnan(pan)) return 0;
  if (pan < -1) pan = -1;
  if (pan > 1) pan = 1;
  return static_cast<int>(pan * 10000);
}

int VolumePercent(double volume) {
  const double pct = volume * 100;
  if (!(pct > 0)) return 0;  // NaN too
  if (pct >= 100) return 100;
  return static_cast<int>(pct);
}

void StopSlot(int slot) {
  AudioState& a = Audio();
  SoundSlot* s = SlotRecord(slot);
  if (!s || !a.mixer) return;
  for (int c = 0; c < s->copies; ++c) a.mixer->Stop(ChannelOf(slot, c));
}

void ReleaseSlot(int slot) {
  AudioState& a = Audio();
  SoundSlot* s = SlotRecord(slot);
  if (!s) return;
  if (s->copies > 0 && a.mixer) {
    StopSlot(slot);
    a.mixer->FreeChunk(s->chunk);
  }
  *s = SoundSlot{};
}

void LoadSound(const RtString& name, double slotNumber, double copies) {
  const int slot = CommandSlot(slotNumber);
  if (slot < 0) return;
  const std::string resolved = ResolveSoundName(name);
  int count = 1;
  if (copies >= AudioState::kMaxCopies) {
    count = AudioState::kMaxCopies;
  } else if (copies > 1) {
    count = static_cast<int>(copies);
  }
  std::string problem;
  if (resolved.empty()) {
    // An empty name empties the slot, as a missing file does, but on purpose.
    ReleaseSlot(slot);
    if (name.Length() > 0) ReportLoadFailure("LoadSound", name.c_str(), "no such file");
    return;
  }
  if (!LoadSlot(slot, resolved, count, &problem))
    ReportLoadFailure("LoadSound", name.c_str(), problem);
}

double SoundFileLengthMs(const RtString& name) {
  std::vector<uint8_t> converted;
  if (!ReadMixerSamples(ResolveSoundName(name), converted)) return -1;
  return plat::RecordingSoundMixer::LengthMs(converted);
}

int PlaySound(double slotNumber, double pan, double volume) {
  AudioState& a = Audio();
  const int slot = CommandSlot(slotNumber);
  SoundSlot* s = SlotRecord(slot);
  if (!s || !a.mixer || s->copies == 0) return -1;
  const int copy = ChooseCopy(*s, slot);
  if (copy < 0) return -1;
  if (!a.mixer->Play(ChannelOf(slot, copy), s->chunk, VolumeMillibels(VolumePercent(volume)),
                     PanUnits(pan))) {
    return -1;
  }
  return slot * 256 + copy;
}

int SoundPlaying(double channelId) {
  AudioState& a = Audio();
  if (!(channelId >= 0) || channelId >= static_cast<double>(AudioState::kSlotRecords) * 256) {
    return 0;
  }
  const int id = static_cast<int>(channelId);
  const int slot = id / 256, copy = id % 256;
  const SoundSlot* s = SlotRecord(slot);
  if (!s || !a.mixer || copy >= s->copies) return 0;
  return a.mixer->Playing(ChannelOf(slot, copy)) ? 1 : 0;
}

void StopAllSounds() {
  for (int slot = 0; slot <= AudioState::kLastCommandSlot; ++slot) StopSlot(slot);
}
