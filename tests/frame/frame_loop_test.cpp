// Frame pacing, pause and the clock commands, on a started engine with a
// virtual clock so no test waits for real time.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine_fixture.h"
#include "runtime/audio/audio_state.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/render/screen_buffer.h"

namespace {

using testenv::FakeClock;

TEST(FramePacing, SixtyFramesASecondFollowTheAbsoluteSchedule) {
  Renderer* r = testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  SetFrameRate(60);
  EXPECT_DOUBLE_EQ(FrameClockState().msPerFrame, 1000.0 / 60.0);

  FrameClockState().nextFrameTime = clock.now + 5;
  const double base = FrameClockState().nextFrameTime;
  for (int k = 0; k < 120; ++k) {
    PresentFrame(r);
    const double slot = base + k * (1000.0 / 60.0);
    // Shown just after its slot, never before and never noticeably late.
    ASSERT_GT(clock.now, slot) << "frame " << k;
    ASSERT_LT(clock.now, slot + 0.05) << "frame " << k;
    // The schedule is absolute: slot k+1 is base + (k+1) periods, not the
    // previous frame's end plus a period, so nothing drifts.
    ASSERT_NEAR(FrameClockState().nextFrameTime, base + (k + 1) * (1000.0 / 60.0), 1e-6);
  }
}

TEST(FramePacing, LateWakeUpsWidenTheSpinSoLaterFramesStayOnTime) {
  Renderer* r = testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  SetFrameRate(60);
  // A calm start, then the machine turns busy: every sleep ends 1.2 ms
  // after it should.
  for (int k = 0; k < 10; ++k) PresentFrame(r);
  clock.onSleep = [&] { clock.now += 1.2; };
  FrameClockState().nextFrameTime = clock.now + 5;
  const double base = FrameClockState().nextFrameTime;
  int late = 0;
  for (int k = 0; k < 60; ++k) {
    PresentFrame(r);
    if (clock.now > base + k * (1000.0 / 60.0) + 0.05) ++late;
  }
  clock.onSleep = nullptr;
  // Only the first frame or two may be late while the margin adapts.
  EXPECT_LE(late, 2);
  // Calm again: the margin shrinks back, so the wait sleeps most of a frame.
  for (int k = 0; k < 300; ++k) PresentFrame(r);
  const double before = clock.slept;
  PresentFrame(r);
  EXPECT_GT(clock.slept - before, 1000.0 / 60.0 - 1.0);
}

TEST(FramePacing, ScatteredLongDelaysDoNotTurnTheWaitIntoASpin) {
  Renderer* r = testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  SetFrameRate(60);
  // A crowded machine: now and then a sleep ends 3 ms late.
  int n = 0;
  clock.onSleep = [&] {
    if (++n % 3 == 0) clock.now += 3.0;
  };
  FrameClockState().nextFrameTime = clock.now + 5;
  for (int k = 0; k < 120; ++k) PresentFrame(r);
  clock.onSleep = nullptr;
  // The spin stays short (its CPU bounded) and most of each frame is slept.
  EXPECT_LE(FrameClockState().spinMs, 0.75);
  const double before = clock.slept;
  const double start = clock.now;
  for (int k = 0; k < 60; ++k) PresentFrame(r);
  EXPECT_GT((clock.slept - before) / (clock.now - start), 0.9);
}

TEST(FramePacing, OnlyTheSleepBeforeTheSpinSetsItsMargin) {
  Renderer* r = testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  // At 20 frames a second the wait sleeps in pieces; every sleep ends
  // 0.05 ms late, and every piece but the last 1.5 ms more, which the next
  // piece makes up.
  SetFrameRate(20);
  FrameClockState().spinMs = 0.25;
  double sleptBefore = clock.slept;
  int longSleeps = 0;
  clock.onSleep = [&] {
    const double asked = clock.slept - sleptBefore;
    sleptBefore = clock.slept;
    clock.now += 0.05;
    if (asked >= 19.9) {
      ++longSleeps;
      clock.now += 1.5;
    }
  };
  FrameClockState().nextFrameTime = clock.now + 5;
  const double base = FrameClockState().nextFrameTime;
  for (int k = 0; k < 40; ++k) {
    PresentFrame(r);
    ASSERT_LT(clock.now, base + k * 50.0 + 0.05) << "frame " << k;
  }
  clock.onSleep = nullptr;
  ASSERT_GT(longSleeps, 40);
  EXPECT_DOUBLE_EQ(FrameClockState().spinMs, 0.25);
  SetFrameRate(60);
}

TEST(FramePacing, NonPositiveAndAbsurdRatesAreDefined) {
  EXPECT_DOUBLE_EQ(MsPerFrameFor(0), 2.0);
  EXPECT_DOUBLE_EQ(MsPerFrameFor(-30), 2.0);
  EXPECT_DOUBLE_EQ(MsPerFrameFor(0.9), 2.0);
  EXPECT_DOUBLE_EQ(MsPerFrameFor(std::nan("")), 2.0);
  EXPECT_DOUBLE_EQ(MsPerFrameFor(60.9), 1000.0 / 60.0);
  const double huge = MsPerFrameFor(1e300);
  EXPECT_GT(huge, 0.0);
  EXPECT_LT(huge, 1e-3);
  EXPECT_DOUBLE_EQ(MsPerFrameFor(std::numeric_limits<double>::infinity()),
                   1000.0 / std::numeric_limits<int>::max());

  Renderer* r = testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  SetFrameRate(0);
  FrameClockState().nextFrameTime = clock.now + 1;
  const double base = FrameClockState().nextFrameTime;
  for (int k = 0; k < 10; ++k) PresentFrame(r);
  EXPECT_NEAR(clock.now, base + 9 * 2.0, 0.05);
  SetFrameRate(60);
}

TEST(FramePacing, SlowFramesSleepNothingAndAreNotMadeUp) {
  Renderer* r = testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  SetFrameRate(60);
  FrameClockState().nextFrameTime = clock.now;
  PresentFrame(r);
  for (int k = 0; k < 5; ++k) {
    clock.now += 40;  // the program took 40 ms for this frame
    clock.sleeps = 0;
    PresentFrame(r);
    EXPECT_EQ(clock.sleeps, 0);
    // The next slot is the first one after now, not a backlog.
    EXPECT_GT(FrameClockState().nextFrameTime, clock.now);
    EXPECT_LE(FrameClockState().nextFrameTime, clock.now + 1000.0 / 60.0);
  }
  // Back to a fast loop: the next frame waits for its slot.
  clock.sleeps = 0;
  PresentFrame(r);
  EXPECT_GT(clock.sleeps, 0);
}

TEST(FrameTiming, FrameTimeIsNeverZeroAndDelayTruncates) {
  testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  FrameClockState().frameTimePrev = FrameClockState().frameTimeNow = 500;
  EXPECT_EQ(FrameTime(), 1.0);
  FrameClockState().frameTimePrev = 600;  // a clock that went backwards
  EXPECT_EQ(FrameTime(), 1.0);
  EndFrame();
  EndFrame();
  EXPECT_GT(FrameTime(), 0.0);

  clock.slept = 0;
  Delay(7.9);
  EXPECT_DOUBLE_EQ(clock.slept, 7.0);
  Delay(-5);
  Delay(std::nan(""));
  Delay(0.5);
  EXPECT_DOUBLE_EQ(clock.slept, 7.0);

  FrameClockState().startTime = clock.now - 250;
  EXPECT_NEAR(ElapsedTime(), 250, 0.01);
}

plat::WindowEvent Event(plat::WindowEvent::Kind kind) {
  plat::WindowEvent e;
  e.kind = kind;
  return e;
}

TEST(Pause, DeactivationHoldsEndFrameUntilTheWindowIsActiveAgain) {
  Renderer* r = testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  // The first frame of the shared engine shows start-up's pending box and
  // lifts any pause the box caused; the pause looked at here comes after.
  EndFrame();
  SetAutoPause(1);
  plat::PostEvent(Event(plat::WindowEvent::kDeactivated));
  PumpMessages(r);
  EXPECT_EQ(g_engine.paused, 1);
  EXPECT_EQ(plat::GetWindowTitle(g_engine.window), "Tester <pause>");

  int pauseSleeps = 0;
  clock.onSleep = [&] {
    if (g_engine.paused && ++pauseSleeps == 3)
      plat::PostEvent(Event(plat::WindowEvent::kActivated));
  };
  EndFrame();
  clock.onSleep = nullptr;
  EXPECT_EQ(pauseSleeps, 3);
  EXPECT_EQ(g_engine.paused, 0);
  EXPECT_EQ(plat::GetWindowTitle(g_engine.window), "Tester");
}

TEST(Pause, AutoPauseOffOrDebugBuildIgnoresActivation) {
  Renderer* r = testenv::SharedEngine();
  SetAutoPause(0);
  plat::PostEvent(Event(plat::WindowEvent::kDeactivated));
  PumpMessages(r);
  EXPECT_EQ(g_engine.paused, 0);
  EXPECT_EQ(plat::GetWindowTitle(g_engine.window), "Tester");

  SetAutoPause(1);
  ProjectSettings settings = CurrentProjectSettings();
  settings.debugMode = 1;
  SetProjectSettings(settings);
  plat::PostEvent(Event(plat::WindowEvent::kDeactivated));
  PumpMessages(r);
  EXPECT_EQ(g_engine.paused, 0);
  settings.debugMode = 0;
  SetProjectSettings(settings);
}

// Music started with the focus ends the pause at the next frame, unless a
// deactivation came after it.
TEST(Pause, MusicStartedWithTheFocusEndsThePauseUnlessADeactivationFollows) {
  Renderer* r = testenv::SharedEngine();
  FakeClock clock;
  clock.Install();
  SetAutoPause(1);
  int pauseSleeps = 0;
  clock.onSleep = [&] {
    if (g_engine.paused && ++pauseSleeps == 2)
      plat::PostEvent(Event(plat::WindowEvent::kActivated));
  };

  g_engine.paused = 1;
  Audio().pauseReleaseAsked = true;
  EndFrame();
  EXPECT_EQ(pauseSleeps, 0);
  EXPECT_EQ(g_engine.paused, 0);

  Audio().pauseReleaseAsked = true;
  plat::PostEvent(Event(plat::WindowEvent::kDeactivated));
  PumpMessages(r);
  EndFrame();
  EXPECT_EQ(pauseSleeps, 2);
  EXPECT_EQ(g_engine.paused, 0);
  clock.onSleep = nullptr;
}

}  // namespace
