#include <climits>
#include <cmath>

#include "input_fixture.h"

namespace {

using Mouse = InputTest;
using Joystick = InputTest;

TEST_F(Mouse, MotionIsComputedOncePerFrame) {
  Start();
  dev.SetMouse(150, 90);
  InputFrame();
  EXPECT_EQ(MouseReading(0), 50);
  dev.SetMouse(170, 90);  // moved again within the frame
  EXPECT_EQ(MouseReading(0), 50);
  EXPECT_EQ(MouseReading(1), -10);
  InputFrame();
  EXPECT_EQ(MouseReading(0), 20);
  InputFrame();
  EXPECT_EQ(MouseReading(0), 0);
}

TEST_F(Mouse, WheelIsTheSignOfTheFrameSumAndButtonsAreZeroOrOne) {
  Start();
  dev.TurnWheel(3);
  InputFrame();
  EXPECT_EQ(MouseReading(2), 1);
  dev.TurnWheel(-1);
  dev.TurnWheel(-1);
  InputFrame();
  EXPECT_EQ(MouseReading(2), -1);
  InputFrame();
  EXPECT_EQ(MouseReading(2), 0);
  dev.SetButton(0, true);
  dev.SetButton(2, true);
  EXPECT_EQ(MouseReading(3), 1);
  EXPECT_EQ(MouseReading(4), 0);
  EXPECT_EQ(MouseReading(5), 1);
  EXPECT_EQ(MouseReading(6), 0);
  EXPECT_EQ(MouseReading(-1), 0);
}

TEST_F(Mouse, PositionQueriesClampAndStoreTheClampedValue) {
  Start();
  InputFrame();
  MouseReading(0);  // the frame's motion is taken; the cursor is not read again
  SetMousePosition(5000, -20);
  int32_t x, y, l, r;
  MouseStateInt(x, y, l, r);
  EXPECT_EQ(x, 319);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(Input().mouseX, 319);
  dev.SetButton(1, true);
  double dx, dy, dl, dr;
  MouseState(dx, dy, dl, dr);
  EXPECT_EQ(dx, 319);
  EXPECT_EQ(dl, 0);
  EXPECT_EQ(dr, 1);
}

TEST_F(Mouse, ExclusiveMouseAddsRelativeMotionAndSaturates) {
  Start(true);
  EXPECT_TRUE(dev.relativeMouse);
  EXPECT_EQ(Input().cursorVisible, 0);
  dev.MoveRelative(7, -3);
  InputFrame();
  EXPECT_EQ(MouseReading(0), 7);
  EXPECT_EQ(Input().mouseX, 107);
  EXPECT_EQ(Input().mouseY, 97);
  SetMousePosition(INT32_MAX - 1, INT32_MIN + 1);
  dev.MoveRelative(100, -100);
  InputFrame();
  MouseReading(0);
  EXPECT_EQ(Input().mouseX, INT32_MAX);
  EXPECT_EQ(Input().mouseY, INT32_MIN);
  // Showing leaves relative mode and puts the cursor at the (clamped)
  // stored position.
  SetMousePosition(30, 40);
  ShowMouse(1);
  EXPECT_FALSE(dev.relativeMouse);
  ASSERT_FALSE(dev.warps.empty());
  EXPECT_EQ(dev.warps.back().x, 30);
  EXPECT_EQ(dev.warps.back().y, 40);
  EXPECT_TRUE(dev.cursorShows.back());
}

TEST_F(Mouse, HiddenCursorWithoutExclusiveMouseIsHeldAtTheWindowPoint) {
  Start();
  ShowMouse(0);
  EXPECT_FALSE(dev.cursorShows.back());
  EXPECT_FALSE(dev.relativeMouse);
  dev.SetMouse(210, 195);
  InputFrame();
  EXPECT_EQ(MouseReading(0), 10);
  EXPECT_EQ(MouseReading(1), -5);
  EXPECT_EQ(dev.warps.back().x, 200);
  EXPECT_EQ(dev.warps.back().y, 200);
  EXPECT_EQ(Input().mouseX, 110);
  EXPECT_EQ(Input().mouseY, 95);
  InputFrame();
  EXPECT_EQ(MouseReading(0), 0);
}

TEST_F(Joystick, AxesHatsButtonsAndNames) {
  dev.AddJoystick("Pad, Maker");
  Start();
  EXPECT_EQ(JoyCount(), 1);
  dev.SetJoyAxis(0, 0, -32768);
  dev.SetJoyAxis(0, 1, 16384);
  dev.SetJoyAxis(0, 5, 32767);
  EXPECT_EQ(JoyX(0), -1);
  EXPECT_NEAR(JoyY(0), 0.5, 1e-4);
  EXPECT_EQ(JoyRZ(0), 1);
  struct Hat {
    uint32_t hundredths;
    double x, y;
  } hats[] = {{0, 0, -1},    {4500, 0, 0},   {9000, 1, 0},  {13500, 0, 0},
              {18000, 0, 1}, {27000, -1, 0}, {31500, 0, 0}, {plat::kHatCentred, 0, 0}};
  for (const Hat& h : hats) {
    dev.SetJoyHat(0, h.hundredths);
    EXPECT_EQ(JoyHatX(0), h.x) << h.hundredths;
    EXPECT_EQ(JoyHatY(0), h.y) << h.hundredths;
  }
  dev.SetJoyButton(0, 31, true);
  EXPECT_EQ(JoyButton(0, 31), 128);
  EXPECT_EQ(JoyButton(0, 32), 0);
  EXPECT_EQ(JoyButton(0, -1), 0);
  EXPECT_STREQ(JoyName(0).c_str(), "Pad, Maker");
  EXPECT_STREQ(JoyName(1).c_str(), "");
  EXPECT_STREQ(JoyName(-1).c_str(), "");
}

TEST_F(Joystick, MissingSticksReadCentredAndTheCountStopsAtTen) {
  for (int j = 0; j < 10; ++j) EXPECT_EQ(dev.AddJoystick("Stick " + std::to_string(j)), j);
  EXPECT_EQ(dev.AddJoystick("Eleventh"), -1);
  Start();
  EXPECT_EQ(JoyCount(), 10);
  EXPECT_STREQ(JoyName(9).c_str(), "Stick 9");
  InputShutdown();
  dev = plat::ScriptedInputDevices();
  Start();
  EXPECT_EQ(JoyCount(), 0);
  for (double j : {0.0, 1.0, 9.0, 10.0, -1.0, std::nan("")}) {
    EXPECT_EQ(JoyHatX(j), 0);
    EXPECT_EQ(JoyHatY(j), 0);
    EXPECT_EQ(JoyX(j), 0);
    EXPECT_EQ(JoyButton(j, 0), 0);
  }
  EXPECT_FALSE(AnyJoystickActive());
}

TEST_F(Joystick, JoyStateTruncatesTowardZero) {
  dev.AddJoystick("Stick");
  Start();
  dev.SetJoyAxis(0, 0, -30001);
  dev.SetJoyAxis(0, 1, 29999);
  dev.SetJoyButton(0, 1, true);
  double x, y, b1, b2;
  JoyState(x, y, b1, b2);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(b1, 0);
  EXPECT_EQ(b2, 128);
}

TEST_F(Joystick, ForceArgumentsAreClamped) {
  dev.AddJoystick("Rumble");
  Start();
  JoyForce(0, 1e12, 2, 0);
  JoyForce(0, -5, -1, -1);
  JoyForce(0, NAN, NAN, 0.5);
  JoyForce(1, 100, 1, 1);  // no such stick
  ASSERT_EQ(dev.forces.size(), 3u);
  EXPECT_EQ(dev.forces[0].durationMs, 4294967u);
  EXPECT_EQ(dev.forces[0].directionX, 32767);
  EXPECT_EQ(dev.forces[0].level, 16383);
  EXPECT_EQ(dev.forces[1].durationMs, 0u);
  EXPECT_EQ(dev.forces[1].directionY, -32767);
  EXPECT_EQ(dev.forces[1].level, 32767);
  EXPECT_EQ(dev.forces[2].directionX, 0);
  EXPECT_EQ(dev.forces[2].durationMs, 0u);
}

}  // namespace
