// Name resolution through the packed archive: disk first, then the
// archive's directory; in-memory and temporary-file forms; damaged and
// hostile archives.
#include <cstring>
#include <functional>

#include "archive_fixture.h"
#include "runtime/core/byte_order.h"
#include "runtime/files/files_service.h"
#include "runtime/files/private_temp.h"
#include "runtime/runtime.h"

namespace {

using archivetest::Archive;
using archivetest::ArchiveTest;
using archivetest::Exists;
using archivetest::MemoryContent;
using archivetest::SampleBytes;
using archivetest::Slurp;
using archivetest::Spill;

void PutLe32At(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  StoreLe32(bytes.data() + at, v);
}

TEST(MemoryNames, CarryAFullAddressAndParseBackStrictly) {
  EXPECT_EQ(MemoryName(reinterpret_cast<const void*>(uintptr_t{4096}), 26),
            "mem://      1a.            1000");
  static const uint8_t bytes[40] = {1, 2, 3};
  const std::string name = MemoryName(bytes + 1, 39);
  const uint8_t* data = nullptr;
  int32_t size = 0;
  ASSERT_TRUE(ParseMemoryName(name.c_str(), &data, &size));
  EXPECT_EQ(data, bytes + 1);
  EXPECT_EQ(size, 39);
  FileStream stream;
  ASSERT_TRUE(OpenStream(stream, name.c_str()));
  EXPECT_EQ(stream.size, 39);
  EXPECT_EQ(stream.data, bytes + 1);
  CloseStream(stream);

  ASSERT_TRUE(ParseMemoryName("mem://1a.1000", &data, &size));  // unpadded fields
  EXPECT_EQ(size, 26);
  for (const char* bad :
       {"mem://", "mem://      1a", "mem://1a.", "mem://1a.0", "mem://zz.1000", "mem://1a.1000x",
        "mem://80000000.1000", "mem://1a.11112222333344445", "mem:/1a.1000"}) {
    EXPECT_FALSE(ParseMemoryName(bad, &data, &size)) << bad;
    EXPECT_FALSE(OpenStream(stream, bad)) << bad;
  }
}

TEST_F(ArchiveTest, DiskFilesWinOverTheArchive) {
  Spill(Path("data.sbx"), Archive({{"a.png", "packed a"}}));
  ASSERT_EQ(mkdir(Path("gfx").c_str(), 0755), 0);
  Spill(Path("gfx/a.png"), "loose a");
  ArchiveSource archive;
  archive.path = Path("data.sbx");
  std::string destination;
  ASSERT_TRUE(ResolveAssetName(&archive, Path("gfx/a.png").c_str(), destination, true));
  EXPECT_EQ(destination, Path("gfx/a.png"));
  unlink(Path("gfx/a.png").c_str());
  ASSERT_TRUE(ResolveAssetName(&archive, Path("gfx/a.png").c_str(), destination, true));
  EXPECT_TRUE(IsMemoryName(destination.c_str()));
  EXPECT_EQ(MemoryContent(destination), "packed a");
}

TEST_F(ArchiveTest, EntriesMatchTheBaseNameExactlyIgnoringCase) {
  Spill(Path("data.sbx"), Archive({{"sound/shot.wav", "with directory"},
                                   {"a.png.bak", "longer name"},
                                   {"SHOT.WAV", "shot"},
                                   {"a.png", "a"}}));
  ArchiveSource archive;
  archive.path = Path("data.sbx");
  std::string destination;
  ASSERT_TRUE(ResolveAssetName(&archive, "sound\\shot.wav", destination, true));
  EXPECT_EQ(MemoryContent(destination), "shot");
  ASSERT_TRUE(ResolveAssetName(&archive, "x/y/A.PNG", destination, true));
  EXPECT_EQ(MemoryContent(destination), "a");
  // Handing the archive its own memory name back keeps the bytes alive.
  const std::string own = destination;
  ASSERT_TRUE(ResolveAssetName(&archive, own.c_str(), destination, true));
  EXPECT_EQ(destination, own);
  EXPECT_EQ(MemoryContent(own), "a");
  for (const char* missing : {"sound/shot.wa", "hot.wav", "gfx/", "png.bak"}) {
    destination = "unchanged";
    EXPECT_FALSE(ResolveAssetName(&archive, missing, destination, true)) << missing;
    EXPECT_EQ(destination, "") << missing;
  }
  EXPECT_EQ(archive.enabled, 1);
  EXPECT_FALSE(ResolveAssetName(&archive, "", destination, true));
  EXPECT_FALSE(ResolveAssetName(&archive, nullptr, destination, true));
}

TEST_F(ArchiveTest, TemporaryFilesAreNamedAfterOffsetSizeAndEntry) {
  const std::string music = SampleBytes(5000, 3);
  Spill(Path("sound.sbx"), Archive({{"first.bin", "x"}, {"menu.mp3", music}}));
  ArchiveSource archive;
  archive.path = Path("sound.sbx");
  // The expected name comes from the entry's stored offset and size.
  const std::string raw = Slurp(Path("sound.sbx"));
  const std::vector<uint8_t> bytes(raw.begin(), raw.end());
  sbx::MemorySource source(bytes.data(), bytes.size());
  int32_t directory = 0;
  ASSERT_EQ(sbx::ReadTrailer(source, &directory), sbx::TrailerStatus::kOk);
  sbx::DirectoryEntry menu;
  sbx::WalkDirectory(source, directory, [&](const sbx::DirectoryEntry& e) {
    menu = e;
    return true;
  });
  ASSERT_EQ(menu.name, "menu.mp3");
  const std::string expected = files::PrivateTempFolder() + "sbx" +
                               static_cast<char>('A' + (menu.offset & 0xFF) % 26) +
                               static_cast<char>('A' + (menu.packedSize & 0xFF) % 26) + "menu.mp3";

  std::string destination;
  ASSERT_TRUE(ResolveAssetName(&archive, "music/menu.mp3", destination, false));
  EXPECT_EQ(destination, expected);
  EXPECT_EQ(Slurp(destination), music);

  // The next resolution through the same archive deletes the last file and
  // frees the last memory file.
  ASSERT_TRUE(ResolveAssetName(&archive, "first.bin", destination, true));
  EXPECT_FALSE(Exists(expected));
  const uint8_t* firstBytes = archive.memoryFile.get();
  ASSERT_NE(firstBytes, nullptr);
  EXPECT_FALSE(ResolveAssetName(&archive, "nothing.bin", destination, true));
  EXPECT_EQ(archive.memoryFile, nullptr);
  ASSERT_TRUE(ResolveAssetName(&archive, "menu.mp3", destination, false));
  archive.ReleaseEntry();
  EXPECT_FALSE(Exists(expected));
  EXPECT_TRUE(archive.tempFile.empty());
}

TEST_F(ArchiveTest, UnusableArchivesAreDisabledUntilSetArchiveFiles) {
  Spill(Path("plain.bin"), "this file has no trailer at all");
  FilesStart("");
  SetArchiveFiles("", "");
  ArchiveSource& data = *DataArchive();
  data.path = Path("plain.bin");
  std::string destination = "as given";
  EXPECT_FALSE(ResolveAssetName(&data, "a.txt", destination, true));
  EXPECT_EQ(data.enabled, 0);
  // Even a real archive now in its place is not looked at.
  Spill(Path("plain.bin"), Archive({{"a.txt", "found"}}));
  EXPECT_FALSE(ResolveAssetName(&data, "a.txt", destination, true));
  EXPECT_EQ(destination, "as given");

  SetArchiveFiles(Path("plain.bin").c_str(), "");
  EXPECT_EQ(data.enabled, 1);
  ASSERT_TRUE(ResolveAssetName(&data, "a.txt", destination, true));
  EXPECT_EQ(MemoryContent(destination), "found");

  // Missing, empty and too short archives are disabled the same way.
  ArchiveSource& music = *MusicArchive();
  EXPECT_EQ(music.path, "");
  EXPECT_FALSE(ResolveAssetName(&music, "a.txt", destination, false));
  EXPECT_EQ(music.enabled, 0);
  for (const std::string& path : {Path("missing.sbx"), Path("short.sbx")}) {
    Spill(Path("short.sbx"), "sbX");
    SetArchiveFiles("", path.c_str());
    EXPECT_FALSE(ResolveAssetName(&music, "a.txt", destination, false)) << path;
    EXPECT_EQ(music.enabled, 0) << path;
  }
  // A disabled archive still finds disk files.
  Spill(Path("loose.txt"), "x");
  EXPECT_TRUE(ResolveAssetName(&music, Path("loose.txt").c_str(), destination, false));
  FilesShutdown();
  EXPECT_EQ(DataArchive(), nullptr);
}

TEST_F(ArchiveTest, DamagedEntriesReadAsEmptyFiles) {
  const std::string text = SampleBytes(20000, 5);
  std::vector<uint8_t> good =
      sbx::PackEntry(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  std::vector<sbx::PackedFile> files;
  // Stream cut in half.
  files.push_back({"cut.txt", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)});
  // Stream whose middle is overwritten.
  std::vector<uint8_t> scribbled = good;
  for (size_t i = 20; i < 60 && i < scribbled.size(); ++i) scribbled[i] = 0xFF;
  files.push_back({"scribbled.txt", scribbled});
  // Sound stream, but it declares more bytes than it holds.
  std::vector<uint8_t> longer = good;
  PutLe32At(longer, 0, static_cast<uint32_t>(text.size() + 1));
  files.push_back({"longer.txt", longer});
  // A size no stream of this length could produce: refused before any
  // allocation of it.
  std::vector<uint8_t> huge = good;
  PutLe32At(huge, 0, 0xFFFFFFFFu);
  files.push_back({"huge.txt", huge});
  files.push_back({"good.txt", good});
  // The most compressible input there is must still pass the size check.
  const std::string zeros(8 << 20, '\0');
  files.push_back(
      {"zeros.bin", sbx::PackEntry(reinterpret_cast<const uint8_t*>(zeros.data()), zeros.size())});
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(sbx::BuildArchive(files, false, 0, &bytes, &error)) << error;
  Spill(Path("data.sbx"), bytes);

  ArchiveSource archive;
  archive.path = Path("data.sbx");
  std::string destination;
  for (const char* name : {"cut.txt", "scribbled.txt", "longer.txt", "huge.txt"}) {
    ASSERT_TRUE(ResolveAssetName(&archive, name, destination, true)) << name;
    EXPECT_EQ(MemoryContent(destination), "") << name;
    ASSERT_TRUE(ResolveAssetName(&archive, name, destination, false)) << name;
    EXPECT_EQ(Slurp(destination), "") << name;
  }
  ASSERT_TRUE(ResolveAssetName(&archive, "good.txt", destination, true));
  EXPECT_EQ(MemoryContent(destination), text);
  ASSERT_TRUE(ResolveAssetName(&archive, "zeros.bin", destination, true));
  EXPECT_TRUE(MemoryContent(destination) == zeros);
}

// Each case breaks one field of a valid two-entry archive; looking up an
// entry at or past the damage must fail without reading outside the file, and the archive
// stays in use for the next try.
TEST_F(ArchiveTest, CorruptDirectoriesFailCleanly) {
  const std::vector<uint8_t> valid = Archive({{"a.txt", "first"}, {"b.txt", "second"}});
  const size_t size = valid.size();
  const size_t dirAt = Le32At(valid, size - 4);
  const size_t bAt = dirAt + 1 + 5 + 8;  // the second directory record
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* lookup = "b.txt";
  };
  const std::vector<Case> cases = {
      {"directory past the end", [&](auto& b) { PutLe32At(b, size - 4, size); }},
      {"directory far before the start", [&](auto& b) { PutLe32At(b, size - 4, 0x80000000u); }},
      {"directory in the trailer", [&](auto& b) { PutLe32At(b, size - 4, 0xFFFFFFFFu); }},
      {"offset past the end", [&](auto& b) { PutLe32At(b, bAt + 6, size + 100); }},
      {"negative offset in the absolute form",
       [&](auto& b) { PutLe32At(b, bAt + 6, 0xFFFFFFFBu); }},
      {"negative packed size", [&](auto& b) { PutLe32At(b, bAt + 10, 0xFFFFFFFFu); }},
      {"packed size past the end", [&](auto& b) { PutLe32At(b, bAt + 10, 0x7FFFFFFFu); }},
      {"packed size without room for the size field", [&](auto& b) { PutLe32At(b, bAt + 10, 3); }},
      {"name running off the end", [&](auto& b) { b[dirAt] = 200; }},
      {"no terminator", [&](auto& b) { b.erase(b.begin() + static_cast<long>(size - 8)); },
       "c.txt"},
  };
  ArchiveSource archive;
  archive.path = Path("bad.sbx");
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = valid;
    c.damage(bytes);
    Spill(Path("bad.sbx"), bytes);
    std::string destination = "unchanged";
    EXPECT_FALSE(ResolveAssetName(&archive, c.lookup, destination, true)) << c.what;
    EXPECT_EQ(destination, "") << c.what;
    EXPECT_EQ(archive.enabled, 1) << c.what;
  }
  Spill(Path("bad.sbx"), valid);
  std::string destination;
  ASSERT_TRUE(ResolveAssetName(&archive, "b.txt", destination, true));
  EXPECT_EQ(MemoryContent(destination), "second");
}

