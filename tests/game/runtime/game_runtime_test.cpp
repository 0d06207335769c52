// The game on the real runtime: offscreen video, dummy audio, the generated
// assets, the harness's scripted keys and fixed clock. Checks what only the
// real commands show: pixels of the logical screen and memory over many runs.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
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

// Resident memory in MiB.
double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

class GameOnRuntime : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testenv::SharedEngine();
    // The game names its assets relative to the run directory.
    ASSERT_EQ(chdir(GAME_RUN_DIR), 0);
    folder_ = testenv::PrivateTempDir() + "/game_runtime";
    std::filesystem::create_directories(folder_);
    SetHiscoreLocations(folder_ + "/Hiscores.dat", folder_ + "/user");
    static HarnessIo harness(RuntimeIo());
    SetIo(&harness);
    ResetGame();
    GameSetUp();
    SetFrameRate(1e9);  // unpaced
    DispatchOnce();     // the Loading screen
  }
  static void TearDownTestSuite() { SetHiscoreLocations("", ""); }

  void StartRun() {
    Game().gameState = kPlay;
    ResetRun();
    ASSERT_TRUE(StartLevelSet());
  }
  static std::string folder_;
};
std::string GameOnRuntime::folder_;

TEST_F(GameOnRuntime, LoadingFillsEverySlotWithItsPicture) {
  EXPECT_EQ(Game().nextSpriteSlot, 55);
  int width = 0, height = 0;
  SpriteSize(slot::kPlane, width, height);
  EXPECT_GT(width, 0);
  SpriteSize(slot::kWindShape, width, height);
  EXPECT_EQ(width, 25);
  EXPECT_EQ(height, 194);
  // The confirm sound's length bounds the end screens' wait.
  EXPECT_GT(Game().confirmWaitFrames, 30);
  EXPECT_LT(Game().confirmWaitFrames, 600);
}

TEST_F(GameOnRuntime, TheDisplayDrawsTheVolumeBar) {
  StartRun();
  PlayFrame();
  // White bar 30 px wide, blue over the first 15 (MasterVolume 0.5), below
  // the "VOL" letters.
  EXPECT_EQ(ReadPixel(281, 22), kBlue);
  EXPECT_EQ(ReadPixel(307, 22), kWhite);
  Io().EndFrame();
}

TEST_F(GameOnRuntime, AnUnlitRoomShowsOnlyItsSwitch) {
  StartRun();
  Game().run.roomIndex = 8;
  Game().run.planeX = 300;
  PlayFrame();
  // The middle of the room is black; the switch at (65, 170) is not.
  EXPECT_EQ(ReadPixel(160, 140), 0);
  bool switchShows = false;
  for (int y = 170; y < 190; ++y) {
    for (int x = 65; x < 79; ++x) switchShows |= ReadPixel(x, y) != 0;
  }
  EXPECT_TRUE(switchShows);
  Io().EndFrame();
}

TEST_F(GameOnRuntime, ThePlaneSinksToTheFloorOnTheRealCollisionShapes) {
  StartRun();
  Game().run.roomIndex = 22;  // no wind
  Game().run.planeX = 10;
  Game().run.windForce = 0;  // carried over from the run before
  int frames = 0;
  while (Game().run.crashed == 0 && frames < 200) {
    PlayFrame();
    Io().EndFrame();
    ++frames;
  }
  EXPECT_EQ(frames, 88);
}

TEST_F(GameOnRuntime, TwoHundredRunsKeepMemoryFlat) {
  auto someRuns = [this](int runs) {
    for (int i = 0; i < runs; ++i) {
      StartRun();
      for (int f = 0; f < 3; ++f) {
        PlayFrame();
        Io().EndFrame();
      }
      // And an Options visit's labels.
      TakeSpriteBlock(Game().options.labels, 8);
      for (int k = 0; k < 8; ++k) {
        Io().CopyScreenToSprite(Game().options.labels.first + k, 0, 12 * k, 50, 12);
      }
    }
  };
  someRuns(20);
  const double before = ResidentMiB();
  const double firstSlot = Game().nextSpriteSlot;
  someRuns(180);
  const double after = ResidentMiB();
  // Leaking the room pictures costs about 12 MiB a run.
  EXPECT_LT(after - before, 24.0) << before << " MiB -> " << after << " MiB";
  // The counter still counts as if every run kept its slots.
  EXPECT_EQ(Game().nextSpriteSlot, firstSlot + 180 * 25);
}

}  // namespace
}  // namespace zelvo
