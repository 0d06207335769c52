#include "runtime/platform/video_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/platform/sound_mixer.h"
#include "test_env.h"
#include "video_probe.h"

namespace {

namespace fs = std::filesystem;

class VideoWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::PrivateTempDir() + "/video_writer";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    return names;
  }
  std::string dir_;
};

// A picture whose colour blocks move with the frame number, bottom-up rows.
std::vector<uint8_t> Picture(int w, int h, int frame) {
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      const int block = ((x + frame) / 8 + y / 8) % 4;
      p[0] = block == 1 ? 230 : 20;
      p[1] = block == 2 ? 220 : 30;
      p[2] = block == 3 ? 210 : 40;
    }
  }
  return rgb;
}

// What the writer should make of a bottom-up picture: top-down rows, each
// pixel a scale x scale block.
std::vector<uint8_t> ScaledTopDown(const std::vector<uint8_t>& rgb, int w, int h, int scale) {
  std::vector<uint8_t> out(static_cast<size_t>(w) * scale * h * scale * 3);
  for (int y = 0; y < h * scale; ++y) {
    for (int x = 0; x < w * scale; ++x) {
      const uint8_t* s = &rgb[(static_cast<size_t>(h - 1 - y / scale) * w + x / scale) * 3];
      uint8_t* d = &out[(static_cast<size_t>(y) * w * scale + x) * 3];
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
  return out;
}

// Writes `frames` frames of 64 x 48 with a left-only tone during the first
// second and silence after it.
void WriteClip(plat::VideoWriter& writer, int frames, int scale) {
  (void)scale;
  int64_t soundFrames = 0;
  for (int f = 0; f < frames; ++f) {
    const std::vector<uint8_t> rgb = Picture(64, 48, f);
    ASSERT_TRUE(writer.AddFrame(rgb.data(), 64, 48, 64 * 3, true)) << writer.Error();
    const int64_t until = int64_t{f + 1} * plat::kMixerRate / 60;
    std::vector<int16_t> sound(static_cast<size_t>(until - soundFrames) * 2);
    for (size_t i = 0; i < sound.size() / 2; ++i) {
      const int64_t n = soundFrames + static_cast<int64_t>(i);
      const bool loud = n < plat::kMixerRate;
      sound[2 * i] =
          loud ? static_cast<int16_t>(12000 * std::sin(n * 2 * M_PI * 440 / plat::kMixerRate)) : 0;
      sound[2 * i + 1] = 0;
    }
    ASSERT_TRUE(writer.AddSound(sound.data(), static_cast<int>(sound.size() / 2)));
    soundFrames = until;
  }
}

double ChannelRms(const testvideo::Probe& p, int channel, double from, double to) {
  const size_t a = static_cast<size_t>(from * p.soundRate),
               b = static_cast<size_t>(to * p.soundRate);
  double sum = 0;
  for (size_t i = a; i < b && 2 * i + 1 < p.sound.size(); ++i) {
    sum += static_cast<double>(p.sound[2 * i + channel]) * p.sound[2 * i + channel];
  }
  return b > a ? std::sqrt(sum / static_cast<double>(b - a)) : 0;
}

TEST_F(VideoWriterTest, Mp4HoldsEveryFrameAtSixtyASecondWithItsSound) {
  const std::string file = dir_ + "/clip.mp4";
  std::string error;
  auto writer = plat::CreateVideoWriter(file, 2, &error);
  ASSERT_TRUE(writer) << error;
  WriteClip(*writer, 120, 2);
  ASSERT_FALSE(HasFatalFailure());
  // Nothing under the name until the file is complete.
  EXPECT_FALSE(fs::exists(file));
  ASSERT_TRUE(writer->Finish()) << writer->Error();
  EXPECT_EQ(writer->Frames(), 120);
  EXPECT_EQ(Entries(), std::vector<std::string>{"clip.mp4"});

  const testvideo::Probe p = testvideo::ReadVideo(file, {0, 77});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.videoCodec, "h264");
  EXPECT_EQ(p.audioCodec, "aac");
  EXPECT_EQ(p.frames, 120);
  EXPECT_DOUBLE_EQ(p.frameRate, 60.0);
  EXPECT_NEAR(p.videoDurationS, 2.0, 1e-9);
  EXPECT_NEAR(p.durationS, 2.0, 0.05);
  EXPECT_EQ(p.width, 128);
  EXPECT_EQ(p.height, 96);
  ASSERT_EQ(p.pictures.size(), 2u);
  EXPECT_GE(testvideo::Psnr(p.pictures[0], ScaledTopDown(Picture(64, 48, 0), 64, 48, 2)), 35.0);
  EXPECT_GE(testvideo::Psnr(p.pictures[1], ScaledTopDown(Picture(64, 48, 77), 64, 48, 2)), 35.0);
  // The tone is on the left for the first second, then silence.
  EXPECT_NEAR(ChannelRms(p, 0, 0.1, 0.9), 12000 / std::sqrt(2.0), 1500);
  EXPECT_LT(ChannelRms(p, 1, 0.1, 0.9), 300);
  EXPECT_LT(testvideo::Rms(p, 1.2, 1.9), 100);
}

TEST_F(VideoWriterTest, WebmCarriesVp9AndOpus) {
  const std::string file = dir_ + "/clip.webm";
  std::string error;
  auto writer = plat::CreateVideoWriter(file, 1, &error);
  ASSERT_TRUE(writer) << error;
  WriteClip(*writer, 60, 1);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(writer->Finish()) << writer->Error();
  const testvideo::Probe p = testvideo::ReadVideo(file, {30});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.frames, 60);
  EXPECT_EQ(p.width, 64);
  EXPECT_NEAR(p.durationS, 1.0, 0.05);
  EXPECT_NE(p.videoCodec.find("vp9"), std::string::npos) << p.videoCodec;
  EXPECT_NE(p.audioCodec.find("opus"), std::string::npos) << p.audioCodec;
  ASSERT_EQ(p.pictures.size(), 1u);
  EXPECT_GE(testvideo::Psnr(p.pictures[0], ScaledTopDown(Picture(64, 48, 30), 64, 48, 1)), 30.0);
  EXPECT_GT(testvideo::Rms(p, 0.1, 0.9), 3000);
}

