// The six best runs: the table in memory, "Hiscores.dat", the table screen
// and name entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/zelvo.h"

namespace zelvo {

// Field order matters: the table sorts by the first field, the score.
struct HiscoreEntry {
  int32_t score = 0;
  RtString name;
  int32_t level = 0;
};

using HiscoreTable = RtArray<HiscoreEntry>;

inline constexpr int kHiscoreRows = 6;

HiscoreTable& Hiscores();

// The built-in table, read from the game's data table and sorted ascending.
void LoadDefaultHiscores();

// Replaces the table in memory from the file. A missing file is created from
// the table in memory; a damaged one (short, garbled, empty) is replaced by
// the built-in table, in memory and on disk. When the game's folder cannot
// be written and the user's data folder holds no table yet, the table in
// the game's folder (an installed copy's) is read; saves go to the user's
// folder.
void LoadHiscores(int count);
// Writes the first count rows through a temporary file renamed over the old
// one. Returns false when neither the game's folder nor the user's data
// folder could take it.
bool SaveHiscores(int count);

// The file's bytes for the first count rows of table.
std::string EncodeHiscores(const HiscoreTable& table, int count);
// Parses count rows; false when the bytes are not count well-formed rows.
bool DecodeHiscores(const std::string& bytes, int count, std::vector<HiscoreEntry>& rows);

// Where the table is kept: "Hiscores.dat" in the game's folder, or in the
// user's data folder ($XDG_DATA_HOME/zelvo2, else ~/.local/share/zelvo2)
// when the game's folder cannot be written.
std::string HiscorePath();
std::string UserDataFolder();
// Tests: the file in the game's folder and the user's data folder to use
// instead (empty strings restore the defaults).
void SetHiscoreLocations(const std::string& gameFile, const std::string& userFolder);
// An installed copy keeps the table in the user's data folder even where
// its own folder happens to be writable (a package unpacked by hand), so
// that the table follows the user, not the copy.
void KeepHiscoresInUserFolder();

void DrawHiscoreTable();

// Name entry (screen 4).
struct NameEntry {
  RtString enteredName;
  double character = 65;
  double cursor = 0;
  double row = 0;
};
NameEntry& NameEntryState();

// The character cycle A..Z, space, A.
int NextNameCharacter(int code);
int PreviousNameCharacter(int code);

// Puts the run's score and room into the lowest row and finds its row.
void BeginNameEntry();
// One frame of name entry without the frame step.
void NameEntryFrame();
void RunNameEntry();

}  // namespace zelvo
