#include <cstdio>
#include <fstream>
#include <string>

#include "fake_io.h"

namespace zelvo::testing {
namespace {

using StartupTest = GameTest;

TEST_F(StartupTest, KeyReleasedReportsOnceAfterTheRelease) {
  io.Press(key::kReturn);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(KeyReleased(key::kReturn), 0);
  io.Release(key::kReturn);
  EXPECT_EQ(KeyReleased(key::kReturn), 1);
  EXPECT_EQ(KeyReleased(key::kReturn), 0);
  EXPECT_EQ(io.SoundCount(slot::kSoundCursor), 0);

  // Up and Down sound the cursor on their release; latches are per key.
  io.Press(key::kUp);
  io.Press(key::kDown);
  EXPECT_EQ(KeyReleased(key::kUp), 0);
  EXPECT_EQ(KeyReleased(key::kDown), 0);
  io.Release(key::kUp);
  io.Release(key::kDown);
  EXPECT_EQ(KeyReleased(key::kDown), 1);
  EXPECT_EQ(KeyReleased(key::kUp), 1);
  EXPECT_EQ(io.SoundCount(slot::kSoundCursor), 2);
}

TEST_F(StartupTest, KeyReleasedIgnoresUntrackedKeys) {
  io.Press(57);
  EXPECT_EQ(KeyReleased(57), 0);
  io.Release(57);
  EXPECT_EQ(KeyReleased(57), 0);
  for (int i = 0; i < 14; ++i) EXPECT_EQ(IntArrayAt(Game().keyLatch, i), 0);
}

// Presses and releases a key across two calls of the hotkey handler.
void Tap(FakeIo& io, int code) {
  io.Press(code);
  HandleVolumeKeys();
  io.Release(code);
  HandleVolumeKeys();
}

TEST_F(StartupTest, VolumeHotkeysActOnReleaseAndClamp) {
  Settings& s = Game().settings;
  for (int i = 0; i < 5; ++i) Tap(io, key::kPageUp);
  // Five tenths added to a half fall just short of 1: the bar is 29 px.
  EXPECT_LT(s.masterVolume, 1.0);
  EXPECT_EQ(Trunc(30 * s.masterVolume), 29);
  for (int i = 0; i < 3; ++i) Tap(io, key::kPageUp);
  EXPECT_EQ(s.masterVolume, 1.0);
  EXPECT_DOUBLE_EQ(io.musicVolume, 0.35);

  for (int i = 0; i < 8; ++i) Tap(io, key::kQ);
  EXPECT_DOUBLE_EQ(s.effectsLevel, 9.8);
  Tap(io, key::kQ);
  EXPECT_EQ(s.effectsLevel, 10);

  Tap(io, key::kE);
  EXPECT_DOUBLE_EQ(s.musicLevel, 0.36);
  for (int i = 0; i < 40; ++i) Tap(io, key::kR);
  EXPECT_EQ(s.musicLevel, 0);
  Tap(io, key::kPageDown);
  EXPECT_DOUBLE_EQ(s.masterVolume, 0.9);

  // Holding a key does nothing until it comes up.
  io.Press(key::kW);
  for (int i = 0; i < 10; ++i) HandleVolumeKeys();
  EXPECT_EQ(s.effectsLevel, 10);
}

TEST_F(StartupTest, AFreshPageUpPressLeavesPageDownPending) {
  Settings& s = Game().settings;
  io.Press(key::kPageDown);
  HandleVolumeKeys();
  // Page Down comes up in the very call that first sees Page Up held.
  io.Release(key::kPageDown);
  io.Press(key::kPageUp);
  HandleVolumeKeys();
  EXPECT_EQ(s.masterVolume, 0.5);
  io.Release(key::kPageUp);
  HandleVolumeKeys();
  // Page Up acts; Page Down's latch fires in the same call.
  EXPECT_DOUBLE_EQ(s.masterVolume, 0.5);
}

TEST_F(StartupTest, LoadingFillsTheSlotsInOrder) {
  ResetGame();
  io.loads.clear();
  LoadAssets();
  EXPECT_EQ(Game().nextSpriteSlot, 55);
  EXPECT_EQ(Game().nextSoundSlot, 13);
  EXPECT_EQ(Game().gameState, kMenu);
  ASSERT_EQ(io.loads.size(), 45u);
  EXPECT_EQ(io.loads.front(), "gfx/splash.png");
  EXPECT_EQ(io.loads.back(), "gfx/planesprite.png");
  EXPECT_EQ(io.sprites[slot::kPlane], std::make_pair(25, 12));
  EXPECT_EQ(io.sprites[slot::kUpdraft], std::make_pair(25, 194));
  EXPECT_EQ(io.loads[slot::kSwitchOff - 10], "gfx/schalter.png");
  EXPECT_EQ(io.loads[slot::kSwitchOff + 1 - 10], "gfx/schalter1.png");
  ASSERT_FALSE(io.lastFrame.empty());
  EXPECT_EQ(io.lastFrame[0].what, "sprite");
  EXPECT_EQ(io.lastFrame[0].a, slot::kSplash);
}

TEST_F(StartupTest, RoomPicturesLoadOnceInTheFirstRunsSlots) {
  // GameTest ran the Loading screen's LoadAssets; its second step:
  PreloadRoomPictures();
  ASSERT_EQ(io.loads.size(), 17u);
  EXPECT_EQ(io.loads.front(), "gfx/level1/1.png");
  EXPECT_EQ(Game().nextSpriteSlot, 55);  // the counter is the first run's
  io.loads.clear();
  const auto roomSlots = [] {
    std::vector<int> slots;
    for (int i = 0; i < 17; ++i) slots.push_back(Trunc(NumberArrayAt(TheCourse().levelImages, i)));
    return slots;
  };
  ResetRun();
  EXPECT_TRUE(io.loads.empty());
  EXPECT_EQ(Game().roomImages.first, 55);
  EXPECT_EQ(roomSlots().front(), 55);
  EXPECT_EQ(Game().nextSpriteSlot, 72);
  EXPECT_TRUE(io.live.count(71));

  // Later runs keep the pictures and move the counter on as before.
  const std::vector<int> first = roomSlots();
  ResetRun();
  ResetRun();
  EXPECT_TRUE(io.loads.empty());
  EXPECT_EQ(roomSlots(), first);
  EXPECT_EQ(Game().nextSpriteSlot, 72 + 2 * 17);

  // A block landing on them (the counter wrapped) sends the next run back
  // to loading its own.
  Game().nextSpriteSlot = kLastBlockSlot;
  SlotBlock labels;
  TakeSpriteBlock(labels, 8);
  EXPECT_EQ(labels.first, slot::kFirstCounted);
  ResetRun();
  EXPECT_EQ(io.loads.size(), 17u);
  EXPECT_EQ(Game().roomImages.first, slot::kFirstCounted + 8);
}

TEST_F(StartupTest, ABlockTakenBeforeTheFirstRunKeepsItsNumbering) {
  PreloadRoomPictures();
  io.loads.clear();
  // An Options visit before the first game takes the first eight slots.
  SlotBlock labels;
  TakeSpriteBlock(labels, 8);
  ResetRun();
  EXPECT_EQ(Game().roomImages.first, 63);
  ASSERT_EQ(io.loads.size(), 17u);
  EXPECT_EQ(io.loads.back(), "gfx/level5/1.png");
}

TEST_F(StartupTest, SpriteBlocksFreeTheirLastSlotsAndStayBelowTheRuntimeSlots) {
  SlotBlock labels, rooms;
  TakeSpriteBlock(labels, 8);
  EXPECT_EQ(labels.first, 55);
  for (int i = 0; i < 8; ++i) io.CopyScreenToSprite(labels.first + i, 0, 0, 50, 12);
  TakeSpriteBlock(labels, 8);
  EXPECT_EQ(labels.first, 63);
  EXPECT_EQ(Game().nextSpriteSlot, 71);
  for (int i = 55; i < 63; ++i) EXPECT_EQ(io.live.count(i), 0u) << i;

  // Thousands of runs later the counter starts over instead of reaching the
  // fonts' slots.
  for (int run = 0; run < 5000; ++run) {
    TakeSpriteBlock(rooms, 17);
    ASSERT_GE(rooms.first, slot::kFirstCounted);
    ASSERT_LE(rooms.first + 16, kLastBlockSlot);
  }
  EXPECT_LE(Game().nextSpriteSlot, kLastBlockSlot + 1);
}

TEST(WaveLength, ReadsThePlayingTimeOfAPcmFile) {
  const std::string path = ::testing::TempDir() + "zelvo_wave_test.wav";
  {
    // 22050 Hz mono 16-bit with a LIST chunk before the data: 0.5 s.
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&out](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&out](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t dataBytes = 22050;
    out.write("RIFF", 4);
    u32(4 + 24 + 14 + 8 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(22050);
    u32(44100);
    u16(2);
    u16(16);
    out.write("LIST", 4);
    u32(5);
    out.write("abcde\0", 6);
    out.write("data", 4);
    u32(dataBytes);
    out.write(std::string(dataBytes, '\0').data(), dataBytes);
  }
  EXPECT_DOUBLE_EQ(WaveLengthMs(path.c_str()), 500.0);
  EXPECT_EQ(SoundWaitFrames(500), 60);
  {
    std::ofstream out(path, std::ios::binary);
    out << "RIFF not a wave at all";
  }
  EXPECT_EQ(WaveLengthMs(path.c_str()), -1);
  EXPECT_EQ(WaveLengthMs("no/such/file.wav"), -1);
  EXPECT_EQ(SoundWaitFrames(-1), 120);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace zelvo::testing
