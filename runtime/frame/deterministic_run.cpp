#include "runtime/frame/deterministic_run.h"

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <utility>

#include "runtime/audio/audio_state.h"
#include "runtime/core/error_log.h"
#include "runtime/core/random.h"
#include "runtime/core/runtime_error.h"
#include "runtime/frame/deterministic_run_internal.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/program_end.h"
#include "runtime/frame/video_recording_internal.h"
#include "runtime/gfx2d/surfaces.h"
#include "runtime/input/input_service.h"
#include "runtime/input/input_state.h"
#include "runtime/input/key_codes.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/input_devices.h"
#include "runtime/platform/sound_mixer_recorder.h"

namespace {

constexpr int kMixerChannels = (AudioState::kLastCommandSlot + 1) * AudioState::kMaxCopies;

struct DeterministicRun {
  bool active = false;
  // Kept until the next run so that the input layer never holds a freed
  // backend.
  std::unique_ptr<plat::ScriptedInputDevices> devices;
  std::unique_ptr<plat::SteppedClock> clock;
  // Made at the start, owned by the sound layer once handed over.
  std::unique_ptr<plat::RecordingSoundMixer> pendingMixer;
  plat::RecordingSoundMixer* mixer = nullptr;
  bool waitsForEngine = false;
  long long framesAtStart = 0;
  std::string lastMusic;
  std::function<void(DeterministicFrameStep)> observer;
  long frameLimit = 0;
  std::map<long, std::string> shots;
  bool watched = false;
  // The keyboard of the person watching, and its key-down counts as last
  // read, so that a quick tap between two reads still counts.
  plat::InputDevices* watcherKeyboard = nullptr;
  std::array<uint32_t, 256> watcherPresses{};
};

DeterministicRun g_run;
plat::InputDevices* g_watcherKeyboardForTests = nullptr;

// A recording waits for the engine as a run does, so that its frame 0 is
// the frame a replay of it starts on. Lives until the process ends: the
// input layer may hold it until shutdown.
struct InputRecording {
  std::unique_ptr<plat::RecordingInputDevices> devices;
  bool waitsForEngine = false;
};
InputRecording g_recording;

void InstallRecording() {
  g_recording.waitsForEngine = false;
  plat::InstallInputDevices(g_recording.devices.get());
}

// The recorder while the sound layer still has it (a shutdown frees it).
plat::RecordingSoundMixer* Recorder() {
  if (!g_run.mixer || Audio().mixer.get() != g_run.mixer) return nullptr;
  return g_run.mixer;
}

// Presses made before now were not meant to end the run.
void TakeWatcherBaseline() {
  if (!g_run.watched || !g_run.watcherKeyboard) return;
  g_run.watcherPresses = g_run.watcherKeyboard->Poll().presses;
}

// The frame times read one frame from here on, as they would after a frame.
void RestartFrameTimes(double startMs) {
  FrameClock& c = FrameClockState();
  c.frameTimeNow = TimerNow();
  c.frameTimePrev = c.frameTimeNow - g_run.clock->FrameMs();
  c.startTime = startMs;
}

}  // namespace

bool StartDeterministicRun(const DeterministicRunOptions& options, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (!(options.frameMs > 0) || !std::isfinite(options.frameMs)) {
    return fail("the frame time must be a positive number of milliseconds");
  }
  if (options.watched && !options.paced) {
    return fail("a watched run is shown at its real pace; it cannot be unpaced");
  }
  auto devices = std::make_unique<plat::ScriptedInputDevices>();
  std::string why;
  if (!options.replayFile.empty() && !devices->LoadReplay(options.replayFile, &why)) {
    return fail(why);
  }
  if (!options.replayText.empty() && !devices->LoadReplayText(options.replayText, &why)) {
    return fail(why);
  }

  if (g_run.active) EndDeterministicRun();
  g_run.active = true;
  g_run.frameLimit = 0;
  g_run.shots.clear();
  g_run.devices = std::move(devices);
  g_run.lastMusic.clear();
  g_run.watched = options.watched;
  g_run.watcherKeyboard =
      g_watcherKeyboardForTests ? g_watcherKeyboardForTests : &plat::SdlInputDevices();
  g_run.clock = std::make_unique<plat::SteppedClock>(options.frameMs, options.paced);
  plat::InstallClock(g_run.clock.get());

  auto mixer = std::make_unique<plat::RecordingSoundMixer>(kMixerChannels);
  mixer->EndSoundsByClock(TimerNow);
  mixer->musicOpened = VideoMusicOpened;
  g_run.mixer = mixer.get();
  g_run.pendingMixer = std::move(mixer);
  g_run.waitsForEngine = true;
  if (g_engine.started) {
    RestartSound();
    FinishDeterministicRunStart();
    TakeWatcherBaseline();
    RestartFrameTimes(TimerNow());
    // The start-up seeded from the real clock.
    RandomSeed(0);
  }
  // Otherwise start-up takes the mixer, and seeds the random numbers from
  // the clock, which now reads 0.
  return true;
}

