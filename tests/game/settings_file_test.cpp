#include "game/settings_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "fake_io.h"
#include "game/screens.h"

namespace zelvo::testing {
namespace {

// A folder of the test's own, removed with everything in it.
class SettingsFolder {
 public:
  SettingsFolder() {
    char tmpl[] = "/tmp/rt_settings_XXXXXX";
    dir_ = mkdtemp(tmpl) ? tmpl : "";
  }
  ~SettingsFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::string& dir() const { return dir_; }
  std::string Write(const std::string& name, const std::string& text) const {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

 private:
  std::string dir_;
};

// Sets an environment variable for one scope (unset when value is null).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old, had_ = true;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

void ExpectSame(const Settings& a, const Settings& b, const std::string& why) {
  EXPECT_EQ(a.masterVolume, b.masterVolume) << why;
  EXPECT_EQ(a.musicLevel, b.musicLevel) << why;
  EXPECT_EQ(a.effectsLevel, b.effectsLevel) << why;
  EXPECT_EQ(a.gameSpeed, b.gameSpeed) << why;
}

TEST(SettingsFile, ValuesReadBackExactly) {
  // Sums of tenths, as the Options screen makes them, are not short decimals.
  Settings s;
  s.masterVolume = 0.5 + 0.1 + 0.1 + 0.1;
  s.musicLevel = 0.35 - 0.05 - 0.05;
  s.effectsLevel = 1.8 + 0.01 + 0.05;
  s.gameSpeed = 1.0 - 0.1 - 0.1 - 0.1;
  ExpectSame(ParseSettings(FormatSettings(s)), s, FormatSettings(s));
  ExpectSame(ParseSettings(FormatSettings(Settings())), Settings(), "defaults");
}

TEST(SettingsFile, GarbageIsClampedOrLeftAtTheDefault) {
  const Settings defaults;
  // Spaces, CR LF, comments and other names are a hand-edited file's.
  Settings s = ParseSettings(
      "; mine\r\n[settings]\r\n masterVolume = 0.25 \r\nfoo=3\r\n# gameSpeed=1.4\r\n"
      "musicLevel=1e-1\r\n");
  EXPECT_EQ(s.masterVolume, 0.25);
  EXPECT_EQ(s.musicLevel, 0.1);
  EXPECT_EQ(s.gameSpeed, defaults.gameSpeed);

  // Out of range: clamped to what the game keeps.
  s = ParseSettings("masterVolume=7\nmusicLevel=-1\neffectsLevel=99\ngameSpeed=0\n");
  EXPECT_EQ(s.masterVolume, 1);
  EXPECT_EQ(s.musicLevel, 0);
  EXPECT_EQ(s.effectsLevel, 10);
  EXPECT_EQ(s.gameSpeed, 0.5);

  // Not numbers at all: the defaults.
  for (const char* value : {"", "loud", "0.5x", "nan", "inf", "-inf", "1e999", "0x", "1 2"}) {
    const std::string text = std::string("masterVolume=") + value + "\ngameSpeed=" + value + "\n";
    s = ParseSettings(text);
    EXPECT_EQ(s.masterVolume, defaults.masterVolume) << value;
    EXPECT_EQ(s.gameSpeed, defaults.gameSpeed) << value;
  }
  ExpectSame(ParseSettings(std::string("\0\xff\xfe=\x01\n==\n=\n", 11)), defaults, "binary");
}

TEST(SettingsFile, SavedAtomicallyAndLoadedBack) {
  SettingsFolder folder;
  const std::string path = folder.dir() + "/config/zelvo2/settings.ini";
  ExpectSame(LoadSettingsFile(path), Settings(), "a missing file gives the defaults");

  Settings s;
  s.masterVolume = 0.8;
  s.gameSpeed = 1.3;
  ASSERT_TRUE(SaveSettingsFile(path, s)) << "the folders are made";
  ExpectSame(LoadSettingsFile(path), s, "saved");
  s.musicLevel = 0.9;
  ASSERT_TRUE(SaveSettingsFile(path, s));
  ExpectSame(LoadSettingsFile(path), s, "replaced");
  // Only the file itself is left: no temporary beside it.
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.dir() + "/config/zelvo2")) {
    EXPECT_EQ(entry.path().filename(), "settings.ini");
    ++entries;
  }
  EXPECT_EQ(entries, 1);

  // A file far too large for settings is not read as any.
  const std::string huge = folder.Write(
      "huge.ini", "masterVolume=0.1\n" + std::string(64 * 1024, '#') + "\ngameSpeed=1.4\n");
  ExpectSame(LoadSettingsFile(huge), Settings(), "too large");
  // A folder where the file should be, or a file where its folder should be.
  ExpectSame(LoadSettingsFile(folder.dir()), Settings(), "a folder");
  const std::string blocker = folder.Write("blocker", "x");
  EXPECT_FALSE(SaveSettingsFile(blocker + "/settings.ini", s));
  EXPECT_FALSE(SaveSettingsFile(folder.dir(), s));
  EXPECT_FALSE(SaveSettingsFile("", s));
}

TEST(SettingsFile, LivesInTheUsersConfigFolder) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/somewhere/config");
    ScopedEnv home("HOME", "/home/player");
    EXPECT_EQ(SettingsFilePath(), "/somewhere/config/zelvo2/settings.ini");
  }
  {
    // A relative XDG_CONFIG_HOME does not count.
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
    ScopedEnv home("HOME", "/home/player");
    EXPECT_EQ(SettingsFilePath(), "/home/player/.config/zelvo2/settings.ini");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    EXPECT_EQ(SettingsFilePath(), "");
  }
}

using SettingsKeeping = GameTest;

// Presses and releases a key across two calls of the handler.
template <typename Handler>
void Tap(FakeIo& io, int code, Handler handle) {
  io.Press(code);
  handle();
  io.Release(code);
  handle();
}

TEST_F(SettingsKeeping, EveryChangeIsWrittenAndNothingElse) {
  SettingsFolder folder;
  const std::string path = folder.dir() + "/zelvo2/settings.ini";
  KeepSettingsIn(path, Game().settings);
  HandleVolumeKeys();
  EXPECT_FALSE(std::filesystem::exists(path)) << "written without a change";

  Tap(io, key::kPageUp, HandleVolumeKeys);
  EXPECT_EQ(LoadSettingsFile(path).masterVolume, Game().settings.masterVolume);
  EXPECT_GT(Game().settings.masterVolume, Settings().masterVolume);

  // The Options screen's changes too.
  Game().options.optionRow = 3;
  Tap(io, key::kRight, HandleOptionKeys);
  EXPECT_EQ(LoadSettingsFile(path).gameSpeed, Game().settings.gameSpeed);
  EXPECT_GT(Game().settings.gameSpeed, 1.0);

  // Unchanged values are not written again.
  std::filesystem::remove(path);
  HandleVolumeKeys();
  HandleOptionKeys();
  EXPECT_FALSE(std::filesystem::exists(path));

  // A folder that cannot be written costs one message, not a crash.
  const std::string blocker = folder.Write("blocker", "x");
  KeepSettingsIn(blocker + "/settings.ini", Game().settings);
  ::testing::internal::CaptureStderr();
  Tap(io, key::kPageDown, HandleVolumeKeys);
  Tap(io, key::kPageDown, HandleVolumeKeys);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "zelvo2: cannot save the settings to " + blocker + "/settings.ini\n");

  // A game that keeps nothing (a scripted run) writes nothing.
  KeepSettingsIn("", Game().settings);
  Tap(io, key::kPageUp, HandleVolumeKeys);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace zelvo::testing
