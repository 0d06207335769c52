// The game recorded as a player would record it: the real binary flying
// its autopilot with --record, the file read back with FFmpeg's libraries
// and compared with the game's own screenshot and trace of the same run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "test_env.h"
#include "video_probe.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A 24-bit BMP as RGB rows top-down, scaled up by `scale` (nearest
// neighbour), as the video shows it.
std::vector<uint8_t> BmpScaled(const std::string& path, int scale, int* w, int* h) {
  const std::string b = ReadAll(path);
  if (b.size() < 54) return {};
  auto u32 = [&b](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at]) |
                                 static_cast<uint8_t>(b[at + 1]) << 8 |
                                 static_cast<uint8_t>(b[at + 2]) << 16 |
                                 static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
  };
  const size_t data = u32(10);
  *w = static_cast<int>(u32(18));
  *h = static_cast<int>(u32(22));
  const size_t row = (static_cast<size_t>(*w) * 3 + 3) & ~size_t{3};
  if (data + row * static_cast<size_t>(*h) > b.size()) return {};
  std::vector<uint8_t> out(static_cast<size_t>(*w) * scale * *h * scale * 3);
  for (int y = 0; y < *h * scale; ++y) {
    for (int x = 0; x < *w * scale; ++x) {
      const size_t s =
          data + static_cast<size_t>(*h - 1 - y / scale) * row + static_cast<size_t>(x / scale) * 3;
      uint8_t* d = &out[(static_cast<size_t>(y) * *w * scale + x) * 3];
      d[0] = static_cast<uint8_t>(b[s + 2]);
      d[1] = static_cast<uint8_t>(b[s + 1]);
      d[2] = static_cast<uint8_t>(b[s]);
    }
  }
  return out;
}

class GameVideo : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::PrivateTempDir() + "/game_video";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  int Run(const std::vector<std::string>& options, int timeoutSeconds) {
    std::vector<std::string> args = {ZELVO2_BINARY};
    args.insert(args.end(), options.begin(), options.end());
    return testchild::Wait(testchild::Spawn(args, dir_ + "/out.txt", dir_ + "/err.txt"),
                           timeoutSeconds);
  }
  std::string dir_;
};

TEST_F(GameVideo, ThreeHundredAutopilotFramesAreFiveSecondsOfThePicturesAndSounds) {
  const std::string video = dir_ + "/run.mp4", shot = dir_ + "/shot250.bmp";
  const std::string trace = dir_ + "/trace.jsonl";
  ASSERT_EQ(Run({"--autopilot", "--unpaced", "--frames", "300", "--record", video, "--shot", "250",
                 shot, "--trace", trace},
                600),
            0)
      << ReadAll(dir_ + "/err.txt");
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  // The video and nothing half-written beside it.
  EXPECT_EQ(names, (std::vector<std::string>{"err.txt", "out.txt", "run.mp4", "shot250.bmp",
                                             "trace.jsonl"}));

  const testvideo::Probe p = testvideo::ReadVideo(video, {250});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.frames, 300);
  EXPECT_DOUBLE_EQ(p.frameRate, 60.0);
  EXPECT_NEAR(p.videoDurationS, 5.0, 1e-9);
  EXPECT_NEAR(p.durationS, 5.0, 0.03);
  EXPECT_EQ(p.width, 640);
  EXPECT_EQ(p.height, 480);

  // Frame 250 as the game's own screenshot of it shows it.
  int w = 0, h = 0;
  const std::vector<uint8_t> expected = BmpScaled(shot, 2, &w, &h);
  ASSERT_EQ(w, 320);
  ASSERT_EQ(h, 240);
  ASSERT_EQ(p.pictures.size(), 1u);
  EXPECT_GE(testvideo::Psnr(p.pictures[0], expected), 35.0);

  // Wherever the trace says a sound or a piece of music was asked for, the
  // track sounds from that frame on.
  std::ifstream lines(trace);
  std::string line;
  int checked = 0;
  const std::regex frameField("\"frame\":([0-9]+)");
  while (std::getline(lines, line)) {
    std::smatch m;
    if (!std::regex_search(line, m, frameField)) continue;
    const double at = std::stoi(m[1]) / 60.0;
    const bool sound = line.find("\"sounds\":[]") == std::string::npos;
    const bool music = line.find(".mp3 loop\"") != std::string::npos;
    if (sound) {
      EXPECT_GT(testvideo::Rms(p, at, at + 0.1), 300) << line;
      ++checked;
    }
    if (music && at + 1.0 < 5.0) {
      EXPECT_GT(testvideo::Rms(p, at + 0.2, at + 1.0), 300) << line;
      ++checked;
    }
  }
  EXPECT_GE(checked, 2);
}

TEST_F(GameVideo, AVideoThatCannotBeWrittenStopsTheGameBeforeItStarts) {
  const std::string video = dir_ + "/no/such/folder/run.mp4";
  EXPECT_EQ(Run({"--autopilot", "--unpaced", "--record", video}, 60), 3);
  EXPECT_NE(ReadAll(dir_ + "/err.txt").find("zelvo2: --record: cannot write " + video),
            std::string::npos)
      << ReadAll(dir_ + "/err.txt");
  EXPECT_EQ(Run({"--autopilot", "--record", dir_ + "/run.gif"}, 60), 3);
  EXPECT_NE(ReadAll(dir_ + "/err.txt").find(".mp4, .mkv or .webm"), std::string::npos);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"err.txt", "out.txt"}));
}

}  // namespace
