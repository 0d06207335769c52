// The gamepad as the game's keys: the mapping on its own, then the screens
// and the play loop driven by a pad alone.
#include "game/pad_controls.h"
#include "fake_io.h"
#include "game/screens.h"

namespace zelvo::testing {
namespace {

PadReading Buttons(std::initializer_list<int> held) {
  PadReading pad;
  for (int b : held) pad.buttons |= 1u << b;
  return pad;
}

TEST(PadKeys, DpadAndStickStandInForTheArrowKeysOnEveryScreen) {
  PadKeys keys;
  for (int screen : {kMenu, kOptions, kNameEntry, kPlay}) {
    EXPECT_TRUE(keys.Holds(key::kUp, Buttons({pads::kDpadUp}), screen, 0));
    EXPECT_TRUE(keys.Holds(key::kRight, Buttons({pads::kDpadRight}), screen, 0));
    EXPECT_FALSE(keys.Holds(key::kLeft, Buttons({pads::kDpadRight}), screen, 0));
    PadReading stick;
    stick.stickX = -0.8;
    stick.stickY = 0.6;
    EXPECT_TRUE(keys.Holds(key::kLeft, stick, screen, 0));
    EXPECT_TRUE(keys.Holds(key::kDown, stick, screen, 0));
    EXPECT_FALSE(keys.Holds(key::kRight, stick, screen, 0));
    EXPECT_FALSE(keys.Holds(key::kUp, stick, screen, 0));
    // A stick resting a little off centre steers nothing.
    stick.stickX = 0.3;
    stick.stickY = -0.45;
    EXPECT_FALSE(keys.Holds(key::kRight, stick, screen, 0));
    EXPECT_FALSE(keys.Holds(key::kUp, stick, screen, 0));
  }
}

TEST(PadKeys, ButtonsMeanWhatTheScreenNeeds) {
  struct Case {
    int screen;
    int button;
    int key;
    bool held;
  };
  const Case cases[] = {
      {kMenu, pads::kA, key::kReturn, true},
      {kMenu, pads::kStart, key::kReturn, true},
      {kMenu, pads::kStart, key::kTab, false},  // Tab on the menu opens the credits
      {kMenu, pads::kB, key::kTab, false},
      {kOptions, pads::kB, key::kTab, true},
      {kOptions, pads::kBack, key::kTab, true},
      {kOptions, pads::kRightShoulder, key::kX, true},
      {kOptions, pads::kLeftShoulder, key::kS, true},
      {kOptions, pads::kRightShoulder, key::kPageUp, false},
      {kHiscoreView, pads::kB, key::kTab, true},
      {kCredits, pads::kB, key::kTab, true},
      {kGameOver, pads::kB, key::kReturn, true},
      {kComplete, pads::kA, key::kReturn, true},
      {kNameEntry, pads::kA, key::kReturn, true},
      {kNameEntry, pads::kB, key::kReturn, false},
      {kPlay, pads::kA, key::kReturn, true},  // launches at the prompt
      {kPlay, pads::kStart, key::kTab, true},
      {kPlay, pads::kStart, key::kReturn, false},
      {kPlay, pads::kRightShoulder, key::kPageUp, true},
      {kPlay, pads::kLeftShoulder, key::kPageDown, true},
      {kPlay, pads::kRightShoulder, key::kX, false},
      {kPlay, pads::kY, key::kReturn, false},
  };
  for (const Case& c : cases) {
    PadKeys keys;
    EXPECT_EQ(keys.Holds(c.key, Buttons({c.button}), c.screen, 0), c.held)
        << "screen " << c.screen << " button " << c.button << " key " << c.key;
  }
}

TEST(PadKeys, AButtonHeldIntoTheNextScreenCountsOnlyAfterItsRelease) {
  PadKeys keys;
  const PadReading start = Buttons({pads::kStart});
  EXPECT_TRUE(keys.Holds(key::kReturn, start, kMenu, 0));
  // The menu's confirm must not pause the first frames of flight.
  EXPECT_FALSE(keys.Holds(key::kTab, start, kPlay, 20));
  EXPECT_FALSE(keys.Holds(key::kTab, start, kPlay, 40));
  EXPECT_FALSE(keys.Holds(key::kTab, PadReading{}, kPlay, 60));
  EXPECT_TRUE(keys.Holds(key::kTab, start, kPlay, 80));
  // Directions carry over: the plane keeps steering while a screen ends.
  const PadReading right = Buttons({pads::kDpadRight});
  EXPECT_TRUE(keys.Holds(key::kRight, right, kPlay, 100));
  EXPECT_TRUE(keys.Holds(key::kRight, right, kGameOver, 120));
}

TEST(PadKeys, BackReturnsToTheMenuOnlyWhenHeldInFlight) {
  PadKeys keys;
  const PadReading back = Buttons({pads::kBack});
  EXPECT_FALSE(keys.Holds(key::kLeftShift, back, kPlay, 1000));
  EXPECT_FALSE(keys.Holds(key::kRightShift, back, kPlay, 1000 + PadKeys::kBackHoldMs - 1));
  EXPECT_TRUE(keys.Holds(key::kLeftShift, back, kPlay, 1000 + PadKeys::kBackHoldMs));
  EXPECT_TRUE(keys.Holds(key::kRightShift, back, kPlay, 1000 + PadKeys::kBackHoldMs));
  // Letting go starts the count again.
  EXPECT_FALSE(keys.Holds(key::kLeftShift, PadReading{}, kPlay, 2000));
  EXPECT_FALSE(keys.Holds(key::kLeftShift, back, kPlay, 2100));
  EXPECT_FALSE(keys.Holds(key::kLeftShift, back, kPlay, 2100 + PadKeys::kBackHoldMs - 1));
  PadKeys menu;
  EXPECT_FALSE(menu.Holds(key::kLeftShift, back, kMenu, 0));
  EXPECT_FALSE(menu.Holds(key::kLeftShift, back, kMenu, 5000));
}

class PadGameTest : public GameTest {
 protected:
  template <typename Screen>
  void RunFor(int frames, Screen&& screen) {
    io.frameBudget = io.frames + frames;
    io.RunDue();
    try {
      screen();
    } catch (const StopGame&) {
    }
  }
};

TEST_F(PadGameTest, APadAloneGoesThroughTheMenusAndOptions) {
  Game().gameState = kMenu;
  io.HoldPad(pads::kDpadDown, 1, 3);
  io.HoldPad(pads::kA, 5, 40);  // held well past the confirm
  RunFor(30, [] { RunMenu(); });
  ASSERT_EQ(Game().gameState, kOptions);

  // Still holding A from the menu: the Options screen stays open.
  const double master = Game().settings.masterVolume;
  const int from = io.frames;
  io.HoldPad(pads::kRightShoulder, from + 40, from + 42);  // master volume up
  io.HoldPad(pads::kStart, from + 45, from + 47);          // Start leaves, as Return does
  RunFor(60, [] { RunOptions(); });
  EXPECT_EQ(Game().gameState, kMenu);
  EXPECT_GE(io.frames, from + 45);
  EXPECT_DOUBLE_EQ(Game().settings.masterVolume, master + 0.1);
}

TEST_F(PadGameTest, BLeavesTheHiscoresAndPageKeysFollowTheShoulders) {
  Game().gameState = kHiscoreView;
  const double master = Game().settings.masterVolume;
  io.HoldPad(pads::kLeftShoulder, 1, 3);
  io.HoldPad(pads::kB, 5, 7);
  RunFor(20, [] { RunHiscoreView(); });
  EXPECT_EQ(Game().gameState, kMenu);
  EXPECT_DOUBLE_EQ(Game().settings.masterVolume, master - 0.1);
}

TEST_F(PadGameTest, APadFliesPausesAndReturnsToTheMenu) {
  Game().gameState = kPlay;
  ResetRun();
  StartLevelSet();
  EmptyRooms();
  io.pad.buttons = 1u << pads::kDpadRight;
  Frame();
  Frame();
  EXPECT_DOUBLE_EQ(run().planeX, 6);
  io.pad.stickX = 1;
  io.pad.buttons = 1u << pads::kStart;
  Frame();
  io.pad = PadReading{};
  Frame();
  EXPECT_EQ(run().frozen, 1);
  const double x = run().planeX;
  Frame();
  EXPECT_EQ(run().planeX, x);
  io.pad.buttons = 1u << pads::kStart;
  Frame();
  io.pad = PadReading{};
  Frame();
  EXPECT_EQ(run().frozen, 0);

  io.pad.buttons = 1u << pads::kBack;
  int frames = 0;
  while (AfterFrameStep() == FrameEnd::kContinue && frames < 100) {
    Frame();
    ++frames;
  }
  EXPECT_EQ(Game().gameState, kMenu);
  // Half a second of frames, give or take the one that notices the hold.
  EXPECT_GE(frames, 30);
  EXPECT_LE(frames, 32);
}

}  // namespace
}  // namespace zelvo::testing