// Random damage anywhere in an archive: every outcome is a clean failure or
// a readable file. The sanitizer build turns any stray read into a failure.
TEST_F(ArchiveTest, RandomlyDamagedArchivesNeverReadOutside) {
  const std::vector<uint8_t> valid =
      Archive({{"a.txt", SampleBytes(300, 1)}, {"b.txt", SampleBytes(2000, 2)}, {"c.txt", ""}});
  std::mt19937 rng(11);
  ArchiveSource archive;
  archive.path = Path("fuzz.sbx");
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes = valid;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    if (rng() % 8 == 0) bytes.resize(rng() % bytes.size());
    // Exactly sized copy, so a read one byte too far is caught.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + 1]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    sbx::MemorySource source(exact.get(), bytes.size());
    int32_t directory = 0;
    if (sbx::ReadTrailer(source, &directory) != sbx::TrailerStatus::kOk) continue;
    sbx::WalkDirectory(source, directory, [&](const sbx::DirectoryEntry& e) {
      sbx::Unpacked out;
      sbx::UnpackEntry(exact.get() + e.position, static_cast<size_t>(e.packedSize), &out);
      EXPECT_LE(out.length, 0x7FFFFFFFu);
      return true;
    });
    if (round % 10 == 0) {
      Spill(Path("fuzz.sbx"), bytes);
      archive.enabled = 1;
      std::string destination;
      if (ResolveAssetName(&archive, "b.txt", destination, true)) {
        EXPECT_LE(MemoryContent(destination).size(), 2000u);
      }
    }
  }
}

