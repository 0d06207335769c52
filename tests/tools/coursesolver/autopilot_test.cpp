// The solved course flown by the real game. Once as CI and a player run it,
// through the program with a trace; then several times over in one process,
// where memory, textures and the error log must end each flight as the one
// before left them.
#include <GL/gl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "engine_fixture.h"
#include "game/course.h"
#include "game/game_io.h"
#include "game/harness.h"
#include "game/hiscores.h"
#include "game/play.h"
#include "game/screens.h"
#include "game/startup.h"

namespace zelvo {
namespace {

const std::string kScript = std::string(GAME_RUN_DIR) + "/autopilot.replay";

// What the solver wrote into the script's comments about its end.
struct ExpectedEnd {
  long frame = -1;
  double score = -1;
  double planes = -1;
};

ExpectedEnd ReadExpectedEnd() {
  ExpectedEnd end;
  std::ifstream in(kScript);
  std::string line;
  const std::regex pattern(R"(^# game complete at frame (\d+), score (-?\d+), planes (\d+))");
  std::smatch match;
  while (std::getline(in, line)) {
    if (std::regex_search(line, match, pattern)) {
      end.frame = std::stol(match[1]);
      end.score = std::stod(match[2]);
      end.planes = std::stod(match[3]);
    }
  }
  return end;
}

// A number field of a trace line, NaN when missing.
double Field(const std::string& line, const std::string& name) {
  const std::string tag = "\"" + name + "\":";
  const size_t at = line.find(tag);
  if (at == std::string::npos) return std::nan("");
  return std::strtod(line.c_str() + at + tag.size(), nullptr);
}

TEST(Autopilot, TheProgramFliesTheScriptToGameCompleteWithoutLosingAPlane) {
  const ExpectedEnd expected = ReadExpectedEnd();
  ASSERT_GE(expected.frame, 0) << kScript << " has no solved course";
  const std::string trace = testenv::PrivateTempDir() + "/autopilot_trace.jsonl";
  const std::string command = std::string("'") + ZELVO2_EXE + "' --replay '" + kScript +
                              "' --unpaced --trace '" + trace + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  std::ifstream in(trace);
  std::string line;
  double mostPlanes = 4;
  long lines = 0;
  bool complete = false;
  while (std::getline(in, line)) {
    ++lines;
    const double planes = Field(line, "planes");
    ASSERT_GE(planes, mostPlanes) << "a plane was lost: " << line;
    mostPlanes = planes;
    if (Field(line, "screen") == kComplete) {
      complete = true;
      EXPECT_EQ(Field(line, "frame"), expected.frame);
      EXPECT_EQ(Field(line, "score"), expected.score);
      EXPECT_EQ(planes, expected.planes);
      EXPECT_EQ(Field(line, "room"), 51);
      break;
    }
  }
  EXPECT_TRUE(complete) << "the run ended after " << lines << " frames without completing";
}

// The runtime underneath, except that the end of a run returns to the test
// instead of ending the process.
struct RunEnded {};
class ReturningIo final : public GameIo {
 public:
  GameIo& r = RuntimeIo();
  bool KeyDown(int code) override { return r.KeyDown(code); }
  void EndFrame() override { r.EndFrame(); }
  double FrameTime() override { return r.FrameTime(); }
  double ElapsedTime() override { return r.ElapsedTime(); }
  void End() override { throw RunEnded{}; }
  void SpriteFromFile(const RtString& f, double s) override { r.SpriteFromFile(f, s); }
  void AnimationFromFile(const RtString& f, double s, double w, double h) override {
    r.AnimationFromFile(f, s, w, h);
  }
  void FreeSprite(double s) override { r.FreeSprite(s); }
  void BackgroundFromFile(const RtString& f) override { r.BackgroundFromFile(f); }
  void CopyScreenToSprite(double s, double x, double y, double w, double h) override {
    r.CopyScreenToSprite(s, x, y, w, h);
  }
  void PutSprite(double s, double x, double y) override { r.PutSprite(s, x, y); }
  void PutAnimationFrame(double s, double f, double x, double y) override {
    r.PutAnimationFrame(s, f, x, y);
  }
  void SetBlendMode(double v) override { r.SetBlendMode(v); }
  bool AnimationFramesOverlap(double s1, double f1, double x1, double y1, double s2, double f2,
                              double x2, double y2) override {
    return r.AnimationFramesOverlap(s1, f1, x1, y1, s2, f2, x2, y2);
  }
  void FillRect(double x, double y, double w, double h, int c) override {
    r.FillRect(x, y, w, h, c);
  }
  void ClearScreen() override { r.ClearScreen(); }
  void SetColourKey(int c) override { r.SetColourKey(c); }
  bool ScreenToFile(const RtString& f) override { return r.ScreenToFile(f); }
  void FontFromFile(const RtString& f, int n) override { r.FontFromFile(f, n); }
  void SelectFont(int n) override { r.SelectFont(n); }
  void DrawText(const RtString& t, double x, double y) override { r.DrawText(t, x, y); }
  void DrawNumber(double v, double x, double y) override { r.DrawNumber(v, x, y); }
  void LoadSound(const RtString& f, double s) override { r.LoadSound(f, s); }
  int PlaySound(double s, double v) override { return r.PlaySound(s, v); }
  bool SoundPlaying(int c) override { return r.SoundPlaying(c); }
  void PlayMusic(const RtString& f, bool l) override { r.PlayMusic(f, l); }
  void StopMusic() override { r.StopMusic(); }
  void SetMusicVolume(double v) override { r.SetMusicVolume(v); }
};

double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Texture names alive in the context; the runtime numbers them from 1.
int LiveTextures() {
  int live = 0;
  for (GLuint name = 1; name < 20000; ++name) live += glIsTexture(name) ? 1 : 0;
  return live;
}

struct Flight {
  long frame = 0;
  double screen = 0, score = 0, planes = 0;
};

// One program start's worth of game, menu to "game complete", on the
// script's keys.
Flight FlyOnce(const KeyScript& script, const ExpectedEnd& expected) {
  static ReturningIo returning;
  HarnessIo harness(returning);
  harness.SetScript(script);
  harness.SetFrameLimit(expected.frame + 10);
  SetIo(&harness);
  ResetGame();
  Objects() = ObjectState();
  ResetSecondsTimers();
  GameSetUp();
  SetFrameRate(1e9);  // unpaced
  try {
    while (Game().gameState != kComplete) DispatchOnce();
  } catch (const RunEnded&) {
  }
  Flight flight{harness.Frame(), Game().gameState, Game().run.score, Game().run.planes};
  SetIo(&RuntimeIo());
  return flight;
}

TEST(Autopilot, FlightsInOneProcessKeepMemoryTexturesAndTheLogFlat) {
  testenv::SharedEngine();
  ASSERT_EQ(chdir(GAME_RUN_DIR), 0);
  const std::string folder = testenv::PrivateTempDir() + "/autopilot_soak";
  std::filesystem::create_directories(folder);
  SetHiscoreLocations(folder + "/Hiscores.dat", folder + "/user");
  const ExpectedEnd expected = ReadExpectedEnd();
  ASSERT_GE(expected.frame, 0) << kScript << " has no solved course";
  KeyScript script;
  std::string error;
  ASSERT_TRUE(script.Load(kScript, &error)) << error;

  double residentAfterFirst = 0;
  int texturesAfterFirst = 0;
  size_t logLinesAfterFirst = 0;
  for (int round = 0; round < AUTOPILOT_SOAK_ROUNDS; ++round) {
    const Flight flight = FlyOnce(script, expected);
    std::printf("flight %d: frame %ld, %.1f MiB resident, %d textures\n", round + 1, flight.frame,
                ResidentMiB(), LiveTextures());
    std::fflush(stdout);
    ASSERT_EQ(flight.screen, kComplete) << "round " << round << " ended at " << flight.frame;
    // The game complete screen is entered before its first frame ends.
    EXPECT_EQ(flight.frame, expected.frame) << round;
    EXPECT_EQ(flight.score, expected.score) << round;
    EXPECT_EQ(flight.planes, expected.planes) << round;
    if (round == 0) {
      residentAfterFirst = ResidentMiB();
      texturesAfterFirst = LiveTextures();
      logLinesAfterFirst = testenv::LogLines().size();
      continue;
    }
    EXPECT_EQ(LiveTextures(), texturesAfterFirst) << "round " << round;
    const auto log = testenv::LogLines();
    EXPECT_EQ(log.size(), logLinesAfterFirst)
        << "round " << round << " logged: " << (log.empty() ? "" : log.back());
  }
  // A leak of the room pictures alone would cost about 12 MiB a flight.
  EXPECT_LT(ResidentMiB() - residentAfterFirst, 16.0);
  SetHiscoreLocations("", "");
}

}  // namespace
}  // namespace zelvo
