// coursesolver: searches the key inputs that fly the whole course from a new
// game to the "game complete" screen without losing a plane, and writes them
// as an input replay for `zelvo2 --replay` and `zelvo2 --autopilot`.
//
//   coursesolver --assets DIR --out FILE [--cell PX] [--per-cell N] [--exits N]
//                [--verbose]
//
// DIR is the game's run directory (the generated assets). The search runs
// the game's own rules on the runtime's collision shapes; the replay is then
// checked by stepping it from a fresh game once more.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/game_io.h"
#include "game/zelvo.h"
#include "runtime/runtime.h"
#include "tools/coursesolver/course_search.h"
#include "tools/coursesolver/game_driver.h"
#include "tools/coursesolver/replay_script.h"

namespace {

using namespace coursesolver;

// Frames the "game complete" screen shows before the script's Escape.
constexpr long kCompleteFrames = 300;

int Usage() {
  std::fprintf(stderr,
               "usage: coursesolver --assets DIR --out FILE [--cell PX] [--per-cell N] "
               "[--exits N] [--verbose]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Program end (a fatal runtime error too) shuts the engine down.
  SetProgramExitHandler(ShutdownAndExit);
  std::string assets, out;
  SearchOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--assets" && hasValue) {
      assets = argv[++i];
    } else if (arg == "--out" && hasValue) {
      out = argv[++i];
    } else if (arg == "--cell" && hasValue) {
      options.cellSize = std::atof(argv[++i]);
    } else if (arg == "--per-cell" && hasValue) {
      options.perCell = std::atoi(argv[++i]);
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--exits" && hasValue) {
      options.maxExits = std::atoi(argv[++i]);
    } else {
      return Usage();
    }
  }
  if (assets.empty() || out.empty() || options.cellSize <= 0 || options.perCell < 1 ||
      options.maxExits < 1) {
    return Usage();
  }
  out = std::filesystem::absolute(out).string();
  const std::string hiscores = std::filesystem::temp_directory_path() / "coursesolver_hiscores";
  std::filesystem::create_directories(hiscores);
  if (chdir(assets.c_str()) != 0) {
    std::fprintf(stderr, "coursesolver: no asset folder %s\n", assets.c_str());
    return 1;
  }

  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(nullptr, nullptr, "", 1, "coursesolver");
  ClearRuntimeError();

  GameDriver driver(hiscores);
  const auto menuKeys = driver.NewGame();
  const auto start = driver.Save();
  const PlaneView first = driver.View();
  std::printf("first play frame %ld\n", first.frame);

  CourseSearch search(driver, options);
  search.log = [](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  };
  const auto began = std::chrono::steady_clock::now();
  std::vector<uint8_t> keys;
  const bool solved = search.SolveCourse(*start, keys);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::printf("search %s in %.1f s\n", solved ? "done" : "failed", seconds);
  if (!solved) {
    for (const RoomStats& s : search.Stats()) {
      if (!s.stuck) continue;
      std::printf("no way through room %d from frame %ld x=%g y=%g form=%g\n", s.room,
                  s.stuckEntry.frame, s.stuckEntry.x, s.stuckEntry.y, s.stuckEntry.form);
    }
    return 1;
  }

  // The keys once more from a fresh game, to find the frame of every step
  // and to check the saved states told the truth.
  driver.NewGame();
  KeyTimeline timeline;
  timeline.changes = menuKeys;
  for (uint8_t keySet : keys) {
    timeline.Hold(driver.View().frame, ScanCodesOf(keySet));
    driver.Step(keySet);
  }
  const PlaneView end = driver.View();
  if (end.screen != zelvo::kComplete || end.planes < 4) {
    std::printf("replaying the keys ended on screen %g in room %g with %g planes\n", end.screen,
                end.room, end.planes);
    return 1;
  }
  timeline.Hold(end.frame + kCompleteFrames, {zelvo::key::kEscape});
  std::vector<std::string> comments = {
      "The whole course flown from a new game, written by coursesolver.",
      "Regenerate: SDL_VIDEODRIVER=offscreen build/run/coursesolver --assets build/run --out "
      "game/autopilot.replay",
      "game complete at frame " + std::to_string(end.frame) + ", score " +
          std::to_string(static_cast<long>(end.score)) + ", planes " +
          std::to_string(static_cast<int>(end.planes))};
  std::ofstream file(out, std::ios::binary);
  file << timeline.ReplayText(comments);
  if (!file) {
    std::fprintf(stderr, "coursesolver: cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("game complete at frame %ld, score %g, planes %g; %zu lines in %s\n", end.frame,
              end.score, end.planes, timeline.changes.size(), out.c_str());
  std::printf("room seconds:");
  for (const RoomStats& s : search.Stats()) std::printf(" %d:%.1f", s.room, s.seconds);
  std::printf("\n");
  return 0;
}
