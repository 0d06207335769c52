// The game on the real runtime: offscreen video, the generated assets, the
// harness on the runtime's deterministic run (scripted keys, fixed clock,
// recorded sound). Checks what only the real commands show: pixels of the
// logical screen, memory over many runs, and the harness at work.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "game/course.h"
#include "game/game_io.h"
#include "game/harness.h"
#include "game/hiscores.h"
#include "game/play.h"
#include "game/screens.h"
#include "game/startup.h"
#include "runtime/input/input_service.h"
#include "runtime/platform/input_devices.h"
#include "runtime/platform/test_backend.h"

// The memory test reads resident memory. The address sanitizer keeps up to
// 256 MiB of freed blocks resident by default, which runs that free little
// fill only slowly and would read as growth; a small quarantine still
// catches use after free. (Unused without the sanitizer.)
extern "C" const char* __asan_default_options() {
  return "quarantine_size_mb=16";
}

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
    std::string error;
    ASSERT_TRUE(StartDeterministicRun(DeterministicRunOptions{}, &error)) << error;
    harness_ = new HarnessIo();
    harness_->SetRunEnd([] { throw RunEnded{}; });
    harness_->Attach();
    SetIo(harness_);
    ResetGame();
    GameSetUp();
    DispatchOnce();  // the Loading screen
  }
  static void TearDownTestSuite() { SetHiscoreLocations("", ""); }

  void StartRun() {
    Game().gameState = kPlay;
    ResetRun();
    ASSERT_TRUE(StartLevelSet());
  }
  // Thrown where the harness ends the run (frame limit, Escape).
  struct RunEnded {};
  static std::string folder_;
  static HarnessIo* harness_;
};
std::string GameOnRuntime::folder_;
HarnessIo* GameOnRuntime::harness_ = nullptr;

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

TEST_F(GameOnRuntime, HarnessKeysReadLikeAPlayersAndEscapeEndsTheRun) {
  HarnessIo& h = *harness_;
  h.Attach();
  ScriptTap(key::kReturn);
  EXPECT_TRUE(h.KeyDown(key::kReturn));
  EXPECT_FALSE(h.KeyDown(key::kReturn));
  h.HoldKeys({key::kDown});
  h.EndFrame();
  EXPECT_TRUE(h.KeyDown(key::kDown));
  EXPECT_TRUE(h.KeyDown(key::kDown));
  h.HoldKeysFrom(2, {});
  h.EndFrame();
  EXPECT_FALSE(h.KeyDown(key::kDown));
  const double elapsed = h.ElapsedTime();
  // The runtime would end the program on Escape itself; the harness ends
  // the run for programs that read Escape as a key.
  SetEscapeQuits(0);
  h.HoldKeys({HarnessIo::kEscape});
  EXPECT_THROW(h.EndFrame(), RunEnded);
  h.HoldKeys({});
  // Read, so that the released key is no unseen press when Escape counts
  // again.
  EXPECT_TRUE(h.KeyDown(HarnessIo::kEscape));
  SetEscapeQuits(1);
  EXPECT_EQ(h.Frame(), 3);
  EXPECT_NEAR(h.ElapsedTime() - elapsed, 1000.0 / 60, 1e-9);
  EXPECT_DOUBLE_EQ(h.FrameTime(), 1000.0 / 60);
}

TEST_F(GameOnRuntime, HarnessSoundsEndAfterTheirLengthInFrames) {
  const std::string wave = folder_ + "/harness_200ms.wav";
  {
    std::ofstream out(wave, std::ios::binary);
    auto u32 = [&out](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&out](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + 4410);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(22050);
    u32(22050);
    u16(1);
    u16(8);
    out.write("data", 4);
    u32(4410);  // 200 ms: 12 frames
    out.write(std::string(4410, '\x80').data(), 4410);
  }
  HarnessIo& h = *harness_;
  h.LoadSound(wave.c_str(), 120);
  const int channel = h.PlaySound(120, 0.9);
  ASSERT_GE(channel, 0);
  int frames = 0;
  while (h.SoundPlaying(channel) && frames < 100) {
    h.EndFrame();
    ++frames;
  }
  EXPECT_EQ(frames, 12);
  EXPECT_FALSE(h.SoundPlaying(12345));
  std::remove(wave.c_str());
}

TEST_F(GameOnRuntime, TheTraceHasOneLinePerFrameWithTheRunsState) {
  HarnessIo& h = *harness_;
  const std::string path = folder_ + "/trace.jsonl";
  ASSERT_TRUE(h.OpenTrace(path));
  h.Attach();
  StartRun();
  h.SetFrameLimit(3);
  EXPECT_THROW(
      for (;;) {
        PlayFrame();
        Io().EndFrame();
      },
      RunEnded);
  h.SetFrameLimit(0);
  h.CloseTrace();
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("{\"frame\":0,\"frameTime\":16.666666666666668,\"screen\":6,", 0), 0u)
      << lines[0];
  EXPECT_NE(lines[0].find("\"music\":[\"sound/0.mp3 loop\"]"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"room\":0,\"x\":0,\"y\":50,\"form\":0,\"score\":0,\"planes\":4"),
            std::string::npos)
      << lines[1];
  // 17 significant digits, so a number reads back exactly.
  EXPECT_NE(lines[2].find("\"musicLevel\":0.34999999999999998,\"effectsLevel\":1.8,"),
            std::string::npos)
      << lines[2];
  std::remove(path.c_str());
}

