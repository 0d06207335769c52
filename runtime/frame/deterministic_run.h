// A deterministic run: the program driven by scripted keys instead of a
// player, on a virtual clock that advances a fixed frame time per frame, with
// sounds that end after their length on that clock (silent, unless the run
// is watched). Two runs with the same script see the same keys, times and
// sound ends frame for frame, which is what replays, traces and solvers need.
//
// Start the run before EngineStart (the usual place: the sound device is
// opened only for a watched run then), or after it before any sound is
// loaded (the sound layer restarts on the recorder and forgets what it
// held). Replay frame numbers count the frames ended after EngineStart (or
// after this call, when the engine is already up): frame 0 is the
// program's first frame.
#pragma once

#include <functional>
#include <string>
#include <vector>

// How StartDeterministicRun runs the program.
struct DeterministicRunOptions {
  // Milliseconds the clock advances per frame.
  double frameMs = 1000.0 / 60.0;
  // False: the frame wait returns at once (as fast as the machine allows).
  // True: frames are still shown on the real-time schedule, for a run that
  // someone watches or times; the program still reads the virtual clock.
  bool paced = false;
  // True: a run shown to a person (a demo, a replay watched at its real
  // pace). The sound device opens as in a normal start, so what the program
  // plays is heard, while whether a sound still plays stays the run's answer
  // on its clock, so the run repeats exactly. The person's own keyboard
  // keeps the keys that end any program (Escape while EscapeQuits allows
  // it, Alt+F4); the program still reads only the script's keys. Only
  // with paced.
  bool watched = false;
  // A replay in the input layer's format ("input-replay 1"), from a file or
  // given as text; both empty means keys come only from ScriptKey/ScriptTap.
  std::string replayFile;
  std::string replayText;  // A replay given as text; see replayFile.
};

// False with the reason in error (nothing changed then) for a bad frame time,
// a watched run that is not paced, or a replay that cannot be read.
bool StartDeterministicRun(const DeterministicRunOptions& options, std::string* error);
// Returns to the real clock, devices and sound (tests that run on after it).
void EndDeterministicRun();
// Whether a deterministic run is on.
bool DeterministicRunActive();
// Whether the run on is a watched one (see DeterministicRunOptions).
bool DeterministicRunWatched();
// Frames ended since the run started (after EngineStart when it started
// before).
long long DeterministicFrame();

// Writes the keys, mouse and joysticks a person uses into a replay file that
// replayFile above plays back, from the program's first frame (or from now,
// when the engine is already up) until the program ends; the file is
// complete after every read. False with the reason in error when the file
// cannot be written or a deterministic run is active (nothing changed then).
bool StartInputRecording(const std::string& file, std::string* error);

// Key state the following key reads see, by scan code. A held key reads as
// down until released; a tap reads as down once, on the next read of the key
// (within the frame it was made in or the next one).
void ScriptKey(int scanCode, bool down);
void ScriptTap(int scanCode);  // A press and release; see ScriptKey.
void ScriptReleaseAllKeys();   // Releases every key the script holds.
// Whether the script holds the key now; unlike KeyDown it consumes no tap.
bool ScriptKeyHeld(int scanCode);
// True once every line of the replay has been applied.
bool ScriptFinished();

// The virtual clock as TimerNow reads it. Setting it (a solver rewinding to
// a saved state) also makes the next frame time read one frame, and the
// following frames advance from the new value.
double DeterministicClockMs();
void SetDeterministicClockMs(double ms);  // See DeterministicClockMs.

// Frames a sound of lengthMs (SoundFileLengthMs) reads as playing in a run
// of frameMs frames, counting the frame it started in: on the next frame
// after those it has ended. 0 for no length.
long SoundFrames(double lengthMs, double frameMs);

// What the program asked of the sound layer since the last frame ended.
struct AudioRequest {
  // A sound played or stopped, a piece of music started or stopped, or the
  // music volume set.
  enum class Kind { kSound, kStopSound, kMusic, kMusicStop, kMusicVolume };
  Kind kind = Kind::kSound;  // What was asked.
  int slot = -1;             // sounds: the slot and which of its copies played
  int copy = -1;             // sounds: the copy; see slot.
  int gainMb = 0;            // sounds: hundredths of a decibel; pan -10000..10000
  int pan = 0;               // sounds: -10000 left .. 10000 right.
  int volume = 0;            // music volume 0..1000
  std::string music;         // music: the file the piece was opened from
};
// The requests in the order they were made.
std::vector<AudioRequest> AudioRequestedThisFrame();

// The two points of a frame a frame observer is called at.
enum class DeterministicFrameStep { kDrawn, kShown };
// Installs the function every EndFrame of the run calls: kDrawn first, while the screen still
// holds the finished frame and before the clock advances; kShown once the
// frame is shown and the step is done. Empty removes it.
void SetDeterministicFrameObserver(std::function<void(DeterministicFrameStep)> observer);

// Ends the program (End) once this many frames have been shown; 0 never.
// Both this and the screenshots below belong to the current run: starting
// or ending a run forgets them.
void SetDeterministicFrameLimit(long frames);
// Writes the screen to file (ScreenToFile) just before frame `frame` is
// shown; one file per frame, a later call for the same frame replaces it.
void AddDeterministicScreenshot(long frame, const std::string& file);
