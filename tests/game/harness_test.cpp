// The harness's keys, clock and sounds are the runtime's deterministic run;
// tests of the harness at work are in runtime/game_runtime_test.cpp.
#include "game/harness.h"

#include <filesystem>

#include "fake_io.h"

namespace zelvo::testing {
namespace {

TEST(HarnessOptions, ParsesTheCommandLine) {
  HarnessOptions o;
  std::string error;
  ASSERT_TRUE(
      ParseHarnessOptions("--replay r.txt --trace t.jsonl --unpaced --frames 90 "
                          "--shot 10 a.png --shot 20 b.png",
                          o, &error));
  // The runtime takes its standard options; the game keeps --trace.
  EXPECT_EQ(o.standard.replay, std::filesystem::absolute("r.txt").string());
  EXPECT_EQ(o.trace, "t.jsonl");
  EXPECT_TRUE(o.standard.unpaced);
  EXPECT_EQ(o.standard.frames, 90);
  ASSERT_EQ(o.standard.shots.size(), 2u);
  EXPECT_EQ(o.standard.shots[1].second, std::filesystem::absolute("b.png").string());
  EXPECT_TRUE(o.Active());
  HarnessOptions none;
  EXPECT_TRUE(ParseHarnessOptions("", none, &error));
  EXPECT_FALSE(none.Active());
  EXPECT_FALSE(ParseHarnessOptions("--replay", none, &error));
  EXPECT_FALSE(ParseHarnessOptions("--frames 0", none, &error));
  EXPECT_FALSE(ParseHarnessOptions("--fast", none, &error));
  EXPECT_FALSE(ParseHarnessOptions("--trace", none, &error));
  HarnessOptions atlas;
  ASSERT_TRUE(ParseHarnessOptions("--atlas rooms", atlas, &error)) << error;
  EXPECT_TRUE(atlas.Active());
}

}  // namespace
}  // namespace zelvo::testing