std::unique_ptr<plat::SoundMixer> TakeDeterministicMixer() {
  if (!g_run.active || !g_run.pendingMixer) return nullptr;
  if (g_run.watched) {
    // Heard as a normal start is; without a device the run is silent and
    // keeps its time all the same.
    if (auto device = plat::OpenSdlSoundMixer(kMixerChannels)) {
      g_run.pendingMixer->PlayThrough(std::move(device));
    } else {
      AppendErrorLog("No sound device");
    }
  }
  return std::move(g_run.pendingMixer);
}

bool WatcherQuitKeysPressed() {
  if (!g_run.active || !g_run.watched || g_run.waitsForEngine || !g_run.watcherKeyboard) {
    return false;
  }
  const plat::InputSnapshot& s = g_run.watcherKeyboard->Poll();
  auto pressed = [&s](int code) {
    const size_t i = static_cast<size_t>(code);
    const bool tapped = s.presses[i] != g_run.watcherPresses[i];
    g_run.watcherPresses[i] = s.presses[i];
    return (s.keys[i] & 0x80) != 0 || tapped;
  };
  // Every key is read, so that a tap is not left over for a later call.
  const bool escape = pressed(keys::kEscape) | pressed(keys::kExtendedEscape);
  const bool alt = pressed(keys::kLeftAlt);
  const bool f4 = pressed(keys::kF4);
  // Keys typed into another window were not meant for this one.
  if (!s.focused) return false;
  return (escape && Input().escapeQuits) || (alt && f4);
}

void SetWatcherKeyboardForTests(plat::InputDevices* devices) {
  g_watcherKeyboardForTests = devices;
}

bool StartInputRecording(const std::string& file, std::string* error) {
  if (g_run.active) {
    if (error) *error = "input cannot be recorded during a deterministic run";
    return false;
  }
  auto devices = std::make_unique<plat::RecordingInputDevices>(plat::SdlInputDevices(), file);
  if (!devices->ok()) {
    if (error) *error = "cannot write " + file;
    return false;
  }
  // The previous recorder stays alive until the new one is in place.
  std::swap(g_recording.devices, devices);
  if (g_engine.started) {
    InstallRecording();
  } else {
    g_recording.waitsForEngine = true;
  }
  return true;
}

void FinishDeterministicRunStart() {
  if (g_recording.waitsForEngine) InstallRecording();
  if (!g_run.active || !g_run.waitsForEngine) return;
  g_run.waitsForEngine = false;
  plat::InstallInputDevices(g_run.devices.get());
  InputBackendChanged();
  TakeWatcherBaseline();
  g_run.framesAtStart = g_run.clock->Frames();
  FrameClock& clock = FrameClockState();
  clock.frameTimePrev = clock.frameTimeNow - g_run.clock->FrameMs();
  if (plat::RecordingSoundMixer* r = Recorder()) r->events.clear();
}

void EndDeterministicRun() {
  if (!g_run.active) return;
  const double elapsed = ElapsedTime();
  g_run.active = false;
  g_run.watched = false;
  g_run.observer = nullptr;
  g_run.frameLimit = 0;
  g_run.shots.clear();
  plat::InstallInputDevices(nullptr);
  InputBackendChanged();
  plat::InstallClock(nullptr);
  FrameClock& clock = FrameClockState();
  const double now = plat::NowMs();
  clock.startTime = now - elapsed;
  clock.frameTimeNow = clock.frameTimePrev = now;
  clock.nextFrameTime = now;
  g_run.pendingMixer.reset();
  // Back on the sound device (no mixer waits any more).
  if (g_engine.started && Recorder()) RestartSound();
  g_run.mixer = nullptr;
}

bool DeterministicRunActive() {
  return g_run.active;
}

bool DeterministicRunWatched() {
  return g_run.active && g_run.watched;
}

long long DeterministicFrame() {
  if (!g_run.active) return 0;
  return g_run.clock->Frames() - g_run.framesAtStart;
}

void ScriptKey(int scanCode, bool down) {
  if (g_run.active) g_run.devices->SetKey(scanCode, down);
}

void ScriptTap(int scanCode) {
  if (g_run.active) g_run.devices->Tap(scanCode);
}

