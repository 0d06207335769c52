// A stand-in for the runtime's drawing, input and sound that the game's rules
// run against: keys scripted per frame, a fixed 60 Hz clock, sprites known
// by their sizes (collisions are rectangle overlaps of frame 0), and a record
// of what was drawn in the last frame and of every sound and piece of music.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/asset_manifest.h"
#include "game/course.h"
#include "game/game_io.h"
#include "game/hiscores.h"
#include "game/play.h"
#include "game/startup.h"
#include "game/zelvo.h"

namespace zelvo::testing {

// Thrown by EndFrame when the frame budget is spent, and by End.
struct StopGame {};

struct Draw {
  Draw(std::string kind, double a0 = 0, double b0 = 0, double c0 = 0, double d0 = 0)
      : what(std::move(kind)), a(a0), b(b0), c(c0), d(d0) {}
  std::string what;  // "sprite", "frame", "rect", "text", "number", "blend", "clear"
  double a = 0, b = 0, c = 0, d = 0;
  int colour = 0;
  std::string text;
};

struct SoundCall {
  int frame;
  double slot;
  double volume;
};

// Overrides every call: the rules' tests run without the engine, so none of
// them may reach the runtime.
class FakeIo : public GameIo {
 public:
  FakeIo() {
    // Sizes of the generated pictures (for strips, of one frame).
    for (const manifest::Picture& p : manifest::kLoadedSprites) {
      pictureSizes[p.file] = {p.width, p.height};
    }
    for (const manifest::Picture& p : manifest::kScreenPictures) {
      pictureSizes[p.file] = {p.width, p.height};
    }
  }

  // ---- script ----
  // Runs change before the frame with this number (0 = before the first).
  void At(int frame, std::function<void(FakeIo&)> change) { script.emplace(frame, change); }
  void Press(int code) { held.insert(code); }
  // Gamepad buttons (pads::kA ...) held from frame `from` up to `to`.
  void HoldPad(int button, int from, int to) {
    At(from, [button](FakeIo& io) { io.pad.buttons |= 1u << button; });
    At(to, [button](FakeIo& io) { io.pad.buttons &= ~(1u << button); });
  }
  void Release(int code) { held.erase(code); }
  // Keys held from frame `from` up to (not including) frame `to`.
  void Hold(int code, int from, int to) {
    At(from, [code](FakeIo& io) { io.Press(code); });
    At(to, [code](FakeIo& io) { io.Release(code); });
  }
  void RunDue() {
    auto range = script.equal_range(frames);
    for (auto it = range.first; it != range.second; ++it) it->second(*this);
  }

  // ---- GameIo ----
  bool KeyDown(int code) override { return held.count(code) > 0 || PadHoldsKey(code); }
  PadReading ReadPads() override { return pad; }
  void EndFrame() override {
    ++frames;
    lastFrame = current;
    current.clear();
    if (onFrame) onFrame();
    if (frames >= frameBudget) throw StopGame{};
    RunDue();
  }
  double FrameTime() override { return 1000.0 / 60; }
  double ElapsedTime() override { return frames * 1000.0 / 60; }
  void End() override {
    ended = true;
    throw StopGame{};
  }