TEST_F(VideoWriterTest, OddSizesArePaddedToEvenAndTopDownRowsStayUpright) {
  const std::string file = dir_ + "/odd.mkv";
  std::string error;
  auto writer = plat::CreateVideoWriter(file, 3, &error);
  ASSERT_TRUE(writer) << error;
  // 7 x 5, top-down: the top two rows white, the rest black.
  std::vector<uint8_t> rgb(7 * 5 * 3, 0);
  std::fill(rgb.begin(), rgb.begin() + 7 * 2 * 3, 255);
  for (int f = 0; f < 3; ++f) ASSERT_TRUE(writer->AddFrame(rgb.data(), 7, 5, 7 * 3, false));
  ASSERT_TRUE(writer->Finish()) << writer->Error();
  const testvideo::Probe p = testvideo::ReadVideo(file, {1});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.width, 22);  // 21 made even
  EXPECT_EQ(p.height, 16);
  EXPECT_EQ(p.frames, 3);
  ASSERT_EQ(p.pictures.size(), 1u);
  auto at = [&](int x, int y) {
    return p.pictures[0][(static_cast<size_t>(y) * p.width + x) * 3 + 1];
  };
  EXPECT_GT(at(10, 2), 200);  // first rows white
  EXPECT_LT(at(10, 12), 50);  // lower rows black
  EXPECT_LT(at(21, 12), 60);  // the padding column repeats the last one
  EXPECT_GT(at(21, 2), 190);
}

