#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "fake_io.h"

namespace zelvo::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

class HiscoresTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    folder = fs::path(::testing::TempDir()) /
             ("zelvo_hiscores_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder / "game");
    gameFile = folder / "game" / "Hiscores.dat";
    userFolder = folder / "user";
    SetHiscoreLocations(gameFile.string(), userFolder.string());
  }
  void TearDown() override {
    SetHiscoreLocations("", "");
    fs::remove_all(folder);
    GameTest::TearDown();
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i) names.push_back(RecordArrayAt(Hiscores(), i).name.c_str());
    return names;
  }
  fs::path folder, gameFile, userFolder;
};

const std::string kDefaultFile = [] {
  std::string s;
  auto row = [&s](uint32_t score, const char* name, uint16_t level) {
    AppendLe32(s, score);
    s += name;
    s += "\r\n";
    AppendLe16(s, level);
  };
  row(95, "VESTRIN", 5);
  row(150, "GULAR", 1);
  row(980, "TORVIK", 12);
  row(4430, "ZERAN", 22);
  row(27051, "NUMAS", 21);
  row(143950, "BIXU", 51);
  return s;
}();

TEST_F(HiscoresTest, TheFirstStartWritesTheDefaultTableAscending) {
  LoadHiscores(6);
  const std::string bytes = ReadBytes(gameFile);
  EXPECT_EQ(bytes.size(), 80u);
  EXPECT_EQ(bytes, kDefaultFile);
  EXPECT_EQ(bytes.substr(0, 15), std::string("\x5F\0\0\0VESTRIN\r\n\x05\0", 15));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"VESTRIN", "GULAR", "TORVIK", "ZERAN", "NUMAS", "BIXU"}));
}

TEST_F(HiscoresTest, TheFileIsReadBackAndSorted) {
  HiscoreTable& t = Hiscores();
  RecordArrayAt(t, 0).score = 99999;
  RecordArrayAt(t, 0).name = "ZED     ";
  ASSERT_TRUE(SaveHiscores(6));
  LoadDefaultHiscores();
  LoadHiscores(6);
  EXPECT_EQ(Names()[4], "ZED     ");
  EXPECT_EQ(RecordArrayAt(t, 4).score, 99999);
  EXPECT_EQ(RecordArrayAt(t, 0).name, "GULAR");
}

TEST_F(HiscoresTest, ADamagedFileGivesWayToTheDefaults) {
  for (const std::string& damaged :
       {std::string(), kDefaultFile.substr(0, 40), kDefaultFile.substr(0, 79),
        std::string(80, '\xff'), std::string("\x10\0\0\0NAME\x01\r\n\0\0", 12) + kDefaultFile}) {
    WriteBytes(gameFile, damaged);
    RecordArrayAt(Hiscores(), 0).name = "EDITED";
    LoadHiscores(6);
    EXPECT_EQ(Names()[0], "VESTRIN");
    EXPECT_EQ(ReadBytes(gameFile), kDefaultFile);
  }
  // A file with more than six rows keeps its first six.
  WriteBytes(gameFile, kDefaultFile + "junk");
  LoadHiscores(6);
  EXPECT_EQ(Names()[5], "BIXU");
}

TEST_F(HiscoresTest, AnUnwritableGameFolderKeepsTheTableInTheUserFolder) {
  SetHiscoreLocations((folder / "missing" / "Hiscores.dat").string(), userFolder.string());
  LoadHiscores(6);
  EXPECT_EQ(ReadBytes(userFolder / "Hiscores.dat"), kDefaultFile);
  RecordArrayAt(Hiscores(), 0).score = 500;
  ASSERT_TRUE(SaveHiscores(6));
  LoadDefaultHiscores();
  LoadHiscores(6);
  EXPECT_EQ(RecordArrayAt(Hiscores(), 1).score, 500);
  EXPECT_FALSE(fs::exists(folder / "missing"));
}

