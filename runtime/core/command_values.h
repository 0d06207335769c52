// Values given on a program's command line: whole numbers and paths.
#pragma once

#include <string>

// Parses text as a whole decimal integer within [lowest, highest]: "12abc",
// "", " 12", "1e3" and out-of-range values are refused (false, *value
// untouched), so a mistyped option never runs as some other number.
bool ParseWholeInteger(const std::string& text, long long lowest, long long highest,
                       long long* value);

// Remembers the directory the user started the program in. The engine's
// start makes the program's own folder current; the process entry calls
// this first, and later calls keep the first answer.
void RememberStartDirectory();
// That directory (the current one when nothing was remembered), without a
// trailing '/'.
std::string StartDirectory();
// A path the user gave on the command line, made independent of the current
// directory: relative paths are taken from the start directory, as a shell
// user means them. An empty path stays empty.
std::string UserPath(const std::string& path);
