#include "game/autopilot.h"

#include <gtest/gtest.h>

namespace zelvo {
namespace {

TEST(AutopilotOption, IsTakenOutAndTheOtherOptionsStay) {
  std::string line = "--unpaced --autopilot --frames 90";
  EXPECT_TRUE(TakeAutopilotOption(line));
  EXPECT_EQ(line, "--unpaced --frames 90");

  std::string alone = "--autopilot";
  EXPECT_TRUE(TakeAutopilotOption(alone));
  EXPECT_EQ(alone, "");

  // Only the whole word: a replay file named like the option stays a file.
  std::string other = "--replay --autopilot.txt --trace t";
  EXPECT_FALSE(TakeAutopilotOption(other));
  EXPECT_EQ(other, "--replay --autopilot.txt --trace t");
}

}  // namespace
}  // namespace zelvo
