#include "game/settings_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/runtime.h"

namespace zelvo {

namespace {

// A settings file is a few lines; anything far larger is not one.
constexpr std::streamsize kMaxFileBytes = 16 * 1024;

// One remembered value: its name in the file, where it lives and the range
// the game keeps it in (the widest the game allows: the effects hotkeys go
// up to 10, the Options screen only to 2).
struct Field {
  const char* name;
  double Settings::*value;
  double low, high;
};
constexpr Field kFields[] = {
    {"masterVolume", &Settings::masterVolume, 0, 1},
    {"musicLevel", &Settings::musicLevel, 0, 1},
    {"effectsLevel", &Settings::effectsLevel, 0, 10},
    {"gameSpeed", &Settings::gameSpeed, 0.5, 1.5},
};

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The whole text is one finite number.
bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool SameSettings(const Settings& a, const Settings& b) {
  for (const Field& f : kFields) {
    if (a.*f.value != b.*f.value) return false;
  }
  return true;
}

struct Keeper {
  std::string path;
  Settings written;
  bool reportedFailure = false;
};
Keeper g_keeper;

}  // namespace

std::string SettingsFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and must be ignored.
  if (xdg && *xdg == '/') return std::string(xdg) + "/zelvo2/settings.ini";
  const char* home = std::getenv("HOME");
  if (!home || !*home) return "";
  return std::string(home) + "/.config/zelvo2/settings.ini";
}

std::string FormatSettings(const Settings& settings) {
  std::string out = "# zelvo2 settings, written by the game's Options screen\n[settings]\n";
  for (const Field& f : kFields) {
    // The shortest text that reads back as the same value: 0.6 rather than
    // 0.59999999999999998, for whoever edits the file by hand.
    const double value = settings.*f.value;
    char number[40] = "";
    for (int digits = 1; digits <= 17; ++digits) {
      std::snprintf(number, sizeof number, "%.*g", digits, value);
      if (std::strtod(number, nullptr) == value) break;
    }
    out += std::string(f.name) + "=" + number + "\n";
  }
  return out;
}

Settings ParseSettings(const std::string& text) {
  Settings settings;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;  // sections, comments, junk
    const std::string name = Trimmed(line.substr(0, equals));
    double value = 0;
    if (!ParseNumber(Trimmed(line.substr(equals + 1)), value)) continue;
    for (const Field& f : kFields) {
      if (name != f.name) continue;
      settings.*f.value = value < f.low ? f.low : value > f.high ? f.high : value;
    }
  }
  return settings;
}

Settings LoadSettingsFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Settings();
  std::string text(static_cast<size_t>(kMaxFileBytes) + 1, '\0');
  in.read(text.data(), kMaxFileBytes + 1);
  if (in.gcount() > kMaxFileBytes) return Settings();
  text.resize(static_cast<size_t>(in.gcount()));
  return ParseSettings(text);
}

bool SaveSettingsFile(const std::string& path, const Settings& settings) {
  if (path.empty()) return false;
  std::error_code ignored;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  const std::string text = FormatSettings(settings);
  return fileops::ReplaceFile(path, [&text](std::FILE* file) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
  });
}

void KeepSettingsIn(const std::string& path, const Settings& current) {
  g_keeper = Keeper();
  g_keeper.path = path;
  g_keeper.written = current;
}

void SaveSettingsIfChanged() {
  if (g_keeper.path.empty()) return;
  const Settings& now = Game().settings;
  if (SameSettings(now, g_keeper.written)) return;
  // A failed write is not tried again every frame, only at the next change.
  g_keeper.written = now;
  if (SaveSettingsFile(g_keeper.path, now) || g_keeper.reportedFailure) return;
  g_keeper.reportedFailure = true;
  StdErr(RtString(("zelvo2: cannot save the settings to " + g_keeper.path + "\n").c_str()));
}

}  // namespace zelvo
