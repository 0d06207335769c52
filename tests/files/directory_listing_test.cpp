#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "files_fixture.h"

namespace {

using filetest::WriteBytes;

class Directories : public filetest::FilesTest {};

struct WildcardCase {
  const char* pattern;
  const char* text;
  bool match;
};

TEST(Wildcard, MatchesLikeTheSystemDirectorySearch) {
  const WildcardCase cases[] = {
      {"a?c", "abc", true},
      {"a?c", "a.c", false},  // "?" never stands for the dot
      {"*.*", "README", true},
      {"*.png", "B.PNG", true},
      {"*.png", "a.png.txt", false},
      {"*", "", true},
      {"", "", true},
      {"", "a", false},
      {"?", "", false},
      {"a**", "a", true},
      {"a*b*c", "axxbyyc", true},
      {"*ab", "aab", true},  // needs the star to give back a character
      {"*ab*cd", "abxabcd", true},
      {"*?", ".", false},
      {"\xe4*", "\xc4x", false},  // only A-Z fold
  };
  for (const WildcardCase& c : cases) {
    EXPECT_EQ(MatchWildcard(RtString(c.pattern), RtString(c.text)), c.match ? 1 : 0)
        << "pattern '" << c.pattern << "' text '" << c.text << "'";
  }
}

TEST_F(Directories, ListingPutsEveryDirectoryFirstAndFiltersFiles) {
  WriteBytes("a.png", "");
  WriteBytes("B.PNG", "");
  WriteBytes("c.txt", "");
  std::filesystem::create_directory("gfx");
  // A link to a directory lists as a directory, a link to a file as a file.
  std::filesystem::create_directory_symlink("gfx", "linked");
  std::filesystem::create_symlink("a.png", "alias.png");

  TextArray names;
  EXPECT_EQ(ListDirectory("*.png", names), 4 * 65536 + 3);
  ASSERT_EQ(ArrayDimSize(names, 0), 7);
  std::set<std::string> dirs, files;
  for (int i = 0; i < 4; ++i) dirs.insert(names(i).c_str());
  for (int i = 4; i < 7; ++i) files.insert(names(i).c_str());
  EXPECT_EQ(dirs, (std::set<std::string>{".", "..", "gfx", "linked"}));
  EXPECT_EQ(files, (std::set<std::string>{"a.png", "B.PNG", "alias.png"}));

  // A reused array shrinks to the new listing.
  ASSERT_EQ(chdir("gfx"), 0);
  EXPECT_EQ(ListDirectory("*.*", names), 2 * 65536);
  EXPECT_EQ(ArrayDimSize(names, 0), 2);
}

TEST_F(Directories, CurrentDirectoryEndsInOneSlashAndAcceptsEitherSeparator) {
  std::filesystem::create_directories("one/two");
  const std::string here = std::filesystem::current_path().string();
  EXPECT_STREQ(GetCurrentDir().c_str(), (here + "/").c_str());

  EXPECT_EQ(SetCurrentDir("one\\two"), 1);
  EXPECT_STREQ(GetCurrentDir().c_str(), (here + "/one/two/").c_str());
  EXPECT_EQ(SetCurrentDir("missing"), 0);
  EXPECT_EQ(SetCurrentDir(""), 0);
  EXPECT_STREQ(GetCurrentDir().c_str(), (here + "/one/two/").c_str());

  EXPECT_EQ(SetCurrentDir("/"), 1);
  EXPECT_STREQ(GetCurrentDir().c_str(), "/");
}

}  // namespace
