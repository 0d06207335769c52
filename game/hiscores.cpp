#include "game/hiscores.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "game/game_io.h"
#include "game/startup.h"

namespace zelvo {

namespace {

HiscoreTable g_hiscores;
NameEntry g_nameEntry;

// Read as name, level, score per row.
const DataItem kDefaultHiscoreItems[] = {
    DataText("BIXU"),    DataNumber(51),    DataNumber(143950), DataText("ZERAN"),
    DataNumber(22),      DataNumber(4430),  DataText("TORVIK"), DataNumber(12),
    DataNumber(980),     DataText("NUMAS"), DataNumber(21),     DataNumber(27051),
    DataText("VESTRIN"), DataNumber(5),     DataNumber(95),     DataText("GULAR"),
    DataNumber(1),       DataNumber(150),
};
DataTable g_defaultHiscores = MakeDataTable(kDefaultHiscoreItems);

std::string g_gameFileOverride;
std::string g_userFolderOverride;
// Set once the game's folder refused a save: later saves and loads use the
// user's data folder.
bool g_gameFolderRefused = false;

constexpr int kChannel = 0;
// Far more than six rows can need; a longer file is not ours.
constexpr int kMaxFileBytes = 64 * 1024;
// A name is one line of at most this many bytes (the channel's line limit).
constexpr size_t kMaxNameBytes = 1024;

std::string GameFile() {
  return g_gameFileOverride.empty() ? std::string("Hiscores.dat") : g_gameFileOverride;
}

bool GameFolderWritable() {
  if (g_gameFolderRefused) return false;
  std::filesystem::path folder = std::filesystem::path(GameFile()).parent_path();
  if (folder.empty()) folder = ".";
  return access(folder.c_str(), W_OK) == 0;
}

// Reads the whole file through channel 0; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
  const RtString name(path.c_str());
  if (!FileExists(name)) return false;
  const int size = FileSize(name);
  if (!OpenFile(kChannel, name, 1)) return false;
  bytes.clear();
  const int wanted = size < kMaxFileBytes ? size : kMaxFileBytes + 1;
  for (int i = 0; i < wanted && !EndOfFile(kChannel); ++i) {
    int byte = 0;
    ReadUByte(kChannel, byte);
    bytes.push_back(static_cast<char>(byte));
  }
  CloseFile(kChannel);
  return true;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
  return fileops::ReplaceFile(path, [&bytes](std::FILE* file) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  });
}

RtString CharacterAt(const RtString& text, int index) {
  return Mid(text, index, 1);
}

}  // namespace

HiscoreTable& Hiscores() {
  return g_hiscores;
}

NameEntry& NameEntryState() {
  return g_nameEntry;
}

void LoadDefaultHiscores() {
  DimRecordArray(g_hiscores, 0);
  RestoreData(g_defaultHiscores);
  for (int row = 0; row < kHiscoreRows; ++row) {
    HiscoreEntry entry;
    ReadDataString(entry.name);
    ReadDataInt(entry.level);
    ReadDataInt(entry.score);
    RecordArrayPush(g_hiscores, entry);
  }
  SortRecordArray(g_hiscores);
}

std::string EncodeHiscores(const HiscoreTable& table, int count) {
  std::string out;
  for (int row = 0; row < count; ++row) {
    const HiscoreEntry& entry = table.At(row);
    AppendLe32(out, static_cast<uint32_t>(entry.score));
    out.append(entry.name.c_str(), entry.name.Length());
    out += "\r\n";
    AppendLe16(out, static_cast<uint16_t>(entry.level));
  }
  return out;
}

