#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "files_fixture.h"
#include "runtime/files/archive_format.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/files_service.h"

namespace {

using filetest::Exists;
using filetest::ReadBytes;
using filetest::WriteBytes;

class IniFiles : public filetest::FilesTest {};

IniCache Parse(const std::string& text) {
  IniCache cache;
  ParseIniText(cache, text.data(), text.size());
  return cache;
}

TEST(IniParser, SectionsWithoutEntriesAndEntriesWithoutValuesVanish) {
  const IniCache cache = Parse("x=1\r\n[A]\r\nk = v \r\n[B]\r\n[C]\r\nk2=\r\n");
  ASSERT_EQ(cache.sections.size(), 2u);
  EXPECT_EQ(cache.sections[0].name, "");
  ASSERT_EQ(cache.sections[0].entries.size(), 1u);
  EXPECT_EQ(cache.sections[0].entries[0].key, "x");
  EXPECT_EQ(cache.sections[0].entries[0].value, "1");
  EXPECT_EQ(cache.sections[1].name, "A");
  ASSERT_EQ(cache.sections[1].entries.size(), 1u);
  EXPECT_EQ(cache.sections[1].entries[0].key, "k");
  EXPECT_EQ(cache.sections[1].entries[0].value, "v ");
}

TEST(IniParser, HeadersCommentsAndMalformedLines) {
  const IniCache cache = Parse(
      "  ; a comment\n"
      "\t[ Main Menu]\n"
      "   indented\t=\t value\twith tab\t\n"
      "no equals sign\n"
      "key value=7\n"
      "=nameless\n"
      "[Main]]\n"
      "a=1\n"
      "[Main]\n"
      "b=2");
  ASSERT_EQ(cache.sections.size(), 3u);
  EXPECT_EQ(cache.sections[0].name, "Main");
  ASSERT_EQ(cache.sections[0].entries.size(), 2u);
  EXPECT_EQ(cache.sections[0].entries[0].key, "indented");
  EXPECT_EQ(cache.sections[0].entries[0].value, "value\twith tab");
  EXPECT_EQ(cache.sections[0].entries[1].key, "");
  EXPECT_EQ(cache.sections[0].entries[1].value, "nameless");
  EXPECT_EQ(cache.sections[1].name, "Main]");
  // Repeated names stay separate sections, and only the first is searched.
  EXPECT_EQ(cache.sections[2].name, "Main");
  EXPECT_STREQ(IniLookup(cache, "main", "INDENTED").c_str(), "value\twith tab");
  EXPECT_STREQ(IniLookup(cache, "Main", "b").c_str(), "NO_DATA");
  EXPECT_STREQ(IniLookup(cache, "Other", "a").c_str(), "NO_DATA");
}

TEST(IniParser, ArbitraryBytesNeverBreakIt) {
  std::mt19937 random(11);
  const char alphabet[] = "[]=; \t\r\n\0abcAB\x80\xff";
  for (int round = 0; round < 300; ++round) {
    std::string text(random() % 2000, '\0');
    for (char& c : text) c = alphabet[random() % (sizeof alphabet - 1)];
    const IniCache cache = Parse(text);
    for (const IniSection& section : cache.sections) {
      ASSERT_FALSE(section.entries.empty());
      for (const IniEntry& entry : section.entries) {
        ASSERT_FALSE(entry.value.empty());
        ASSERT_EQ(entry.value.find('\n'), std::string::npos);
      }
    }
    // What the parser keeps, it writes in a form it reads back the same.
    const IniCache again = Parse(IniText(cache));
    ASSERT_EQ(IniText(again), IniText(cache)) << "round " << round;
  }
  IniCache empty;
  ParseIniText(empty, nullptr, 0);
  EXPECT_TRUE(empty.sections.empty());
}

TEST_F(IniFiles, PutChangesAddsAndDeletesIgnoringCase) {
  WriteBytes("a.ini", "[A]\r\nk=1\r\nother=2\r\n[B]\r\nx=3\r\n[C]\r\ny=4\r\n");
  IniOpen("a.ini");
  EXPECT_STREQ(IniGet("a", "K").c_str(), "1");

  IniPut("a", "K", "changed");
  EXPECT_STREQ(IniGet("A", "k").c_str(), "changed");
  IniPut("A", "k", "");
  EXPECT_STREQ(IniGet("A", "k").c_str(), "NO_DATA");
  EXPECT_STREQ(IniGet("A", "other").c_str(), "2");
  IniPut("A", "other", "");
  IniPut("New", "key", "value");
  IniPut("New", "empty", "");
  // Deleting a section moves the last one into its place.
  IniPut("b", "", "");
  IniPut("missing", "", "");

  IniOpen("b.ini");
  EXPECT_EQ(ReadBytes("a.ini"), "[A]\r\n[New]\r\nkey=value\r\nempty=\r\n[C]\r\ny=4\r\n");
}

TEST_F(IniFiles, LineBreaksAndDelimitersThatWouldChangeTheFileAreRefused) {
  const std::string original = "[player]\r\nname=ann\r\n[graphics]\r\nfullscreen=0\r\n";
  WriteBytes("p.ini", original);
  IniOpen("p.ini");
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } refused[] = {
      {"player", "name", "bob\r\n[graphics]\r\nfullscreen=1"},
      {"player", "name", "bob\nx"},
      {"player", "name", "bob\r"},
      {"player", "na\nme", "bob"},
      {"player", "name=x", "bob"},
      {"play]er", "name", "bob"},
      {"player\r\n[graphics", "fullscreen", "1"},
      // Deleting takes the same checks.
      {"graphics\n", "", ""},
  };
  for (const auto& r : refused) {
    SetRuntimeError(0);
    IniPut(r.section, r.key, r.value);
    EXPECT_EQ(RuntimeErrors().errorCode, 7) << r.section << "/" << r.key << "/" << r.value;
  }
  IniOpen("");
  EXPECT_EQ(ReadBytes("p.ini"), original);

