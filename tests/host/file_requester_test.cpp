// The file dialog through stand-in dialog programs on PATH: a choice, a
// cancel, a failure and no program at all, with the game window back in
// its mode every time.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "host_screen.h"
#include "runtime/host/file_requester.h"

namespace {

class FileRequesterTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = hosttest::HostScreen();
    ASSERT_NE(window_, nullptr);
    static int count = 0;
    toolDir_ = testenv::PrivateTempDir() + "/tools" + std::to_string(++count);
    mkdir(toolDir_.c_str(), 0700);
    argsFile_ = toolDir_ + "/args";
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    // Only the stand-ins are found; a real dialog program never appears.
    setenv("PATH", toolDir_.c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    hosttest::SwitchScreenMode(false);
  }

  // A stand-in dialog program: records its arguments, then runs body.
  void InstallTool(const std::string& name, const std::string& body) {
    const std::string file = toolDir_ + "/" + name;
    std::ofstream(file) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
                        << argsFile_ << "'\n"
                        << body << "\n";
    chmod(file.c_str(), 0700);
  }

  std::vector<std::string> ToolArgs() const {
    std::vector<std::string> lines;
    std::ifstream in(argsFile_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  void ExpectWindow(bool fullScreen) {
    EXPECT_TRUE(plat::IsWindowVisible(window_));
    EXPECT_EQ(plat::IsWindowFullScreen(window_), fullScreen);
  }

  bool Contains(const std::vector<std::string>& v, const std::string& s) {
    for (const std::string& x : v)
      if (x == s) return true;
    return false;
  }

  plat::Window* window_ = nullptr;
  std::string toolDir_, argsFile_, savedPath_;
};

TEST_F(FileRequesterTest, ZenityChoiceComesBackAndFullScreenReturns) {
  hosttest::SwitchScreenMode(true);
  ASSERT_TRUE(plat::IsWindowFullScreen(window_));
  InstallTool("zenity", "echo '/home/player/My Maps/level 1.map'");

  const RtString chosen = FileRequester(1, "Images|*.png;*.bmp|All|*.*");
  EXPECT_STREQ(chosen.c_str(), "/home/player/My Maps/level 1.map");
  const std::vector<std::string> args = ToolArgs();
  EXPECT_TRUE(Contains(args, "--file-selection"));
  EXPECT_FALSE(Contains(args, "--save"));
  EXPECT_TRUE(Contains(args, "--file-filter=Images | *.png *.bmp"));
  EXPECT_TRUE(Contains(args, "--file-filter=All | *"));
  ExpectWindow(true);

  EXPECT_STREQ(FileRequester(0, "").c_str(), "/home/player/My Maps/level 1.map");
  EXPECT_TRUE(Contains(ToolArgs(), "--save"));
  ExpectWindow(true);
}

TEST_F(FileRequesterTest, FilterPairsWithoutPatternsAreDropped) {
  InstallTool("zenity", "echo /tmp/a.png");
  EXPECT_STREQ(FileRequester(1, "Images| *.png ; *.bmp ;|Empty||Dangling").c_str(), "/tmp/a.png");
  int filters = 0;
  for (const std::string& arg : ToolArgs()) filters += arg.rfind("--file-filter=", 0) == 0;
  EXPECT_EQ(filters, 1);
  EXPECT_TRUE(Contains(ToolArgs(), "--file-filter=Images | *.png *.bmp"));
}

TEST_F(FileRequesterTest, LongPathsComeBackWhole) {
  std::string longPath;
  while (longPath.size() < 5000) longPath += "/a-rather-long-directory-name";
  longPath += "/file.txt";
  InstallTool("zenity", "echo '" + longPath + "'");
  EXPECT_EQ(std::string(FileRequester(1, "Text|*.txt").c_str()), longPath);
}

TEST_F(FileRequesterTest, OnlyTheFirstLineOfAnAnswerOfBoundedLengthIsAPath) {
  InstallTool("zenity", "printf '/tmp/first.txt\\r\\n/tmp/second.txt\\n'");
  EXPECT_EQ(std::string(FileRequester(1, "").c_str()), "/tmp/first.txt");
  // A first line followed by ten megabytes: the line, and the rest drained.
  InstallTool("zenity", "echo /tmp/chosen.map; head -c 10000000 /dev/zero | tr '\\0' x; echo");
  EXPECT_EQ(std::string(FileRequester(1, "").c_str()), "/tmp/chosen.map");
  // Ten megabytes on one line is no path at all.
  InstallTool("zenity", "head -c 10000000 /dev/zero | tr '\\0' y; echo");
  EXPECT_EQ(std::string(FileRequester(0, "").c_str()), "NO_FILE");
  ExpectWindow(false);
}

TEST_F(FileRequesterTest, CancelGivesNoFileAndTheWindowReturnsAsItWas) {
  hosttest::SwitchScreenMode(true);
  InstallTool("zenity", "exit 1");
  EXPECT_STREQ(FileRequester(1, "All|*.*").c_str(), "NO_FILE");
  ExpectWindow(true);

  hosttest::SwitchScreenMode(false);
  EXPECT_STREQ(FileRequester(0, "All|*.*").c_str(), "NO_FILE");
  ExpectWindow(false);
}

TEST_F(FileRequesterTest, AFailedDialogIsNoChoice) {
  hosttest::SwitchScreenMode(true);
  // Whatever a broken dialog printed is not a path the user picked.
  InstallTool("zenity", "echo 'Gtk-WARNING: cannot open display'; exit 255");
  EXPECT_STREQ(FileRequester(1, "All|*.*").c_str(), "NO_FILE");
  ExpectWindow(true);
}

TEST_F(FileRequesterTest, KdialogServesWhenZenityIsMissing) {
  InstallTool("kdialog", "echo /tmp/saved.txt");
  EXPECT_STREQ(FileRequester(0, "Text|*.txt|All|*.*").c_str(), "/tmp/saved.txt");
  const std::vector<std::string> args = ToolArgs();
  ASSERT_GE(args.size(), 4u);
  EXPECT_EQ(args[0], "--getsavefilename");
  EXPECT_EQ(args[2], "*.txt|Text");
  EXPECT_EQ(args[3], "*|All");  // the two filters are separated by a line end
}

TEST_F(FileRequesterTest, NoDialogProgramGivesNoFile) {
  hosttest::SwitchScreenMode(true);
  EXPECT_STREQ(FileRequester(1, "All|*.*").c_str(), "NO_FILE");
  ExpectWindow(true);
}

}  // namespace
