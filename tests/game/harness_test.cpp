#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "fake_io.h"
#include "game/harness.h"
#include "game/screens.h"

namespace zelvo::testing {
namespace {

TEST(KeyScript, ReadsHeldKeysAndTapsByFrame) {
  KeyScript script;
  std::string error;
  ASSERT_TRUE(
      script.Parse("input-replay 1\n# comment\njoystick Pad\n"
                   "0 focus=1 keys=-\n3 keys=208,28\n5.2 keys=- tap=15,15 mouse=1,2\n",
                   &error))
      << error;
  ASSERT_EQ(script.changes.size(), 3u);
  EXPECT_EQ(script.changes[3].keys, (std::set<int>{208, 28}));
  EXPECT_TRUE(script.changes[5].keys.empty());
  EXPECT_EQ(script.changes[5].taps, (std::vector<int>{15, 15}));
  EXPECT_EQ(script.LastFrame(), 5);

  for (const char* bad :
       {"", "input-replay 2\n", "input-replay 1\nkeys=1\n", "input-replay 1\n4 keys=1\n2 keys=2\n",
        "input-replay 1\n1 keys=x\n", "input-replay 1\n1 keys\n"}) {
    EXPECT_FALSE(script.Parse(bad, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(HarnessOptions, ParsesTheCommandLine) {
  HarnessOptions o;
  std::string error;
  ASSERT_TRUE(
      ParseHarnessOptions("--replay r.txt --trace t.jsonl --unpaced --frames 90 "
                          "--shot 10 a.png --shot 20 b.png",
                          o, &error));
  EXPECT_EQ(o.replay, "r.txt");
  EXPECT_EQ(o.trace, "t.jsonl");
  EXPECT_TRUE(o.unpaced);
  EXPECT_EQ(o.frames, 90);
  ASSERT_EQ(o.shots.size(), 2u);
  EXPECT_EQ(o.shots[1].second, "b.png");
  HarnessOptions none;
  EXPECT_TRUE(ParseHarnessOptions("", none, &error));
  EXPECT_FALSE(none.Active());
  EXPECT_FALSE(ParseHarnessOptions("--replay", none, &error));
  EXPECT_FALSE(ParseHarnessOptions("--frames 0", none, &error));
  EXPECT_FALSE(ParseHarnessOptions("--fast", none, &error));
}

class HarnessTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    SetIo(&harness);
  }
  void Script(const std::string& text) {
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.Parse(text, &error)) << error;
    harness.SetScript(script);
  }
  HarnessIo harness{io};
};

TEST_F(HarnessTest, TapsReadAsHeldOnceAndEscapeEndsTheRun) {
  Script("input-replay 1\n0 tap=28\n1 keys=208\n2 keys=-\n3 keys=1\n");
  EXPECT_TRUE(harness.KeyDown(28));
  EXPECT_FALSE(harness.KeyDown(28));
  harness.EndFrame();
  EXPECT_TRUE(harness.KeyDown(208));
  EXPECT_TRUE(harness.KeyDown(208));
  harness.EndFrame();
  EXPECT_FALSE(harness.KeyDown(208));
  EXPECT_THROW(harness.EndFrame(), StopGame);
  EXPECT_TRUE(io.ended);
  EXPECT_EQ(harness.ElapsedTime(), 3 * HarnessIo::kFrameMs);
  EXPECT_EQ(io.frames, 3);
}

TEST_F(HarnessTest, SoundsEndAfterTheirLengthInFrames) {
  const std::string wave = ::testing::TempDir() + "harness_" + std::to_string(getpid()) + ".wav";
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
  harness.LoadSound(wave.c_str(), 2);
  const int channel = harness.PlaySound(2, 0.9);
  int frames = 0;
  while (harness.SoundPlaying(channel)) {
    harness.EndFrame();
    ++frames;
  }
  EXPECT_EQ(frames, 12);
  EXPECT_FALSE(harness.SoundPlaying(12345));
  std::remove(wave.c_str());
}

TEST_F(HarnessTest, TheTraceHasOneLinePerFrameWithTheRunsState) {
  const std::string path =
      ::testing::TempDir() + "harness_trace_" + std::to_string(getpid()) + ".jsonl";
  ASSERT_TRUE(harness.OpenTrace(path));
  Script("input-replay 1\n");
  Game().gameState = kPlay;
  ResetRun();
  harness.SetFrameLimit(3);
  try {
    PlayLoop();
  } catch (const StopGame&) {
  }
  harness.CloseTrace();
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

TEST_F(HarnessTest, AScriptedGameGoesFromTheMenuToPlayAndBack) {
  // Down twice and up twice on the menu, Return on entry 0, fly right for a
  // second, then both Shift keys.
  Script(
      "input-replay 1\n"
      "2 keys=208\n3 keys=-\n4 keys=208\n5 keys=-\n6 keys=200\n7 keys=-\n8 keys=200\n9 keys=-\n"
      "10 keys=28\n11 keys=-\n20 keys=205\n80 keys=42,54\n81 keys=-\n");
  Game().gameState = kMenu;
  harness.SetFrameLimit(200);
  const std::string folder = ::testing::TempDir() + "harness_hs_" + std::to_string(getpid());
  SetHiscoreLocations(folder + "/Hiscores.dat", folder + "/user");
  std::vector<double> screens;
  io.onFrame = [&screens] {
    if (screens.empty() || screens.back() != Game().gameState) screens.push_back(Game().gameState);
  };
  try {
    for (int i = 0; i < 3; ++i) DispatchOnce();
  } catch (const StopGame&) {
  }
  SetHiscoreLocations("", "");
  EXPECT_EQ(screens, (std::vector<double>{kMenu, kPlay, kMenu}));
  EXPECT_GT(Game().run.planeX, 100);
}

}  // namespace
}  // namespace zelvo::testing