  // What remains allowed: "]" in keys and values, "=" in values.
  SetRuntimeError(0);
  IniOpen("p.ini");
  IniPut("player", "name]", "a=b]");
  EXPECT_EQ(RuntimeErrors().errorCode, 0);
  IniOpen("");
  EXPECT_EQ(ReadBytes("p.ini"),
            "[player]\r\nname=ann\r\nname]=a=b]\r\n[graphics]\r\nfullscreen=0\r\n");
}

TEST_F(IniFiles, OnlyAFileWithChangesIsRewritten) {
  const std::string second = "; keep this comment\r\n[S]\r\nk=v\r\n\r\n[Empty]\r\n";
  WriteBytes("first.ini", "[F]\r\na=1\r\n");
  WriteBytes("second.ini", second);
  IniOpen("first.ini");
  IniPut("F", "b", "2");
  IniOpen("second.ini");
  EXPECT_EQ(ReadBytes("first.ini"), "[F]\r\na=1\r\nb=2\r\n");
  EXPECT_STREQ(IniGet("S", "k").c_str(), "v");
  IniOpen("third.ini");
  EXPECT_EQ(ReadBytes("second.ini"), second);
  EXPECT_FALSE(Exists("third.ini"));
}

TEST_F(IniFiles, ANewFileIsCreatedButNeverInPlaceOfADirectory) {
  IniOpen("sub\\new.ini");
  EXPECT_STREQ(IniGet("", "").c_str(), "NO_DATA");
  std::filesystem::create_directory("sub");
  IniPut("Player", "name", "Ann");
  IniOpen("");
  EXPECT_EQ(ReadBytes("sub/new.ini"), "[Player]\r\nname=Ann\r\n");
  IniPut("Lost", "k", "v");
  // A directory is no file to load nor to replace.
  std::filesystem::create_directory("folder.ini");
  IniOpen("folder.ini");
  IniPut("S", "k", "v");
  IniOpen("");
  EXPECT_TRUE(std::filesystem::is_directory("folder.ini"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);
}

TEST_F(IniFiles, LongValuesSurviveAWriteBack) {
  const std::string value(5000, 'v');
  WriteBytes("long.ini", "[L]\r\nbig=" + value + "\r\nafter=1\r\n");
  IniOpen("long.ini");
  IniPut("L", "small", "s");
  IniOpen("");
  IniOpen("long.ini");
  EXPECT_EQ(IniGet("L", "big").c_str(), value);
  EXPECT_STREQ(IniGet("L", "after").c_str(), "1");
}

TEST_F(IniFiles, AnUnreadableFileIsNeverReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root from reading";
  WriteBytes("locked.ini", "[S]\r\nsecret=1\r\n");
  ASSERT_EQ(chmod("locked.ini", 0200), 0);
  IniOpen("locked.ini");
  IniPut("S", "k", "v");
  IniOpen("");
  WriteBytes("locked.txt", "secret\r\n");
  ASSERT_EQ(chmod("locked.txt", 0200), 0);
  WriteFileLine("locked.txt", 1, "x");
  SelectLineFile(nullptr);
  ASSERT_EQ(chmod("locked.ini", 0600), 0);
  ASSERT_EQ(chmod("locked.txt", 0600), 0);
  EXPECT_EQ(ReadBytes("locked.ini"), "[S]\r\nsecret=1\r\n");
  EXPECT_EQ(ReadBytes("locked.txt"), "secret\r\n");
}

TEST_F(IniFiles, AFileFromTheArchiveIsReadButNeverWrittenBack) {
  const std::string text = "[Arc]\r\nk=packed\r\n";
  std::vector<sbx::PackedFile> files = {
      {"game.ini", sbx::PackEntry(reinterpret_cast<const uint8_t*>(text.data()), text.size())}};
  std::vector<uint8_t> archive;
  std::string error;
  ASSERT_TRUE(sbx::BuildArchive(files, false, 0, &archive, &error)) << error;
  WriteBytes("data.sbx", std::string(archive.begin(), archive.end()));

  FilesStart("");
  SetArchiveFiles("data.sbx", "");
  IniOpen("cfg/game.ini");
  EXPECT_STREQ(IniGet("arc", "K").c_str(), "packed");
  IniPut("Arc", "k", "changed");
  IniOpen("");
  FilesShutdown();
  EXPECT_FALSE(Exists("cfg"));
  EXPECT_FALSE(Exists("game.ini"));
}

// A death test's child runs the test body again up to its statement, so
// each statement sets up its own files.
TEST_F(IniFiles, ProcessExitWritesOnlyAChangedFileBack) {
  EXPECT_EXIT(
      {
        WriteBytes("changed.ini", "; comment\r\n[S]\r\nk=1\r\n");
        WriteBytes("unchanged.ini", "; comment\r\n[S]\r\nk=1\r\n");
        IniOpen("unchanged.ini");
        IniOpen("changed.ini");
        IniPut("S", "n", "3");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadBytes("changed.ini"), "[S]\r\nk=1\r\nn=3\r\n");
  EXPECT_EQ(ReadBytes("unchanged.ini"), "; comment\r\n[S]\r\nk=1\r\n");
}

}  // namespace
