// The harness's keys, clock and sounds are the runtime's deterministic run;
// tests of the harness at work are in runtime/game_runtime_test.cpp.
#include "game/harness.h"

#include <filesystem>

#include "fake_io.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

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
  EXPECT_EQ(o.standard.replay, UserPath("r.txt"));
  EXPECT_EQ(o.trace, UserPath("t.jsonl"));
  EXPECT_TRUE(o.standard.unpaced);
  EXPECT_EQ(o.standard.frames, 90);
  ASSERT_EQ(o.standard.shots.size(), 2u);
  EXPECT_EQ(o.standard.shots[1].second, UserPath("b.png"));
  EXPECT_TRUE(o.Active());
  HarnessOptions none;
  EXPECT_TRUE(ParseHarnessOptions("", none, &error));
  EXPECT_FALSE(none.Active());
  EXPECT_FALSE(ParseHarnessOptions("--replay", none, &error));
  EXPECT_FALSE(ParseHarnessOptions("--frames 0", none, &error));
  EXPECT_FALSE(ParseHarnessOptions("--fast", none, &error));
  EXPECT_FALSE(ParseHarnessOptions("--trace", none, &error));
  HarnessOptions atlas;
  ASSERT_TRUE(ParseHarnessOptions("--atlas .", atlas, &error)) << error;
  EXPECT_TRUE(atlas.Active());
}

// The game runs in its own folder: a relative --trace once replaced the
// game's music archive. Paths are the user's, numbers are whole, and a
// picture that cannot be written is refused before the run.
TEST(HarnessOptions, PathsAreTheUsersAndValuesAreTakenWhole) {
  HarnessOptions o;
  std::string error;
  ASSERT_TRUE(ParseHarnessOptions("--trace sound.sbx --timing /abs/t.txt --replay ../r", o, &error))
      << error;
  EXPECT_EQ(o.trace, StartDirectory() + "/sound.sbx");
  EXPECT_EQ(o.timing, "/abs/t.txt");
  EXPECT_EQ(o.standard.replay, StartDirectory() + "/../r");

  // The start directory stays the user's when the program's folder
  // becomes current.
  const std::string before = StartDirectory();
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(UserPath("x.png"), before + "/x.png");
  ASSERT_EQ(chdir(before.c_str()), 0);

  for (const char* line : {"--frames 12abc", "--frames 12.5", "--frames ''", "--frames -3",
                           "--frames 99999999999999", "--shot 1x a.png", "--shot -1 a.png"}) {
    HarnessOptions refused;
    EXPECT_FALSE(ParseHarnessOptions(line, refused, &error)) << line;
    EXPECT_FALSE(error.empty());
  }

  char tmpl[] = "/tmp/rt_harness_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  const std::string file = dir + "/file";
  std::ofstream(file) << "x";
  HarnessOptions shots;
  EXPECT_FALSE(ParseHarnessOptions("--atlas " + dir + "/missing", shots, &error));
  EXPECT_FALSE(ParseHarnessOptions("--atlas " + file, shots, &error));
  EXPECT_NE(error.find("no folder"), std::string::npos) << error;
  EXPECT_TRUE(ParseHarnessOptions("--atlas " + dir + " --shot 5 " + dir + "/a.png", shots, &error))
      << error;
  EXPECT_EQ(shots.atlas, dir);
  std::remove(file.c_str());
  rmdir(dir.c_str());
}

TEST(WholeInteger, TakesOnlyWholeValuesInRange) {
  long long v = 7;
  EXPECT_TRUE(ParseWholeInteger("12", 0, 100, &v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(ParseWholeInteger("-5", -10, 10, &v));
  EXPECT_EQ(v, -5);
  for (const char* bad :
       {"", "12abc", " 12", "+12", "1e3", "0x10", "101", "-11", "9223372036854775808"}) {
    v = 7;
    EXPECT_FALSE(ParseWholeInteger(bad, -10, 100, &v)) << bad;
    EXPECT_EQ(v, 7) << bad;
  }
}

}  // namespace
}  // namespace zelvo::testing
