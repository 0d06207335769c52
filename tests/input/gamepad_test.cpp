// Gamepads on the scripted backend: the commands, pads coming and going,
// and their lines in replay files.
#include <unistd.h>

#include <cstdio>

#include "input_fixture.h"

namespace {

using Gamepad = InputTest;

TEST_F(Gamepad, ButtonsAxesAndNamesOfAPluggedInPad) {
  Start();
  EXPECT_EQ(PadCount(), 0);
  EXPECT_EQ(PadConnected(0), 0);
  const int p = dev.ConnectPad("Wireless Pad");
  ASSERT_EQ(p, 0);
  EXPECT_EQ(PadCount(), 1);
  EXPECT_EQ(PadConnected(0), 1);
  EXPECT_STREQ(PadName(0).c_str(), "Wireless Pad");
  dev.SetPadButton(p, pads::kA, true);
  dev.SetPadButton(p, pads::kDpadRight, true);
  dev.SetPadAxis(p, pads::kLeftX, -32768);
  dev.SetPadAxis(p, pads::kLeftY, 16384);
  dev.SetPadAxis(p, pads::kRightTrigger, -500);  // triggers only pull one way
  EXPECT_EQ(PadButton(0, pads::kA), 1);
  EXPECT_EQ(PadButton(0, pads::kDpadRight), 1);
  EXPECT_EQ(PadButton(0, pads::kB), 0);
  EXPECT_EQ(PadAxis(0, pads::kLeftX), -1);
  EXPECT_NEAR(PadAxis(0, pads::kLeftY), 0.5, 1e-4);
  EXPECT_EQ(PadAxis(0, pads::kRightTrigger), 0);
  // Unknown buttons, axes and slots read as nothing.
  for (double bad : {-1.0, 15.0, 0.0 / 0.0, 1e300}) {
    EXPECT_EQ(PadButton(0, bad), 0) << bad;
    EXPECT_EQ(PadButton(bad, pads::kA), 0) << bad;
    EXPECT_EQ(PadAxis(bad, pads::kLeftX), 0) << bad;
    EXPECT_STREQ(PadName(bad).c_str(), "") << bad;
  }
  EXPECT_EQ(PadAxis(0, 6), 0);
  EXPECT_STREQ(PadName(1).c_str(), "");
}

TEST_F(Gamepad, UnpluggedPadsLeaveTheirSlotToTheNextPad) {
  Start();
  EXPECT_EQ(dev.ConnectPad("one"), 0);
  EXPECT_EQ(dev.ConnectPad("two"), 1);
  dev.SetPadButton(0, pads::kStart, true);
  dev.DisconnectPad(0);
  EXPECT_EQ(PadCount(), 1);
  EXPECT_EQ(PadButton(0, pads::kStart), 0);
  EXPECT_STREQ(PadName(1).c_str(), "two");
  // A stick set on an empty slot is not kept for the next pad there.
  dev.SetPadAxis(0, pads::kLeftX, 20000);
  EXPECT_EQ(dev.ConnectPad("three"), 0);
  EXPECT_EQ(PadAxis(0, pads::kLeftX), 0);
  EXPECT_EQ(PadButton(0, pads::kStart), 0);
  EXPECT_EQ(dev.ConnectPad("four"), 2);
  EXPECT_EQ(dev.ConnectPad("five"), 3);
  EXPECT_EQ(dev.ConnectPad("six"), -1);
  EXPECT_EQ(PadCount(), 4);
}

TEST(PadReplay, PadsAreRecordedAndReplayedWithTheirNames) {
  plat::InputSnapshot before, after;
  after.pads[1].connected = true;
  after.pads[1].name = "Pad, 100% \xC3\xA9";
  after.pads[1].axes = {-32768, 32767, 1, -1, 0, 32767};
  after.pads[1].buttons = (1u << pads::kA) | (1u << pads::kDpadRight);
  const std::string line = plat::ReplayChanges(before, after);
  EXPECT_EQ(line.find(' '), std::string::npos) << line;  // one field, no spaces
  plat::ScriptedInputDevices replay;
  std::string error;
  ASSERT_TRUE(replay.LoadReplayText(
      "input-replay 1\n1 " + line + "\n2 " + plat::ReplayChanges(after, before) + "\n", &error))
      << error;
  replay.BeginFrame();
  EXPECT_EQ(replay.Poll().pads[1], after.pads[1]);
  replay.BeginFrame();
  EXPECT_FALSE(replay.Poll().pads[1].connected);
  EXPECT_TRUE(replay.Finished());

  const char* bad[] = {
      "input-replay 1\n1 pad4=0,0,0,0,0,0,0,x\n",       // no such slot
      "input-replay 1\n1 pad0=0,0,0,0,-1,0,0,x\n",      // a trigger below rest
      "input-replay 1\n1 pad0=0,0,0,0,0,0,32768,x\n",   // a button beyond the fifteen
      "input-replay 1\n1 pad0=0,0,0,0,0,0,0,x%4\n",     // a cut escape
      "input-replay 1\n1 pad0=0,0,0,0,0,0,0,x%zz\n",    // not hex
      "input-replay 1\n1 pad0=0,0,0,0,0,0,0\n",         // no name
      "input-replay 1\n1 pad0=40000,0,0,0,0,0,0,x\n"};  // beyond the stick's range
  for (const char* text : bad) {
    plat::ScriptedInputDevices t;
    EXPECT_FALSE(t.LoadReplayText(text, &error)) << text;
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  }
}

}  // namespace
