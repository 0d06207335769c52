// The clock backends: the real one follows the machine's (here the test)
// clock, the stepped one reads whole frames, and installing decides which
// one the timing commands see.
#include "runtime/platform/clock.h"

#include <gtest/gtest.h>

#include "runtime/platform/test_backend.h"

namespace {

TEST(SteppedClock, ReadsWholeFramesFromItsOriginWithoutDrift) {
  plat::SteppedClock clock(1000.0 / 60.0, false);
  EXPECT_EQ(clock.NowMs(), 0.0);
  for (int i = 0; i < 360000; ++i) clock.Step();
  // An hour of frames: a product, not a sum of rounded frame times.
  EXPECT_EQ(clock.NowMs(), 360000 * (1000.0 / 60.0));
  EXPECT_EQ(clock.Frames(), 360000);

  clock.Set(250.5);
  EXPECT_EQ(clock.NowMs(), 250.5);
  EXPECT_EQ(clock.Frames(), 0);
  clock.Step();
  EXPECT_EQ(clock.NowMs(), 250.5 + 1000.0 / 60.0);
  EXPECT_EQ(clock.FrameMs(), 1000.0 / 60.0);
  EXPECT_FALSE(clock.PacedInRealTime());
  EXPECT_TRUE(plat::SteppedClock(20, true).PacedInRealTime());
}

TEST(ActiveClock, IsTheRealClockUnlessAnotherIsInstalled) {
  double now = 1234.5;
  plat::SetTestClock([&] { return now; }, [&](double ms) { now += ms; });
  EXPECT_EQ(plat::ActiveClock().NowMs(), 1234.5);
  EXPECT_EQ(plat::ActiveClock().FrameMs(), 0.0);
  EXPECT_TRUE(plat::ActiveClock().PacedInRealTime());

  plat::SteppedClock stepped(10, false);
  stepped.Step();
  plat::InstallClock(&stepped);
  EXPECT_EQ(plat::ActiveClock().NowMs(), 10.0);
  EXPECT_EQ(plat::ActiveClock().FrameMs(), 10.0);
  // Real time goes on underneath for whoever paces frames.
  plat::SleepMs(5);
  EXPECT_EQ(plat::NowMs(), 1239.5);
  EXPECT_EQ(plat::ActiveClock().NowMs(), 10.0);

  plat::InstallClock(nullptr);
  EXPECT_EQ(plat::ActiveClock().NowMs(), 1239.5);
  plat::SetTestClock(nullptr, nullptr);
}

}  // namespace