TEST_F(ArchiveTest, ArchivesMeasuredFromTheEndWorkInsideAnyFile) {
  const std::string host = SampleBytes(12345, 9);
  const std::vector<uint8_t> tail =
      Archive({{"x.dat", "tail entry"}, {"y.dat", SampleBytes(3000, 4)}}, true, host.size());
  EXPECT_LT(static_cast<int32_t>(Le32At(tail, tail.size() - 4)), 0);
  Spill(Path("game"), host + std::string(tail.begin(), tail.end()));
  ArchiveSource archive;
  archive.path = Path("game");
  std::string destination;
  ASSERT_TRUE(ResolveAssetName(&archive, "x.dat", destination, true));
  EXPECT_EQ(MemoryContent(destination), "tail entry");
  ASSERT_TRUE(ResolveAssetName(&archive, "y.dat", destination, false));
  EXPECT_EQ(Slurp(destination), SampleBytes(3000, 4));

  // A relative archive is also readable when the archive itself is an
  // in-memory file.
  const std::string whole = Slurp(Path("game"));
  archive.path = MemoryName(whole.data(), whole.size());
  ArchiveSource nested;
  nested.path = archive.path;
  ASSERT_TRUE(ResolveAssetName(&nested, "x.dat", destination, true));
  EXPECT_EQ(MemoryContent(destination), "tail entry");
}

