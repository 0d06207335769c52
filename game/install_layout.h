// Where the game's data lives. In the build tree the program and its data
// share one folder; an installed copy has the program in PREFIX/bin and its
// data in PREFIX/share/zelvo2, found from the program's own location so that
// a copy unpacked into any folder runs from there.
#pragma once

#include <string>

namespace zelvo {

// The folder holding the running program (absolute, no trailing slash);
// empty when the system does not say.
std::string ProgramFolder();
// The data folder of an installed copy (PREFIX/share/zelvo2 beside the
// program's PREFIX/games or PREFIX/bin), or empty for a program that keeps its data beside
// itself.
std::string InstalledDataFolder(const std::string& programFolder);
// The folder the game reads its data from: the installed data folder when
// there is one, else the program's folder.
std::string DataFolder();

}  // namespace zelvo
