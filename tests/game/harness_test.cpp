// The harness's keys, clock and sounds are the runtime's deterministic run;
// tests of the harness at work are in runtime/game_runtime_test.cpp.
#include "game/harness.h"
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

}  // namespace
}  // namespace zelvo::testing
