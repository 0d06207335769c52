// The solved course flown by the real game. Once as CI and a player run it,
// through the program with a trace; then several times over in one process,
// where memory, textures and the error log must end each flight as the one
// before left them.
#include <GL/gl.h>
#include <malloc.h>
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

// The end of a run returns to the test instead of ending the process.
struct RunEnded {};

// Resident memory after handing freed heap back to the system, so that the
// allocator's retained pages do not read as growth.
double ResidentMiB() {
  malloc_trim(0);
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
// script's keys, as the runtime's deterministic run.
Flight FlyOnce(const ExpectedEnd& expected) {
  DeterministicRunOptions run;
  run.replayFile = kScript;
  std::string error;
  EXPECT_TRUE(StartDeterministicRun(run, &error)) << error;
  HarnessIo harness;
  harness.SetRunEnd([] { throw RunEnded{}; });
  harness.SetFrameLimit(expected.frame + 10);
  harness.Attach();
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
  harness.Detach();
  SetIo(&RuntimeIo());
  EndDeterministicRun();
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

  double residentAfterWarmUp = 0;
  int texturesAfterFirst = 0;
  size_t logLinesAfterFirst = 0;
  // AUTOPILOT_SOAK_ROUNDS in the environment overrides the build's count.
  const char* roundsText = std::getenv("AUTOPILOT_SOAK_ROUNDS");
  const int rounds = roundsText ? std::atoi(roundsText) : AUTOPILOT_SOAK_ROUNDS;
  for (int round = 0; round < rounds; ++round) {
    const Flight flight = FlyOnce(expected);
    std::printf("flight %d: frame %ld, %.1f MiB resident, %d textures\n", round + 1, flight.frame,
                ResidentMiB(), LiveTextures());
    std::fflush(stdout);
    ASSERT_EQ(flight.screen, kComplete) << "round " << round << " ended at " << flight.frame;
    // The game complete screen is entered before its first frame ends.
    EXPECT_EQ(flight.frame, expected.frame) << round;
    EXPECT_EQ(flight.score, expected.score) << round;
    EXPECT_EQ(flight.planes, expected.planes) << round;
    // The first two flights fill the picture cache and warm the allocator;
    // from then on nothing may grow.
    if (round == 1) residentAfterWarmUp = ResidentMiB();
    if (round == 0) {
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
  EXPECT_LT(ResidentMiB() - residentAfterWarmUp, 16.0);
  SetHiscoreLocations("", "");
}

}  // namespace
}  // namespace zelvo