TEST_F(ArchiveTest, ReadChannelsOpenArchivedFilesThroughTheDataArchive) {
  Spill(Path("data.sbx"), Archive({{"level.txt", "one\r\ntwo\r\n"}}));
  FilesStart(Path("data.sbx"));
  RtString line;
  ASSERT_EQ(OpenFile(0, "levels\\level.txt", 1), 1);
  ReadLine(0, line);
  EXPECT_EQ(line, "one");
  ReadLine(0, line);
  EXPECT_EQ(line, "two");
  EXPECT_EQ(EndOfFile(0), 1);
  CloseFile(0);
  EXPECT_EQ(OpenFile(0, "levels/none.txt", 1), 0);
  FilesShutdown();
}

TEST_F(ArchiveTest, StartUpNamesTheProgram) {
  FilesStart("/opt/game/plane");
  ASSERT_NE(DataArchive(), nullptr);
  ASSERT_NE(MusicArchive(), nullptr);
  EXPECT_EQ(DataArchive()->path, "/opt/game/plane");
  EXPECT_EQ(MusicArchive()->path, "/opt/game/plane");
  SetArchiveFiles("", "sound.sbx");
  EXPECT_EQ(DataArchive()->path, "");
  EXPECT_EQ(MusicArchive()->path, "sound.sbx");
  FilesShutdown();
  EXPECT_EQ(DataArchive(), nullptr);
  EXPECT_EQ(MusicArchive(), nullptr);
}

}  // namespace
