// The loaders of the layers above the files: given a named pipe nobody
// writes, a device or a folder, each fails at once instead of waiting for
// ever or reading until memory runs out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/audio/wav_parser.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx3d/object_file.h"

namespace {

TEST(PipesAndDevices, ImageSoundAndObjectLoadersRefuseThemAtOnce) {
  char pattern[] = "/tmp/rt_pipes_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string pipe = dir + "/pipe";
  const std::string folder = dir + "/folder";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& name : {pipe, std::string("/dev/zero"), folder}) {
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(gfx2d::ReadImageBytes(name.c_str(), bytes)) << name;
    WaveSound sound;
    EXPECT_EQ(ReadWaveFile(name.c_str(), sound), WaveStatus::kUnreadable) << name;
    gfx3d::Mesh mesh;
    EXPECT_FALSE(gfx3d::LoadMeshFile(mesh, name.c_str())) << name;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  std::filesystem::remove_all(dir);
}

}  // namespace
