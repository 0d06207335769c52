// A second, independent run of the generator must reproduce the build's
// files byte for byte: nothing may depend on time, thread timing or the
// order in which the jobs happen to finish.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "asset_io.h"

namespace assettest {
namespace {

namespace fs = std::filesystem;

TEST(Determinism, SecondRunReproducesTheBuildByteForByte) {
  // The build runs two workers; one worker here finishes the jobs in a
  // different order, which must not matter.
  fs::path tmp = fs::temp_directory_path() / ("assetgen_repeat_" + std::to_string(getpid()));
  fs::remove_all(tmp);
  std::string cmd = std::string("\"") + ASSETGEN_EXE + "\" --out \"" + (tmp / "run").string() +
                    "\" --music \"" + (tmp / "music").string() + "\" --jobs 1 > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

  int compared = 0;
  for (const auto& e : fs::recursive_directory_iterator(tmp)) {
    if (!e.is_regular_file()) continue;
    fs::path rel = fs::relative(e.path(), tmp);
    std::string first = rel.begin()->string();
    fs::path built = first == "music" ? fs::path(MusicDir()) / fs::relative(e.path(), tmp / "music")
                                      : fs::path(RunDir()) / fs::relative(e.path(), tmp / "run");
    ASSERT_TRUE(fs::exists(built)) << built;
    EXPECT_TRUE(ReadBytes(e.path().string()) == ReadBytes(built.string())) << rel << " differs";
    ++compared;
  }
  // 50 pictures + 17 rooms + 3 fonts + 7 sounds + 6 pieces.
  EXPECT_EQ(compared, 83);
  fs::remove_all(tmp);
}

}  // namespace
}  // namespace assettest
