// The Options values (volumes and game speed) remembered between runs, in
// the user's config folder: one "name=value" line each.
#pragma once

#include <string>

#include "game/zelvo.h"

namespace zelvo {

// $XDG_CONFIG_HOME/zelvo2/settings.ini when XDG_CONFIG_HOME is an absolute
// path, else ~/.config/zelvo2/settings.ini; empty when there is no home.
std::string SettingsFilePath();

// The file's text for these settings; numbers are written so that they read
// back as exactly the same values.
std::string FormatSettings(const Settings& settings);
// The settings a file's text gives. A known name with a number is clamped
// into the range the game keeps it in; a missing value, one that is not a
// number, and anything unknown leave the default.
Settings ParseSettings(const std::string& text);

// The settings in path; the defaults when it is missing, unreadable or
// larger than any settings file.
Settings LoadSettingsFile(const std::string& path);
// Writes the settings to path through a temporary file renamed over it, so
// a crash leaves the old file or the new one; makes the folder. False when
// it cannot.
bool SaveSettingsFile(const std::string& path, const Settings& settings);

// Keeps the game's settings in path from now on: SaveSettingsIfChanged
// writes them whenever they differ from the values last read or written
// there. Empty keeps nothing (scripted runs, which start from the defaults
// so that replays stay exact, and tests).
void KeepSettingsIn(const std::string& path, const Settings& current);
void SaveSettingsIfChanged();

}  // namespace zelvo
