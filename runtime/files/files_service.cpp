#include "runtime/files/files_service.h"

#include <cstdlib>

#include "runtime/files/archive.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/ini_files.h"
#include "runtime/files/line_files.h"
#include "runtime/files/private_temp.h"
#include "runtime/platform/process.h"

namespace {

struct FilesState {
  ArchiveSource* dataArchive = nullptr;
  ArchiveSource* musicArchive = nullptr;
};
FilesState g_files;

void WriteBackAtExit() {
  IniWriteBack();
  SelectLineFile(nullptr);
}

}  // namespace

void FilesStart(const std::string& exePath) {
  // Unpacked entries of programs that crashed or were killed.
  files::RemoveAbandonedTempFolders(plat::TempDirectory());
  if (!g_files.dataArchive) g_files.dataArchive = new ArchiveSource;
  if (!g_files.musicArchive) g_files.musicArchive = new ArchiveSource;
  SetArchiveFiles(exePath.c_str(), exePath.c_str());
}

void FilesCloseChannels() {
  CloseAllFiles();
}

void FilesShutdown() {
  delete g_files.musicArchive;
  g_files.musicArchive = nullptr;
  delete g_files.dataArchive;
  g_files.dataArchive = nullptr;
}

ArchiveSource* DataArchive() {
  return g_files.dataArchive;
}

ArchiveSource* MusicArchive() {
  return g_files.musicArchive;
}

ArchiveSource* ReplaceMusicArchive(ArchiveSource* archive) {
  ArchiveSource* previous = g_files.musicArchive;
  g_files.musicArchive = archive;
  return previous;
}

void EnsureFilesWrittenBackAtExit() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  std::atexit(WriteBackAtExit);
}