  void SpriteFromFile(const RtString& file, double slot) override {
    loads.push_back(file.c_str());
    const int s = static_cast<int>(slot);
    live.insert(s);
    auto it = pictureSizes.find(file.c_str());
    sprites[s] = it == pictureSizes.end() ? std::make_pair(320, 240) : it->second;
  }
  void AnimationFromFile(const RtString& file, double slot, double w, double h) override {
    loads.push_back(file.c_str());
    live.insert(static_cast<int>(slot));
    sprites[static_cast<int>(slot)] = {static_cast<int>(w), static_cast<int>(h)};
  }
  void FreeSprite(double slot) override {
    live.erase(static_cast<int>(slot));
    sprites.erase(static_cast<int>(slot));
  }
  void BackgroundFromFile(const RtString& file) override { background = file.c_str(); }
  void PreloadSprite(const RtString& file) override { preloads.push_back(file.c_str()); }
  void PreloadBackground(const RtString& file) override { preloads.push_back(file.c_str()); }
  // The runtime's timing: its frames on this clock, the last of which shows
  // the picture as the background.
  void FadeToImage(const RtString& file) override {
    fades.push_back(file.c_str());
    for (int n = FadeFrames(FrameTime()); n > 1; --n) EndFrame();
    background = file.c_str();
    EndFrame();
  }
  void CopyScreenToSprite(double slot, double, double, double w, double h) override {
    live.insert(static_cast<int>(slot));
    sprites[static_cast<int>(slot)] = {static_cast<int>(w), static_cast<int>(h)};
  }
  void PutSprite(double slot, double x, double y) override {
    current.push_back({"sprite", slot, x, y});
  }
  void PutAnimationFrame(double slot, double frame, double x, double y) override {
    current.push_back({"frame", slot, frame, x, y});
  }
  void SetBlendMode(double value) override { current.push_back({"blend", value}); }
  bool AnimationFramesOverlap(double s1, double, double x1, double y1, double s2, double, double x2,
                              double y2) override {
    overlapTests.push_back(static_cast<int>(s1));
    auto a = sprites.find(static_cast<int>(s1));
    auto b = sprites.find(static_cast<int>(s2));
    if (a == sprites.end() || b == sprites.end()) return false;
    const int ax = static_cast<int>(x1), ay = static_cast<int>(y1);
    const int bx = static_cast<int>(x2), by = static_cast<int>(y2);
    return ax < bx + b->second.first && bx < ax + a->second.first && ay < by + b->second.second &&
           by < ay + a->second.second;
  }
  void FillRect(double x, double y, double w, double h, int colour) override {
    Draw d{"rect", x, y, w, h};
    d.colour = colour;
    current.push_back(d);
  }
  void ClearScreen() override {
    background.clear();
    current.push_back({"clear"});
  }
  void SetColourKey(int) override {}
  bool ScreenToFile(const RtString& file) override {
    screenshots.push_back(file.c_str());
    return true;
  }
  void FontFromFile(const RtString&, int) override {}
  void SelectFont(int font) override { selectedFont = font; }
  void DrawText(const RtString& text, double x, double y) override {
    Draw d{"text", x, y};
    d.text = text.c_str();
    current.push_back(d);
  }
  void DrawNumber(double value, double x, double y) override {
    current.push_back({"number", value, x, y});
  }
  void LoadSound(const RtString&, double) override {}
  int PlaySound(double slot, double volume) override {
    sounds.push_back({frames, slot, volume});
    return static_cast<int>(slot) * 256;
  }
  bool SoundPlaying(int) override { return soundPlays; }
  void PlayMusic(const RtString& file, bool loop) override {
    music.push_back(std::string(file.c_str()) + (loop ? " loop" : ""));
  }
  void StopMusic() override { music.push_back("stop"); }
  void SetMusicVolume(double volume) override { musicVolume = volume; }

  // ---- queries ----
  int SoundCount(double slot) const {
    int n = 0;
    for (const SoundCall& s : sounds) n += s.slot == slot;
    return n;
  }
  // Texts of the frame being drawn (current) or the last finished one.
  std::vector<std::string> Texts(const std::vector<Draw>& frame) const {
    std::vector<std::string> out;
    for (const Draw& d : frame) {
      if (d.what == "text") out.push_back(d.text);
    }
    return out;
  }

  std::set<int> held;
  PadReading pad;
  std::vector<std::string> fades;
  std::vector<std::string> preloads;
  std::multimap<int, std::function<void(FakeIo&)>> script;
  int frames = 0;
  int frameBudget = 1 << 30;
  std::function<void()> onFrame;
  bool ended = false;
  bool soundPlays = false;
  std::vector<Draw> current, lastFrame;
  std::vector<SoundCall> sounds;
  std::vector<std::string> music;
  std::vector<std::string> loads;
  std::vector<std::string> screenshots;
  std::vector<int> overlapTests;
  double musicVolume = -1;
  int selectedFont = -1;
  std::string background;
  std::set<int> live;
  std::map<int, std::pair<int, int>> sprites;
  std::map<std::string, std::pair<int, int>> pictureSizes;
};

// Installs a fresh FakeIo and a fresh game for each test, as after the
// Loading screen.
class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGame();
    ResetSecondsTimers();
    Objects() = ObjectState();
    SetIo(&io);
    DimIntArray(Game().keyLatch, 14);
    LoadDefaultHiscores();
    LoadAssets();
    io.frames = 0;
    io.sounds.clear();
    io.loads.clear();
  }
  void TearDown() override { SetIo(nullptr); }

  // A new run in room 0, as the dispatcher starts it.
  void StartRun() {
    Game().gameState = kPlay;
    ResetRun();
    StartLevelSet();
  }
  // Takes every wind column, obstacle and pickup out of the course.
  void EmptyRooms() {
    Course& c = TheCourse();
    for (NumberArray* field :
         {&c.windSprite, &c.windX, &c.windY, &c.windDirection, &c.windRoom, &c.obstacleSprite,
          &c.obstacleX, &c.obstacleY, &c.obstacleSpeed, &c.obstacleMode, &c.obstacleRoom,
          &c.pickupSprite, &c.pickupX, &c.pickupY, &c.pickupTaken, &c.pickupKind, &c.pickupRoom}) {
      DimNumberArray(*field, 0);
    }
  }
  // One frame of play with its frame step; the frame's end.
  FrameEnd Frame() {
    const FrameEnd end = PlayFrame();
    if (end == FrameEnd::kLevelSetDone) return end;
    io.EndFrame();
    return AfterFrameStep();
  }
  // Frames until pred holds (at most limit); the count, or -1.
  template <typename Pred>
  int FramesUntil(Pred pred, int limit = 10000) {
    for (int n = 1; n <= limit; ++n) {
      Frame();
      if (pred()) return n;
    }
    return -1;
  }
  zelvo::Run& run() { return Game().run; }
  FakeIo io;
};

}  // namespace zelvo::testing
