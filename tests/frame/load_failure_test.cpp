// A file that does not load leaves one line naming the command, the file and
// the reason in the error log; what a program does on purpose (an empty name,
// drawing or playing an empty slot) leaves none.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "runtime/audio/audio_service.h"
#include "runtime/core/load_report.h"

namespace {

class LoadFailures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testenv::SharedEngine(); }
  void SetUp() override { mark_ = testenv::LogLines().size(); }
  void TearDown() override {
    for (const std::string& f : files_) std::remove(f.c_str());
  }

  // The lines logged since the test began.
  std::vector<std::string> NewLines() const {
    std::vector<std::string> all = testenv::LogLines();
    return std::vector<std::string>(all.begin() + static_cast<long>(mark_), all.end());
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = testenv::PrivateTempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    files_.push_back(path);
    return path;
  }

  size_t mark_ = 0;
  std::vector<std::string> files_;
};

TEST_F(LoadFailures, ImagesThatDoNotLoadSayWhichAndWhy) {
  EXPECT_FALSE(SpriteFromFile(RtString("no/such/ball.png"), 3));
  const std::string junk = Write("junk.png", "this is no picture");
  EXPECT_FALSE(AnimationFromFile(RtString(junk.c_str()), 4, 8, 8));
  EXPECT_FALSE(BackgroundFromFile(RtString("missing-back.bmp")));
  FontFromFile(RtString("missing-font.png"), 2);
  SelectFont(0);
  const std::vector<std::string> lines = NewLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "SpriteFromFile: cannot load \"no/such/ball.png\": no such file");
  EXPECT_EQ(lines[1].rfind("AnimationFromFile: cannot load \"" + junk +
                               "\": not a BMP or PNG image the runtime can read",
                           0),
            0u)
      << lines[1];
  EXPECT_EQ(lines[2], "BackgroundFromFile: cannot load \"missing-back.bmp\": no such file");
  EXPECT_EQ(lines[3], "FontFromFile: cannot load \"missing-font.png\": no such file");
}

TEST_F(LoadFailures, SoundsAndMusicThatDoNotLoadSayWhichAndWhy) {
  // Earlier tests of this process may have shut the sound layer down.
  AudioStart();
  mark_ = testenv::LogLines().size();
  LoadSound(RtString("no/such/hit.wav"), 5, 1);
  EXPECT_EQ(PlaySound(5, 0, 1), -1);
  const std::string text = Write("text.wav", "RIFF....TEXTnot a wave at all");
  LoadSound(RtString(text.c_str()), 6, 1);
  PlayMusic(RtString("no/such/tune.mp3"), 0);
  EXPECT_EQ(MusicPlaying(), 0);
  const std::vector<std::string> lines = NewLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "LoadSound: cannot load \"no/such/hit.wav\": no such file");
  EXPECT_EQ(lines[1],
            "LoadSound: cannot load \"" + text + "\": not a wave file (no RIFF WAVE header)");
  EXPECT_EQ(lines[2], "PlayMusic: cannot load \"no/such/tune.mp3\": no such file");
}

TEST_F(LoadFailures, EmptyNamesAndEmptySlotsAreNotFailures) {
  // An empty name empties a slot, picks the built-in font or stops music.
  EXPECT_FALSE(SpriteFromFile(RtString(""), 7));
  FontFromFile(RtString(""), 0);
  LoadSound(RtString(""), 7, 1);
  PlayMusic(RtString(""), 0);
  ObjectFromFile(RtString(""), 1);
  // Drawing or playing what is not there is legal and quiet.
  PutSprite(7, 10, 10);
  PutSpriteScaled(7, 10, 10, 2, 2);
  PutSpriteRotated(7, 10, 10, 45);
  EXPECT_EQ(PlaySound(7, 0, 1), -1);
  EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

TEST_F(LoadFailures, ALoadThatWorksAddsNothing) {
  const std::string bmp = Write("dot.bmp", [] {
    // A 1 x 1 24-bit BMP, bottom-up, one red pixel.
    std::string b = "BM";
    auto le32 = [&b](uint32_t v) {
      for (int i = 0; i < 4; ++i) b += static_cast<char>(v >> (8 * i) & 0xFF);
    };
    auto le16 = [&b](uint16_t v) {
      b += static_cast<char>(v & 0xFF);
      b += static_cast<char>(v >> 8);
    };
    le32(58), le32(0), le32(54);
    le32(40), le32(1), le32(1), le16(1), le16(24), le32(0), le32(4), le32(0), le32(0), le32(0),
        le32(0);
    b += std::string("\x00\x00\xFF\x00", 4);
    return b;
  }());
  EXPECT_TRUE(SpriteFromFile(RtString(bmp.c_str()), 8));
  EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

TEST(LoadFailureLine, NamesCannotBreakTheLogLine) {
  EXPECT_EQ(LoadFailureLine("SpriteFromFile", "a\r\nInit Finalized\x7F.png", "no such file"),
            "SpriteFromFile: cannot load \"a??Init Finalized?.png\": no such file");
  EXPECT_EQ(LoadFailureLine("LoadSound", nullptr, "x"), "LoadSound: cannot load \"\": x");
}

TEST(LoadFailureLine, DebugModeAlsoShowsTheLineOnStandardError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  testenv::PrivateTempDir();
  EXPECT_EXIT(
      {
        testenv::StartEngine(0, /*debugMode=*/1);
        SpriteFromFile(RtString("gone.png"), 1);
        std::fprintf(stderr, "end\n");
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0),
      "SpriteFromFile: cannot load \"gone.png\": no such file\nend\n");
  EXPECT_EXIT(
      {
        testenv::StartEngine(0, /*debugMode=*/0);
        SpriteFromFile(RtString("gone.png"), 1);
        std::fprintf(stderr, "end\n");
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "^end\n$");
}

}  // namespace