bool DecodeHiscores(const std::string& bytes, int count, std::vector<HiscoreEntry>& rows) {
  rows.clear();
  size_t at = 0;
  auto byte = [&bytes](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  for (int row = 0; row < count; ++row) {
    if (at + 4 > bytes.size()) return false;
    HiscoreEntry entry;
    entry.score = static_cast<int32_t>(Le32At(ByteSpan(bytes), at));
    at += 4;
    const size_t lineEnd = bytes.find('\n', at);
    if (lineEnd == std::string::npos || lineEnd - at > kMaxNameBytes + 1) return false;
    // A line of two or more bytes loses the CR of its CR LF end; a line
    // that is a lone CR keeps it as the name, as the channel's line reader
    // reads it, so rewriting the table keeps the name byte for byte.
    size_t nameEnd = lineEnd;
    if (nameEnd - at >= 2 && bytes[nameEnd - 1] == '\r') --nameEnd;
    const bool loneCr = nameEnd - at == 1 && bytes[at] == '\r';
    for (size_t i = at; i < nameEnd && !loneCr; ++i) {
      if (byte(i) < 32 || byte(i) > 126) return false;
    }
    entry.name = RtString(bytes.substr(at, nameEnd - at).c_str());
    at = lineEnd + 1;
    if (at + 2 > bytes.size()) return false;
    entry.level = static_cast<int16_t>(Le16At(ByteSpan(bytes), at));
    at += 2;
    // Rooms run from 0 to 51; anything else is not a run of this game.
    if (entry.level < 0 || entry.level > 51) return false;
    rows.push_back(entry);
  }
  return true;
}

std::string UserDataFolder() {
  if (!g_userFolderOverride.empty()) return g_userFolderOverride;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/zelvo2";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/zelvo2";
}

std::string HiscorePath() {
  if (GameFolderWritable()) return GameFile();
  return UserDataFolder() + "/Hiscores.dat";
}

void SetHiscoreLocations(const std::string& gameFile, const std::string& userFolder) {
  g_gameFileOverride = gameFile;
  g_userFolderOverride = userFolder;
  g_gameFolderRefused = false;
}

void KeepHiscoresInUserFolder() {
  g_gameFolderRefused = true;
}

void LoadHiscores(int count) {
  std::string bytes;
  const std::string path = HiscorePath();
  // An installed copy's folder cannot be written but may hold the player's
  // table: until a table is kept in the user's folder, that one is shown
  // (saving then goes to the user's folder).
  const bool read =
      ReadWholeFile(path, bytes) || (path != GameFile() && ReadWholeFile(GameFile(), bytes));
  if (!read) {
    SaveHiscores(count);
    return;
  }
  std::vector<HiscoreEntry> rows;
  if (count > g_hiscores.DimSize(0) || !DecodeHiscores(bytes, count, rows)) {
    // A damaged file would otherwise end every start; the built-in table
    // takes its place.
    LoadDefaultHiscores();
    SaveHiscores(count);
    return;
  }
  for (int row = 0; row < count; ++row) RecordArrayAt(g_hiscores, row) = rows[row];
  SortRecordArray(g_hiscores);
}

bool SaveHiscores(int count) {
  if (count > g_hiscores.DimSize(0)) count = g_hiscores.DimSize(0);
  const std::string bytes = EncodeHiscores(g_hiscores, count);
  if (GameFolderWritable() && WriteFileReplacing(GameFile(), bytes)) return true;
  g_gameFolderRefused = true;
  std::error_code ignored;
  std::filesystem::create_directories(UserDataFolder(), ignored);
  return WriteFileReplacing(UserDataFolder() + "/Hiscores.dat", bytes);
}

void DrawHiscoreTable() {
  GameIo& io = Io();
  io.PutSprite(slot::kScores, 0, 0);
  io.SetBlendMode(1);
  io.FillRect(30, 57, 265, 14, kRed);
  io.SetBlendMode(0);
  io.PutSprite(slot::kHigh, 0, 0);
  int rank = 1;
  for (int i = 5; i >= 0; --i) {
    const HiscoreEntry& entry = RecordArrayAt(g_hiscores, i);
    const double y = (5 - i) * 25 + 80;
    const bool editing = Game().gameState == kNameEntry && entry.name == g_nameEntry.enteredName;
    io.SetBlendMode(1);
    io.FillRect(30, y - 1, 265, 15, editing ? kRed : kBlue);
    io.FillRect(19, y - 1, 10, 15, kRed);
    io.SetBlendMode(0);
    io.DrawNumber(rank, 21, y);
    rank += 1;
    for (int k = 0; k < Len(entry.name); ++k) {
      io.DrawText(CharacterAt(entry.name, k), 35 + 15 * k, y);
    }
    // Numbers right-aligned in 12-pixel cells.
    auto drawRight = [&io, y](int value, double right) {
      const RtString text(value);
      const int length = Len(text);
      for (int k = 0; k < length; ++k) {
        io.DrawText(CharacterAt(text, k), right - 12 * length + 12 * k, y);
      }
    };
    drawRight(entry.level, 195);
    drawRight(entry.score, 295);
  }
}

int NextNameCharacter(int code) {
  code += 1;
  if (code == 91) code = 32;
  if (code == 33) code = 65;
  return code;
}

int PreviousNameCharacter(int code) {
  code -= 1;
  if (code == 64) code = 32;
  if (code == 31) code = 90;
  return code;
}

void BeginNameEntry() {
  NameEntry& n = g_nameEntry;
  const Run& run = Game().run;
  n.enteredName = "A.......";
  n.character = 65;
  n.cursor = 0;
  HiscoreEntry& lowest = RecordArrayAt(g_hiscores, 0);
  lowest.level = Trunc(run.roomIndex);
  lowest.score = Trunc(run.score);
  lowest.name = n.enteredName;
  SortRecordArray(g_hiscores);
  n.row = 0;
  for (int i = 0; i <= 5; ++i) {
    const HiscoreEntry& entry = RecordArrayAt(g_hiscores, i);
    if (entry.name == n.enteredName && entry.score == run.score) {
      n.row = i;
      break;
    }
  }
}

void NameEntryFrame() {
  NameEntry& n = g_nameEntry;
  HiscoreEntry& entry = RecordArrayAt(g_hiscores, n.row);
  const int cursor = Trunc(n.cursor);
  DrawHiscoreTable();

  // Moves the cursor and picks up the character under it; a full stop
  // there becomes a space.
  auto moveTo = [&n, &entry](int to) {
    n.cursor = to;
    const int at = Trunc(n.cursor);
    n.character = Asc(Mid(n.enteredName, at, 1));
    if (n.character == '.') {
      n.character = ' ';
      n.enteredName = Mid(n.enteredName, 0, at) + " " + Mid(n.enteredName, at + 1, -1);
      entry.name = n.enteredName;
    }
  };
  bool stepped = false;
  if (KeyReleased(key::kUp)) {
    n.character = NextNameCharacter(Trunc(n.character));
    stepped = true;
  } else if (KeyReleased(key::kDown)) {
    PlayEffect(slot::kSoundCursor);
    n.character = PreviousNameCharacter(Trunc(n.character));
    stepped = true;
  } else if (KeyReleased(key::kLeft)) {
    PlayEffect(slot::kSoundCursor);
    moveTo(cursor > 0 ? cursor - 1 : 0);
  } else if (KeyReleased(key::kRight)) {
    PlayEffect(slot::kSoundCursor);
    moveTo(cursor < 7 ? cursor + 1 : 7);
  }
  if (stepped) {
    n.enteredName = Mid(n.enteredName, 0, cursor) + Chr(Trunc(n.character)) +
                    Mid(n.enteredName, cursor + 1, -1);
    entry.name = n.enteredName;
  }

  // Every key is asked, so each one's latch follows it.
  const int confirmed = KeyReleased(key::kX) | KeyReleased(key::kS) | KeyReleased(key::kReturn);
  if (confirmed) {
    PlayEffect(slot::kSoundConfirm);
    entry.name = ReplaceText(entry.name, ".", " ");
    SaveHiscores(kHiscoreRows);
    Game().gameState = kHiscoreView;
  }
  Io().DrawText("_", 35 + 15 * n.cursor, (5 - n.row) * 25 + 82);
  HandleVolumeKeys();
}

void RunNameEntry() {
  BeginNameEntry();
  while (Game().gameState == kNameEntry) {
    NameEntryFrame();
    Io().EndFrame();
  }
}

}  // namespace zelvo