TEST_F(VideoWriterTest, ANameThatCannotBeWrittenFailsAtOnceAndLeavesNothing) {
  fs::create_directories(dir_ + "/folder.mp4");
  const struct {
    std::string path;
    int scale;
    const char* says;
  } bad[] = {
      {dir_ + "/missing/clip.mp4", 2, "cannot write"},
      {dir_ + "/folder.mp4", 2, "not a regular file"},
      {dir_ + "/clip.avi", 2, ".mp4, .mkv or .webm"},
      {dir_ + "/clip", 2, ".mp4, .mkv or .webm"},
      {dir_ + "/clip.mp4", 0, "scale"},
      {dir_ + "/clip.mp4", plat::kMaxVideoScale + 1, "scale"},
  };
  for (const auto& b : bad) {
    std::string error;
    EXPECT_FALSE(plat::CreateVideoWriter(b.path, b.scale, &error)) << b.path;
    EXPECT_NE(error.find(b.says), std::string::npos) << b.path << ": " << error;
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"folder.mp4"});
}

TEST_F(VideoWriterTest, AnUnfinishedOrEmptyVideoLeavesNoFile) {
  std::string error;
  {
    auto writer = plat::CreateVideoWriter(dir_ + "/cut.mp4", 2, &error);
    ASSERT_TRUE(writer) << error;
    WriteClip(*writer, 10, 2);
    EXPECT_EQ(Entries().size(), 1u);  // the hidden file
  }
  EXPECT_TRUE(Entries().empty());
  auto empty = plat::CreateVideoWriter(dir_ + "/empty.mp4", 2, &error);
  ASSERT_TRUE(empty) << error;
  EXPECT_FALSE(empty->Finish());
  EXPECT_NE(empty->Error().find("no frame"), std::string::npos) << empty->Error();
  EXPECT_TRUE(Entries().empty());
  // A failure sticks: the video it broke is never completed.
  auto early = plat::CreateVideoWriter(dir_ + "/early.mp4", 2, &error);
  ASSERT_TRUE(early) << error;
  int16_t sound[4] = {};
  EXPECT_FALSE(early->AddSound(sound, 2));  // sound needs a picture first
  const std::vector<uint8_t> rgb = Picture(64, 48, 0);
  EXPECT_FALSE(early->AddFrame(rgb.data(), 64, 48, 64 * 3, true));
  EXPECT_FALSE(early->Finish());
  EXPECT_NE(early->Error().find("sound before the first frame"), std::string::npos);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(VideoWriterTest, SoundFilesDecodeToTheMixerFormat) {
  // Half a second of a mono 44.1 kHz tone as a wave file.
  const int rate = 44100, n = rate / 2;
  std::vector<uint8_t> wav;
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto id = [&](const char* s) { wav.insert(wav.end(), s, s + 4); };
  id("RIFF");
  put(36 + n * 2, 4);
  id("WAVE");
  id("fmt ");
  put(16, 4);
  put(1, 2);
  put(1, 2);
  put(rate, 4);
  put(rate * 2, 4);
  put(2, 2);
  put(16, 2);
  id("data");
  put(n * 2, 4);
  for (int i = 0; i < n; ++i)
    put(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 300 / rate))), 2);
  const std::string file = dir_ + "/tone.wav";
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));

  std::vector<int16_t> samples;
  std::string error;
  ASSERT_TRUE(plat::DecodeSoundFile(file, samples, &error)) << error;
  EXPECT_NEAR(static_cast<double>(samples.size() / 2), plat::kMixerRate / 2.0, 64);
  double peak = 0;
  bool same = true;
  for (size_t i = 0; i + 1 < samples.size(); i += 2) {
    peak = std::max(peak, std::abs(static_cast<double>(samples[i])));
    same = same && samples[i] == samples[i + 1];
  }
  EXPECT_TRUE(same);  // mono goes to both sides
  EXPECT_NEAR(peak, 8000, 400);

  EXPECT_FALSE(plat::DecodeSoundFile(file, samples, &error, 0.1));
  EXPECT_NE(error.find("longer"), std::string::npos) << error;
  EXPECT_TRUE(samples.empty());
  std::ofstream(dir_ + "/noise.mp3") << "not a sound at all";
  EXPECT_FALSE(plat::DecodeSoundFile(dir_ + "/noise.mp3", samples, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(plat::DecodeSoundFile(dir_ + "/none.ogg", samples, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
