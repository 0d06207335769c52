// The SDL input backend against SDL's virtual joystick and events pushed
// into SDL's queue, as the offscreen driver delivers them.
#include <SDL.h>
#include <gtest/gtest.h>

#include "runtime/platform/clock.h"
#include "runtime/platform/input_devices.h"
#include "runtime/platform/test_backend.h"
#include "runtime/platform/window.h"

namespace {

class SdlInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::Init());
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  }
  void TearDown() override {
    devices.Close();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }
  // Sends an event the way the event loop would meet it.
  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
  plat::InputDevices& devices = plat::SdlInputDevices();
};

TEST_F(SdlInput, VirtualJoystickReadsAxesHatAndButtons) {
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 40, 1);
  ASSERT_GE(index, 0) << SDL_GetError();
  devices.Open();
  const plat::InputSnapshot& idle = devices.Poll();
  ASSERT_EQ(idle.joystickNames.size(), 1u);
  EXPECT_FALSE(idle.joystickNames[0].empty());
  EXPECT_EQ(idle.joysticks[0].hat, plat::kHatCentred);
  // Sticks beyond the first read centred too.
  EXPECT_EQ(idle.joysticks[1].hat, plat::kHatCentred);

  SDL_Joystick* stick = SDL_JoystickOpen(index);
  ASSERT_NE(stick, nullptr);
  SDL_JoystickSetVirtualAxis(stick, 0, -32768);
  SDL_JoystickSetVirtualAxis(stick, 5, 12345);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHT);
  SDL_JoystickSetVirtualButton(stick, 31, 1);
  SDL_JoystickSetVirtualButton(stick, 35, 1);  // beyond the 32 the runtime reads
  SDL_JoystickUpdate();
  const plat::InputSnapshot& s = devices.Poll();
  EXPECT_EQ(s.joysticks[0].axes[0], -32768);
  EXPECT_EQ(s.joysticks[0].axes[5], 12345);
  EXPECT_EQ(s.joysticks[0].hat, 9000u);
  EXPECT_EQ(s.joysticks[0].buttons[31], 0x80);
  EXPECT_EQ(s.joysticks[0].buttons[0], 0);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_LEFTUP);
  SDL_JoystickUpdate();
  EXPECT_EQ(devices.Poll().joysticks[0].hat, 31500u);
  // A virtual stick has no force feedback.
  plat::ForceEffect force;
  EXPECT_FALSE(devices.PlayForce(force));
  SDL_JoystickClose(stick);
  devices.Close();
  SDL_JoystickDetachVirtual(index);
}

// A virtual controller the system knows the layout of, with every button
// and axis a pad has.
int AttachVirtualPad() {
  return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                   SDL_CONTROLLER_BUTTON_MAX, 0);
}

TEST_F(SdlInput, GamepadsArePickedUpAndDroppedWhileRunning) {
  devices.Open();
  EXPECT_FALSE(devices.Poll().pads[0].connected);

  const int first = AttachVirtualPad();
  ASSERT_GE(first, 0) << SDL_GetError();
  SDL_PumpEvents();  // the event loop's pump delivers the news
  const plat::InputSnapshot& s = devices.Poll();
  ASSERT_TRUE(s.pads[0].connected);
  EXPECT_FALSE(s.pads[0].name.empty());
  EXPECT_FALSE(s.pads[1].connected);

  SDL_Joystick* stick = SDL_JoystickOpen(first);
  ASSERT_NE(stick, nullptr);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_START, 1);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTX, 30000);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  SDL_JoystickUpdate();
  const plat::PadState& pad = devices.Poll().pads[0];
  EXPECT_EQ(pad.buttons,
            (1u << SDL_CONTROLLER_BUTTON_START) | (1u << SDL_CONTROLLER_BUTTON_DPAD_LEFT));
  EXPECT_EQ(pad.axes[0], 30000);
  EXPECT_EQ(pad.axes[5], 32767);

  // A second pad takes the next slot; unplugging the first frees slot 0
  // and leaves the second where it was.
  const int second = AttachVirtualPad();
  ASSERT_GE(second, 0) << SDL_GetError();
  SDL_PumpEvents();
  EXPECT_TRUE(devices.Poll().pads[1].connected);
  SDL_JoystickClose(stick);
  ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0) << SDL_GetError();
  SDL_PumpEvents();
  EXPECT_FALSE(devices.Poll().pads[0].connected);
  EXPECT_EQ(devices.Poll().pads[0].buttons, 0u);
  EXPECT_TRUE(devices.Poll().pads[1].connected);
  const int third = AttachVirtualPad();
  ASSERT_GE(third, 0) << SDL_GetError();
  SDL_PumpEvents();
  EXPECT_TRUE(devices.Poll().pads[0].connected);
  EXPECT_EQ(devices.Poll().pads[0].buttons, 0u);

  devices.Close();
  for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) SDL_JoystickDetachVirtual(i);
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

TEST_F(SdlInput, PressesTextAndWheelAreCountedAsEventsArrive) {
  devices.Open();
  const plat::InputSnapshot before = devices.Poll();
  EXPECT_EQ(before.layout[30], 'a');
  EXPECT_EQ(before.layout[2], '1');

  SDL_Event down{};
  down.type = SDL_KEYDOWN;
  down.key.keysym.scancode = SDL_SCANCODE_1;
  Push(down);
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  SDL_strlcpy(text.text.text, "!", sizeof text.text.text);
  Push(text);
  down.key.repeat = 1;  // auto-repeat is not a press
  Push(down);
  down.key.repeat = 0;
  down.key.keysym.scancode = SDL_SCANCODE_A;
  Push(down);
  SDL_strlcpy(text.text.text, "\xC3\xA4", sizeof text.text.text);  // a-umlaut
  Push(text);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = 2;
  Push(wheel);
  wheel.wheel.y = 1;
  wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  Push(wheel);

  const plat::InputSnapshot& s = devices.Poll();
  EXPECT_EQ(s.presses[2] - before.presses[2], 1u);
  EXPECT_EQ(s.keyText[2], '!');
  EXPECT_EQ(s.presses[30] - before.presses[30], 1u);
  EXPECT_EQ(s.keyText[30], 0xE4);
  EXPECT_EQ(s.wheel - before.wheel, 1);
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

}  // namespace