TEST_F(GameOnRuntime, AScriptedGameGoesFromTheMenuToPlayAndBack) {
  HarnessIo& h = *harness_;
  const std::string path = folder_ + "/menu_trace.jsonl";
  ASSERT_TRUE(h.OpenTrace(path));
  h.Attach();
  // Down twice and up twice on the menu, Return on entry 0, fly right for a
  // second, then both Shift keys.
  const std::vector<std::pair<long, std::vector<int>>> keys = {
      {2, {key::kDown}},
      {3, {}},
      {4, {key::kDown}},
      {5, {}},
      {6, {key::kUp}},
      {7, {}},
      {8, {key::kUp}},
      {9, {}},
      {10, {key::kReturn}},
      {11, {}},
      {20, {key::kRight}},
      {80, {key::kLeftShift, key::kRightShift}},
      {81, {}}};
  for (const auto& [frame, held] : keys) h.HoldKeysFrom(frame, held);
  Game().gameState = kMenu;
  h.SetFrameLimit(200);
  try {
    for (int i = 0; i < 3; ++i) DispatchOnce();
  } catch (const RunEnded&) {
  }
  h.SetFrameLimit(0);
  h.CloseTrace();
  std::vector<double> screens;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find("\"screen\":");
    ASSERT_NE(at, std::string::npos);
    const double screen = std::stod(line.substr(at + 9));
    if (screens.empty() || screens.back() != screen) screens.push_back(screen);
  }
  EXPECT_EQ(screens, (std::vector<double>{kMenu, kPlay, kMenu}));
  EXPECT_GT(Game().run.planeX, 100);
  std::remove(path.c_str());
}

// The real input backend, with SDL's virtual pads plugged in and out while
// the game runs: a pad confirms the menu, flies room 0 and pauses, and a
// pad plugged in during the pause resumes the flight.
TEST_F(GameOnRuntime, AVirtualGamepadFliesRoomZeroAndPauses) {
  struct Backend {
    plat::InputDevices& scripted = plat::ActiveInputDevices();
    Backend() {
      plat::InstallInputDevices(&plat::SdlInputDevices());
      InputBackendChanged();
    }
    ~Backend() {
      plat::InstallInputDevices(&scripted);
      InputBackendChanged();
    }
  } backend;
  auto frame = [] {
    PlayFrame();
    Io().EndFrame();
  };
  // A pad that is not seen would hold the menu for ever.
  harness_->Attach();
  harness_->SetFrameLimit(2000);
  struct NoLimit {
    ~NoLimit() { harness_->SetFrameLimit(0); }
  } noLimit;

  auto pad = std::make_unique<plat::VirtualPad>();
  ASSERT_TRUE(pad->ok()) << plat::VirtualPad::Error();
  Io().EndFrame();  // its news comes with the frame's event pump
  ASSERT_EQ(PadCount(), 1);

  pad->SetButton(pads::kA, true);
  Game().gameState = kMenu;
  DispatchOnce();
  ASSERT_EQ(Game().gameState, kPlay);
  pad->SetButton(pads::kA, false);

  StartRun();
  zelvo::Run& r = Game().run;
  pad->SetAxis(pads::kLeftX, 32767);
  for (int i = 0; i < 40; ++i) frame();
  EXPECT_GT(r.planeX, 100);

  // A change reaches the game with the next frame's event pump.
  auto tapStart = [&] {
    pad->SetButton(pads::kStart, true);
    frame();
    frame();
    pad->SetButton(pads::kStart, false);
    frame();
    frame();
  };
  tapStart();
  ASSERT_EQ(r.frozen, 1);
  const double x = r.planeX, y = r.planeY;
  for (int i = 0; i < 20; ++i) frame();
  EXPECT_EQ(r.planeX, x);
  EXPECT_EQ(r.planeY, y);

  // Unplugged during the pause, another pad takes over.
  pad.reset();
  frame();
  EXPECT_EQ(PadCount(), 0);
  pad = std::make_unique<plat::VirtualPad>();
  ASSERT_TRUE(pad->ok()) << plat::VirtualPad::Error();
  frame();
  ASSERT_EQ(PadCount(), 1);
  tapStart();
  EXPECT_EQ(r.frozen, 0);
  pad->SetButton(pads::kDpadRight, true);
  int frames = 0;
  while (r.roomIndex == 0 && r.crashed == 0 && frames < 200) {
    frame();
    ++frames;
  }
  EXPECT_EQ(r.roomIndex, 1);
  EXPECT_EQ(r.planes, 4);
  EXPECT_EQ(r.crashed, 0);
}

}  // namespace
}  // namespace zelvo