// Runs check as an unprivileged user when this process is root (root writes
// any folder whatever its mode); check's result, or -1 when it could not
// run.
int RunUnprivileged(const std::function<int()>& check) {
  if (geteuid() != 0) return check();
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    _exit(check());
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_F(HiscoresTest, AReadOnlyGameFolderShowsItsTableUntilTheUserFolderHasOne) {
  // An installed copy: the player's table in a folder nobody may write.
  std::string table = kDefaultFile;
  table.replace(4, 7, "PLAYER1");
  table[0] = '\x10';  // 16 beats 95
  table[1] = '\x27';  // 10000
  WriteBytes(gameFile, table);
  fs::permissions(folder / "game", fs::perms(0555));
  fs::permissions(folder, fs::perms(0777));
  const int result = RunUnprivileged([&] {
    LoadHiscores(6);
    if (Names()[3] != "PLAYER1" || RecordArrayAt(Hiscores(), 3).score != 10000) return 1;
    // Saving goes to the user's folder; the installed table stays.
    RecordArrayAt(Hiscores(), 0).score = 20000;
    RecordArrayAt(Hiscores(), 0).name = "NEWNAME";
    if (!SaveHiscores(6)) return 2;
    if (ReadBytes(gameFile) != table) return 3;
    // From then on the user's table is the one read.
    LoadDefaultHiscores();
    LoadHiscores(6);
    if (Names()[3] != "NEWNAME" || Names()[2] != "PLAYER1") return 4;
    return fs::exists(userFolder / "Hiscores.dat") ? 0 : 5;
  });
  fs::permissions(folder / "game", fs::perms(0755));
  EXPECT_EQ(result, 0);
}

TEST_F(HiscoresTest, ANameThatIsALoneCarriageReturnKeepsItsBytes) {
  // Row 2's name line is a lone CR: the name is that CR, written back as
  // the name and a CR LF; read again it stays one CR.
  std::string table = kDefaultFile;
  const size_t torvik = table.find("TORVIK");
  table.replace(torvik, 6, "");
  WriteBytes(gameFile, table);
  LoadHiscores(6);
  EXPECT_EQ(Names()[2], "\r");
  ASSERT_TRUE(SaveHiscores(6));
  std::string expected = table;
  expected.insert(torvik, "\r");
  EXPECT_EQ(ReadBytes(gameFile), expected);
  LoadDefaultHiscores();
  LoadHiscores(6);
  EXPECT_EQ(Names()[2], "\r");
  ASSERT_TRUE(SaveHiscores(6));
  EXPECT_EQ(ReadBytes(gameFile), expected);
  // An empty line (a bare LF) is an empty name, written with its CR LF.
  std::string bare = kDefaultFile;
  bare.replace(bare.find("TORVIK\r\n"), 8, "\n");
  WriteBytes(gameFile, bare);
  LoadHiscores(6);
  EXPECT_EQ(Names()[2], "");
  ASSERT_TRUE(SaveHiscores(6));
  EXPECT_EQ(ReadBytes(gameFile), table);
}

TEST_F(HiscoresTest, AnInstalledCopyKeepsTheTableInTheUserFolderThoughItCouldWriteItsOwn) {
  KeepHiscoresInUserFolder();
  LoadHiscores(6);
  RecordArrayAt(Hiscores(), 0).score = 700;
  ASSERT_TRUE(SaveHiscores(6));
  EXPECT_FALSE(fs::exists(gameFile));
  LoadDefaultHiscores();
  LoadHiscores(6);
  EXPECT_EQ(RecordArrayAt(Hiscores(), 1).score, 700);
  EXPECT_EQ(HiscorePath(), (userFolder / "Hiscores.dat").string());
}

TEST_F(HiscoresTest, SavingLeavesNoTemporaryFileBehind) {
  ASSERT_TRUE(SaveHiscores(6));
  ASSERT_TRUE(SaveHiscores(6));
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder / "game")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST_F(HiscoresTest, ANewRunReplacesTheLowestRowAndIsDrawnRed) {
  Game().run.score = 200;
  Game().run.roomIndex = 13;
  Game().gameState = kNameEntry;
  BeginNameEntry();
  EXPECT_EQ(NameEntryState().row, 1);
  EXPECT_EQ(Names()[0], "GULAR");
  EXPECT_EQ(RecordArrayAt(Hiscores(), 1).level, 13);
  NameEntryFrame();
  // Rows are drawn best first: row 1 is the fifth bar, at y 179.
  int redBars = 0;
  for (const Draw& d : io.current) {
    if (d.what != "rect" || d.a != 30 || d.c != 265 || d.d != 15) continue;
    if (d.colour == kRed) {
      ++redBars;
      EXPECT_EQ(d.b, (5 - 1) * 25 + 80 - 1);
    }
  }
  EXPECT_EQ(redBars, 1);
}

TEST_F(HiscoresTest, NameEntryStepsThroughLettersAndSpace) {
  EXPECT_EQ(NextNameCharacter('Z'), ' ');
  EXPECT_EQ(NextNameCharacter(' '), 'A');
  EXPECT_EQ(PreviousNameCharacter('A'), ' ');
  EXPECT_EQ(PreviousNameCharacter(' '), 'Z');

  Game().run.score = 1000;
  Game().gameState = kNameEntry;
  BeginNameEntry();
  auto tap = [this](int code) {
    io.Press(code);
    NameEntryFrame();
    io.Release(code);
    NameEntryFrame();
  };
  tap(key::kUp);
  tap(key::kUp);
  EXPECT_EQ(NameEntryState().enteredName, "C.......");
  for (int i = 0; i < 3; ++i) tap(key::kDown);
  EXPECT_EQ(NameEntryState().enteredName, " .......");
  tap(key::kUp);
  tap(key::kUp);
  EXPECT_EQ(NameEntryState().enteredName, "B.......");
  tap(key::kRight);
  // The full stop under the cursor turns into a space to edit.
  EXPECT_EQ(NameEntryState().enteredName, "B ......");
  EXPECT_EQ(NameEntryState().character, ' ');
  tap(key::kUp);
  tap(key::kUp);
  tap(key::kUp);
  EXPECT_EQ(NameEntryState().enteredName, "BC......");
  tap(key::kReturn);
  EXPECT_EQ(Game().gameState, kHiscoreView);
  const int row = static_cast<int>(NameEntryState().row);
  EXPECT_EQ(RecordArrayAt(Hiscores(), row).name, "BC      ");
  EXPECT_EQ(io.SoundCount(slot::kSoundConfirm), 1);
  LoadDefaultHiscores();
  LoadHiscores(6);
  EXPECT_EQ(RecordArrayAt(Hiscores(), row).name, "BC      ");
}

TEST_F(HiscoresTest, ConfirmingWithoutEditsStoresAAndSevenSpaces) {
  Game().run.score = 95;  // equal to the lowest: still enters the table
  Game().gameState = kNameEntry;
  BeginNameEntry();
  io.Press(key::kX);
  NameEntryFrame();
  io.Release(key::kX);
  NameEntryFrame();
  EXPECT_EQ(RecordArrayAt(Hiscores(), NameEntryState().row).name, "A       ");
}

TEST_F(HiscoresTest, ATieGoesToTheFirstMatchingRow) {
  RecordArrayAt(Hiscores(), 1).score = 300;
  RecordArrayAt(Hiscores(), 1).name = "A.......";
  Game().run.score = 300;
  BeginNameEntry();
  EXPECT_EQ(NameEntryState().row, 0);
}

}  // namespace
}  // namespace zelvo::testing