void ScriptReleaseAllKeys() {
  if (g_run.active) g_run.devices->ReleaseAllKeys();
}

bool ScriptKeyHeld(int scanCode) {
  if (!g_run.active || scanCode < 0 || scanCode > 255) return false;
  return (g_run.devices->State().keys[static_cast<size_t>(scanCode)] & 0x80) != 0;
}

bool ScriptFinished() {
  return !g_run.active || g_run.devices->Finished();
}

long SoundFrames(double lengthMs, double frameMs) {
  if (!(lengthMs > 0) || !(frameMs > 0) || !std::isfinite(lengthMs)) return 0;
  // The recorder's rule: the sound has ended once the clock reaches its end,
  // less the tolerance.
  const double lasts = lengthMs - plat::RecordingSoundMixer::kEndToleranceMs;
  long frames = static_cast<long>(std::ceil(lasts / frameMs));
  while (frames > 0 && (frames - 1) * frameMs >= lasts) --frames;
  while (frames * frameMs < lasts) ++frames;
  return frames;
}

double DeterministicClockMs() {
  return TimerNow();
}

void SetDeterministicClockMs(double ms) {
  if (!g_run.active || !std::isfinite(ms)) return;
  // The frame count since the start stays; only the clock moves.
  g_run.framesAtStart -= g_run.clock->Frames();
  g_run.clock->Set(ms);
  RestartFrameTimes(FrameClockState().startTime);
}

std::vector<AudioRequest> AudioRequestedThisFrame() {
  std::vector<AudioRequest> out;
  plat::RecordingSoundMixer* r = Recorder();
  if (!r) return out;
  using Event = plat::RecordingSoundMixer::Event;
  for (const Event& e : r->events) {
    AudioRequest q;
    switch (e.kind) {
      case Event::kPlay:
        q.kind = AudioRequest::Kind::kSound;
        q.slot = e.channel / AudioState::kMaxCopies;
        q.copy = e.channel % AudioState::kMaxCopies;
        q.gainMb = e.gainMb;
        q.pan = e.pan;
        break;
      case Event::kStop:
        q.kind = AudioRequest::Kind::kStopSound;
        q.slot = e.channel / AudioState::kMaxCopies;
        q.copy = e.channel % AudioState::kMaxCopies;
        break;
      case Event::kOpenMusic:
        g_run.lastMusic = e.path;
        continue;
      case Event::kStartMusic:
        q.kind = AudioRequest::Kind::kMusic;
        q.music = g_run.lastMusic;
        break;
      case Event::kCloseMusic:
        q.kind = AudioRequest::Kind::kMusicStop;
        break;
      case Event::kMusicVolume:
        q.kind = AudioRequest::Kind::kMusicVolume;
        q.volume = e.value;
        break;
    }
    out.push_back(q);
  }
  return out;
}

void SetDeterministicFrameObserver(std::function<void(DeterministicFrameStep)> observer) {
  g_run.observer = std::move(observer);
}

void SetDeterministicFrameLimit(long frames) {
  g_run.frameLimit = frames > 0 ? frames : 0;
}

void AddDeterministicScreenshot(long frame, const std::string& file) {
  g_run.shots[frame] = file;
}

void BeginDeterministicFrame() {
  if (!g_run.active) return;
  // Frames shown while EngineStart still runs are not the program's.
  auto shot = g_run.waitsForEngine ? g_run.shots.end()
                                   : g_run.shots.find(static_cast<long>(DeterministicFrame()));
  if (shot != g_run.shots.end() && !ScreenToFile(RtString(shot->second.c_str()))) {
    // A script that asked for a picture must learn that there is none.
    StdErr(RtString(("cannot write the screenshot " + shot->second + "\n").c_str()));
  }
  if (g_run.observer) g_run.observer(DeterministicFrameStep::kDrawn);
  // The video takes the same picture a shot of this frame would, and the
  // sound asked for during the frame, before the requests are forgotten.
  if (!g_run.waitsForEngine) RecordVideoFrame(Recorder());
  if (plat::RecordingSoundMixer* r = Recorder()) {
    // The music opened last is remembered across frames so that a loop's
    // restart still names its piece.
    for (const auto& e : r->events) {
      if (e.kind == plat::RecordingSoundMixer::Event::kOpenMusic) g_run.lastMusic = e.path;
    }
    r->events.clear();
  }
  g_run.clock->Step();
}

void EndDeterministicFrame() {
  if (g_run.active && g_run.observer) g_run.observer(DeterministicFrameStep::kShown);
  if (g_run.active && !g_run.waitsForEngine && g_run.frameLimit > 0 &&
      DeterministicFrame() >= g_run.frameLimit) {
    End();
  }
}
