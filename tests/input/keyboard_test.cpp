#include "input_fixture.h"

namespace {

using Keyboard = InputTest;

TEST_F(Keyboard, HeldLetterTypesOnceUntilEveryKeyIsReleased) {
  Start();
  dev.SetKey(30, true);  // A
  EXPECT_EQ(Typed(), "a");
  EXPECT_EQ(Typed(), "");
  InputFrame();
  EXPECT_EQ(Typed(), "");
  // A second key while the first is held: the scan still finds the first.
  dev.SetKey(48, true);
  EXPECT_EQ(Typed(), "");
  dev.SetKey(30, false);
  EXPECT_EQ(Typed(), "b");
  dev.ReleaseAllKeys();
  EXPECT_EQ(Typed(), "");
  dev.SetKey(30, true);
  EXPECT_EQ(Typed(), "a");
  dev.SetKey(30, false);
  EXPECT_EQ(Typed(), "");
  dev.SetKey(48, true);
  EXPECT_EQ(Typed(), "b");
}

TEST_F(Keyboard, ShiftUpperCasesLettersAndTextGivesShiftedSymbols) {
  Start();
  dev.SetKey(54, true);  // right Shift alone types nothing
  EXPECT_EQ(Typed(), "");
  dev.SetKey(44, true);
  EXPECT_EQ(Typed(), "Z");
  dev.ReleaseAllKeys();
  EXPECT_EQ(Typed(), "");
  dev.SetKey(42, true);
  dev.SetKey(2, true);
  dev.SetKeyText(2, '!');
  EXPECT_EQ(Typed(), "!");
  dev.ReleaseAllKeys();
  Typed();
  // An upper-case letter from the text input (Caps Lock) and the same
  // letter in lower case count as one character for repeat suppression.
  dev.SetKey(30, true);
  dev.SetKeyText(30, 'A');
  EXPECT_EQ(Typed(), "A");
  dev.SetKeyText(30, 'a');
  EXPECT_EQ(Typed(), "");
}

TEST_F(Keyboard, ControlKeysTranslateByTheirFixedCodes) {
  Start();
  struct Case {
    int code;
    std::string typed;
  } cases[] = {{14, "\b"}, {28, "\n"}, {156, "\n"}, {15, ""}, {1, ""}, {29, ""}, {58, ""}};
  for (const Case& c : cases) {
    dev.ReleaseAllKeys();
    EXPECT_EQ(Typed(), "");
    dev.SetKey(c.code, true);
    EXPECT_EQ(Typed(), c.typed) << "key " << c.code;
  }
  // A held modifier does not stop the scan at a later letter.
  dev.ReleaseAllKeys();
  Typed();
  dev.SetKey(29, true);
  dev.SetKey(57, true);
  EXPECT_EQ(Typed(), " ");
}

TEST_F(Keyboard, Key255IsHeldButNeverTyped) {
  Start();
  dev.SetLayoutCharacter(255, 'x');
  dev.SetKey(255, true);
  EXPECT_EQ(Typed(), "");
  EXPECT_EQ(KeyDown(255), 1);
  EXPECT_EQ(KeyDown(256), 0);
  EXPECT_EQ(KeyDown(-1), 0);
}

TEST_F(Keyboard, TapOfOneKeySurvivesReadingAnother) {
  Start();
  dev.Tap(30);
  dev.Tap(44);
  InputFrame();
  EXPECT_EQ(KeyDown(30), 1);
  EXPECT_EQ(KeyDown(44), 1);
  // Each tap reads as held once.
  EXPECT_EQ(KeyDown(30), 0);
  EXPECT_EQ(KeyDown(44), 0);
}

TEST_F(Keyboard, UnreadTapLastsOneWholeFrameOnly) {
  Start();
  dev.Tap(57);
  InputFrame();
  InputFrame();
  EXPECT_EQ(KeyDown(57), 1);
  dev.Tap(57);
  InputFrame();
  InputFrame();
  InputFrame();
  EXPECT_EQ(KeyDown(57), 0);
  EXPECT_EQ(Typed(), "");
}

TEST_F(Keyboard, StateIsKeptWhileTheWindowLacksFocus) {
  Start();
  dev.SetKey(200, true);
  InputFrame();
  dev.SetFocus(false);
  dev.SetKey(200, false);
  dev.SetKey(208, true);
  InputFrame();
  EXPECT_EQ(KeyDown(200), 1);
  EXPECT_EQ(KeyDown(208), 0);
  dev.SetFocus(true);
  EXPECT_EQ(KeyDown(200), 0);
  EXPECT_EQ(KeyDown(208), 1);
}

TEST_F(Keyboard, PressesMadeWithoutFocusNeverSurface) {
  Start();
  dev.Tap(30);  // read later: pressed while the window had the focus
  InputFrame();
  dev.SetFocus(false);
  dev.SetKey(31, true);
  dev.Tap(32);
  InputFrame();
  EXPECT_EQ(KeyDown(31), 0);
  dev.SetKey(31, false);
  dev.SetFocus(true);
  InputFrame();
  EXPECT_EQ(KeyDown(31), 0);
  EXPECT_EQ(KeyDown(32), 0);
  EXPECT_EQ(Typed(), "");
  // Keys work as before once the window is active again.
  dev.Tap(31);
  InputFrame();
  EXPECT_EQ(KeyDown(31), 1);
  EXPECT_EQ(KeyDown(31), 0);
}

TEST_F(Keyboard, WithoutKeyboardDeviceKeysReadThroughTheFallbackMap) {
  Start();
  dev.SetKeyboardDevice(false);
  dev.SetKey(90, true);  // virtual key Z
  EXPECT_EQ(KeyDown(21), 1);
  EXPECT_EQ(KeyDown(44), 0);
  dev.SetKey(89, true);  // virtual key Y
  EXPECT_EQ(KeyDown(44), 1);
  dev.SetKey(20, true);  // Caps Lock
  EXPECT_EQ(KeyDown(58), 1);
  // Unmapped codes never read as held, whatever the state holds.
  dev.SetKey(255, true);
  EXPECT_EQ(FallbackVirtualKey(84), 255);
  EXPECT_EQ(KeyDown(84), 0);
}

TEST_F(Keyboard, QuitKeysFollowEscapeQuits) {
  Start();
  dev.SetKey(1, true);
  InputFrame();
  EXPECT_TRUE(QuitKeysHeld());
  SetEscapeQuits(0);
  EXPECT_FALSE(QuitKeysHeld());
  dev.ReleaseAllKeys();
  dev.SetKey(56, true);
  dev.SetKey(62, true);
  InputFrame();
  EXPECT_TRUE(QuitKeysHeld());
  dev.ReleaseAllKeys();
  SetEscapeQuits(5);
  dev.SetKey(129, true);
  InputFrame();
  EXPECT_TRUE(QuitKeysHeld());
}

TEST_F(Keyboard, WithheldKeyStaysHiddenUntilReleased) {
  Start();
  // Held through several frames: neither held, tapped nor typed.
  dev.SetKey(56, true);
  dev.SetKey(28, true);
  InputWithholdKey(28);
  for (int frame = 0; frame < 3; ++frame) {
    InputFrame();
    EXPECT_EQ(KeyDown(28), 0);
  }
  EXPECT_EQ(KeyDown(56), 1);  // only the withheld key is hidden
  dev.SetKey(28, false);
  InputFrame();
  EXPECT_EQ(KeyDown(28), 0);
  // The next press is the program's again.
  dev.SetKey(28, true);
  InputFrame();
  EXPECT_EQ(KeyDown(28), 1);
  dev.ReleaseAllKeys();

  // A press shorter than a frame leaves no tap behind either.
  dev.Tap(28);
  InputWithholdKey(28);
  InputFrame();
  EXPECT_EQ(KeyDown(28), 0);
  InputFrame();
  EXPECT_EQ(KeyDown(28), 0);
  dev.Tap(28);
  InputFrame();
  EXPECT_EQ(KeyDown(28), 1);
}

}  // namespace
