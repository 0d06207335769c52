#include "game/install_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace zelvo::testing {
namespace {

namespace fs = std::filesystem;

class InstallLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/zelvo_layout_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    root = name;
  }
  void TearDown() override { fs::remove_all(root); }
  fs::path root;
};

TEST_F(InstallLayoutTest, AnInstalledCopyReadsShareBesideItsBinFolder) {
  fs::create_directories(root / "usr" / "bin");
  fs::create_directories(root / "usr" / "share" / "zelvo2");
  EXPECT_EQ(InstalledDataFolder((root / "usr" / "bin").string()),
            (root / "usr" / "share" / "zelvo2").string());
  // Debian's place for games.
  fs::create_directories(root / "usr" / "games");
  EXPECT_EQ(InstalledDataFolder((root / "usr" / "games").string()),
            (root / "usr" / "share" / "zelvo2").string());
}

TEST_F(InstallLayoutTest, AProgramOutsideAnInstalledLayoutKeepsItsDataBesideItself) {
  // The build tree's run folder: data beside the program.
  fs::create_directories(root / "run");
  fs::create_directories(root / "share" / "zelvo2");
  EXPECT_EQ(InstalledDataFolder((root / "run").string()), "");
  // A bin folder without the data folder is not an installed copy.
  fs::create_directories(root / "other" / "bin");
  EXPECT_EQ(InstalledDataFolder((root / "other" / "bin").string()), "");
  EXPECT_EQ(InstalledDataFolder(""), "");
}

TEST(InstallLayout, TheProgramFolderHoldsTheRunningProgram) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::path(folder).is_absolute());
  EXPECT_TRUE(fs::exists(fs::path(folder) / "test_game"));
  EXPECT_EQ(DataFolder(), folder);
}

}  // namespace
}  // namespace zelvo::testing
