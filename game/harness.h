// The deterministic harness: the game driven by a key script instead of a
// player, with a trace of every frame, screenshots and a frame limit.
//
// The keys, the virtual clock with its fixed frame time and the sounds that
// end after their length in frames are the runtime's deterministic run
// (StartDeterministicRun); the harness is the runtime's GameIo with only the
// calls overridden that it records (the sounds and music of the trace), and
// follows every frame the runtime ends, its own and those of its fades.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/game_io.h"

namespace zelvo {

class HarnessIo final : public GameIo {
 public:
  HarnessIo() = default;
  ~HarnessIo() override;

  // Follows the frames of the deterministic run from now on; frame 0 is the
  // one being built, and keys scheduled before are forgotten. The run must
  // be started.
  void Attach();
  void Detach();
  // Writes one JSON line per finished frame to path; false when it cannot.
  bool OpenTrace(const std::string& path);
  void CloseTrace();
  // Writes, per frame, the milliseconds the game spent on it between two
  // frame steps and the steady-clock time at which its step returned
  // ("FRAME SCREEN WORK_MS STEP_MS"), and once the wall-clock time at which
  // the Menu's first frame was shown and the time spent in modal boxes
  // ("menu-shown EPOCH_MS modal-wait MS").
  bool OpenTiming(const std::string& path);
  // Ends the run after this many frames (0: never).
  void SetFrameLimit(long frames) { frameLimit_ = frames; }
  // What ends the run (frame limit, Escape); the runtime's End by default.
  void SetRunEnd(std::function<void()> end) { runEnd_ = std::move(end); }
  // Exactly these keys held from the next key read on (a key that becomes
  // held is one press), through the runtime's scripted keys.
  void HoldKeys(const std::vector<int>& scanCodes);
  // The same, from frame `frame` on (applied as that frame begins; frame 0
  // has begun already).
  void HoldKeysFrom(long frame, std::vector<int> scanCodes) { heldFrom_[frame] = scanCodes; }

  long Frame() const { return frame_; }

  // Escape held in the script ends the run, as it ends the program for a
  // player.
  static constexpr int kEscape = 1;

  // What the harness records or changes; the rest is the runtime's.
  void End() override;
  int PlaySound(double slot, double volume) override;
  void PlayMusic(const RtString& file, bool loop) override;
  void StopMusic() override;

 private:
  void FrameDrawn();
  void FrameShown();
  void WriteTraceLine();

  long frame_ = 0;
  long frameLimit_ = 0;
  std::map<long, std::vector<int>> heldFrom_;
  std::FILE* trace_ = nullptr;
  std::FILE* timing_ = nullptr;
  double workStart_ = -1;  // steady-clock ms when the last frame step returned
  double workEnd_ = 0;
  bool menuShown_ = false;
  std::function<void()> runEnd_;
  // What was asked in the frame being built, for its trace line.
  std::vector<std::pair<double, double>> sounds_;
  std::vector<std::string> music_;
};

// The program's command line: the runtime's standard options (--replay,
// --unpaced, --frames, --shot, --record-input; the runtime takes the
// screenshots and ends the run at the frame limit) and the game's own
// --trace FILE, --atlas DIR, --timing FILE.
struct HarnessOptions {
  StandardOptions standard;
  std::string trace, atlas, timing;
  // Whether the game runs as a deterministic run.
  bool Active() const {
    return standard.Deterministic() || !trace.empty() || !timing.empty() || !atlas.empty();
  }
};
// False with the reason in error for an unknown or incomplete option.
bool ParseHarnessOptions(const std::string& commandLine, HarnessOptions& options,
                         std::string* error);

// Draws every room as a run enters it, objects at their start, and writes
// DIR/room_NN.png for each. Runs after the Loading screen.
void DrawRoomAtlas(const std::string& folder);

}  // namespace zelvo
