// The music reaches the game only through sound.sbx: the archive must hold
// exactly the six pieces, and each must come out of the runtime's own archive
// reader as the same playable MP3 that was packed.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "asset_io.h"
#include "runtime/files/archive.h"
#include "runtime/files/archive_format.h"

namespace assettest {
namespace {

const char* const kPieces[] = {"menu.mp3", "0.mp3", "1.mp3", "2.mp3", "3.mp3", "4.mp3"};

std::string ArchivePath() {
  return RunDir() + "/sound.sbx";
}

TEST(MusicArchive, ListsExactlyTheSixPiecesAndNoneLieLoose) {
  const std::vector<uint8_t> bytes = ReadBytes(ArchivePath());
  ASSERT_FALSE(bytes.empty()) << ArchivePath();
  sbx::MemorySource source(bytes.data(), bytes.size());
  int32_t directory = 0;
  ASSERT_EQ(sbx::ReadTrailer(source, &directory), sbx::TrailerStatus::kOk);
  EXPECT_GE(directory, 0) << "a stand-alone archive uses absolute offsets";
  std::multiset<std::string> names;
  EXPECT_EQ(sbx::WalkDirectory(source, directory,
                               [&](const sbx::DirectoryEntry& e) {
                                 names.insert(e.name);
                                 return true;
                               }),
            sbx::DirectoryStatus::kEnd);
  EXPECT_EQ(names, std::multiset<std::string>(std::begin(kPieces), std::end(kPieces)));

  for (const auto& e : std::filesystem::recursive_directory_iterator(RunDir()))
    EXPECT_NE(e.path().extension(), ".mp3") << e.path() << " lies loose in the run directory";
}

TEST(MusicArchive, EveryPieceUnpacksToThePackedMp3) {
  ArchiveSource archive;
  archive.path = ArchivePath();
  for (const char* name : kPieces) {
    std::string resolved;
    ASSERT_TRUE(ResolveAssetName(&archive, name, resolved, false)) << name;
    ASSERT_NE(resolved, name) << "found on disk instead of in the archive";
    EXPECT_EQ(ReadBytes(resolved), ReadBytes(MusicDir() + "/" + name)) << name;
    Mp3Info m;
    std::string err;
    ASSERT_TRUE(DecodeMp3(resolved, m, err)) << name << ": " << err;
    const double seconds = static_cast<double>(m.frames) / 44100;
    EXPECT_GE(seconds, 40.0) << name;
    EXPECT_LE(seconds, 90.0) << name;
  }
}

}  // namespace
}  // namespace assettest
