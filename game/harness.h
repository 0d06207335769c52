// The deterministic harness: the game driven by a key script instead of a
// player, on a virtual clock with a fixed frame time, with sounds that end
// after their length in frames, and a trace of every frame.
//
// It wraps another GameIo (the runtime's in the program, a stand-in in
// tests) and replaces what makes runs differ: the keys, the clock and the
// sound layer's notion of "still playing". Drawing still goes to the inner
// implementation, so screenshots show the real frames.
#pragma once

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/game_io.h"

namespace zelvo {

// Key changes by frame, from a replay file (format version 1 of the input
// layer: "input-replay 1", then "FRAME[.POLL] keys=C,C,... tap=C,C,..."
// lines; other fields are accepted and ignored).
struct KeyScript {
  struct Change {
    bool setsKeys = false;
    std::set<int> keys;  // every held key from this frame on
    std::vector<int> taps;
  };
  std::map<long, Change> changes;

  // False with the reason in error when the text is not a replay.
  bool Parse(const std::string& text, std::string* error);
  bool Load(const std::string& path, std::string* error);
  long LastFrame() const { return changes.empty() ? 0 : changes.rbegin()->first; }
};

class HarnessIo final : public GameIo {
 public:
  explicit HarnessIo(GameIo& inner) : inner_(inner) {}
  ~HarnessIo() override;

  void SetScript(KeyScript script);
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
  // Writes the screen to file just before frame `frame` is presented.
  void AddScreenshot(long frame, const std::string& file) { shots_[frame] = file; }

  long Frame() const { return frame_; }
  // What was asked in the frame being built.
  const std::vector<std::pair<double, double>>& FrameSounds() const { return sounds_; }
  const std::vector<std::string>& FrameMusic() const { return music_; }

  static constexpr double kFrameMs = 1000.0 / 60;
  // Escape in the script ends the run, as it ends the program for a player.
  static constexpr int kEscape = 1;

  bool KeyDown(int scanCode) override;
  void EndFrame() override;
  double FrameTime() override { return kFrameMs; }
  double ElapsedTime() override { return frame_ * kFrameMs; }
  void End() override;

  void SpriteFromFile(const RtString& file, double slot) override {
    inner_.SpriteFromFile(file, slot);
  }
  void AnimationFromFile(const RtString& file, double slot, double w, double h) override {
    inner_.AnimationFromFile(file, slot, w, h);
  }
  void FreeSprite(double slot) override { inner_.FreeSprite(slot); }
  void BackgroundFromFile(const RtString& file) override { inner_.BackgroundFromFile(file); }
  void CopyScreenToSprite(double slot, double x, double y, double w, double h) override {
    inner_.CopyScreenToSprite(slot, x, y, w, h);
  }
  void PutSprite(double slot, double x, double y) override { inner_.PutSprite(slot, x, y); }
  void PutAnimationFrame(double slot, double frame, double x, double y) override {
    inner_.PutAnimationFrame(slot, frame, x, y);
  }
  void SetBlendMode(double value) override { inner_.SetBlendMode(value); }
  bool AnimationFramesOverlap(double s1, double f1, double x1, double y1, double s2, double f2,
                              double x2, double y2) override {
    return inner_.AnimationFramesOverlap(s1, f1, x1, y1, s2, f2, x2, y2);
  }
  void FillRect(double x, double y, double w, double h, int colour) override {
    inner_.FillRect(x, y, w, h, colour);
  }
  void ClearScreen() override { inner_.ClearScreen(); }
  void SetColourKey(int colour) override { inner_.SetColourKey(colour); }
  void FontFromFile(const RtString& file, int font) override { inner_.FontFromFile(file, font); }
  void SelectFont(int font) override { inner_.SelectFont(font); }
  void DrawText(const RtString& text, double x, double y) override { inner_.DrawText(text, x, y); }
  void DrawNumber(double value, double x, double y) override { inner_.DrawNumber(value, x, y); }
  bool ScreenToFile(const RtString& file) override { return inner_.ScreenToFile(file); }

  void LoadSound(const RtString& file, double slot) override;
  int PlaySound(double slot, double volume) override;
  bool SoundPlaying(int channel) override;
  void PlayMusic(const RtString& file, bool loop) override;
  void StopMusic() override;
  void SetMusicVolume(double volume) override { inner_.SetMusicVolume(volume); }

 private:
  void WriteTraceLine();
  void ApplyChanges();

  GameIo& inner_;
  KeyScript script_;
  long frame_ = 0;
  long frameLimit_ = 0;
  std::set<int> held_;
  std::map<int, int> taps_;  // unread presses by key
  std::map<long, std::string> shots_;
  std::FILE* trace_ = nullptr;
  std::FILE* timing_ = nullptr;
  double workStart_ = -1;  // steady-clock ms when the last frame step returned
  bool menuShown_ = false;
  std::vector<std::pair<double, double>> sounds_;
  std::vector<std::string> music_;
  std::map<int, double> soundLengthMs_;  // by slot
  std::map<int, long> channelEnds_;      // channel -> first frame it is silent
  int nextChannel_ = 0;
};

// The program's command line: --replay FILE, --trace FILE, --unpaced,
// --frames N, --shot FRAME FILE (repeatable), --atlas DIR, --timing FILE.
struct HarnessOptions {
  std::string replay, trace, atlas, timing;
  bool unpaced = false;
  long frames = 0;
  std::vector<std::pair<long, std::string>> shots;
  bool Active() const {
    return !replay.empty() || !trace.empty() || unpaced || frames > 0 || !shots.empty() ||
           !timing.empty();
  }
};
// False with the reason in error for an unknown or incomplete option.
bool ParseHarnessOptions(const std::string& commandLine, HarnessOptions& options,
                         std::string* error);

// Draws every room as a run enters it, objects at their start, and writes
// DIR/room_NN.png for each. Runs after the Loading screen.
void DrawRoomAtlas(const std::string& folder);

}  // namespace zelvo
