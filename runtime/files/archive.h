// The packed archive and in-memory files: every asset name resolves on disk
// first, then inside the archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/core/rt_string.h"

// One configured archive (the engine holds two: data and music). It keeps at
// most one unpacked entry at a time: the next resolution through the same
// archive frees the memory file or deletes the temporary file of the last.
struct ArchiveSource {
  // Cleared once the archive proves unusable (missing, unreadable, no
  // magic); a disabled archive is skipped until SetArchiveFiles.
  uint8_t enabled = 1;
  std::string path;                       // empty: no archive
  std::string tempFile;                   // last entry unpacked to disk, or empty
  std::unique_ptr<uint8_t[]> memoryFile;  // last entry unpacked into memory
  size_t memorySize = 0;

  ArchiveSource() = default;
  ArchiveSource(const ArchiveSource&) = delete;
  ArchiveSource& operator=(const ArchiveSource&) = delete;
  ~ArchiveSource() { ReleaseEntry(); }

  // Frees the memory file, or deletes the temporary file.
  void ReleaseEntry();
};

// Resolves name through archive (DataArchive() or MusicArchive()). On
// success destination holds the name to open: the name itself (found on
// disk), a "mem://" name (inMemory) or a temporary file's path. A null
// archive means disk only.
bool ResolveAssetName(ArchiveSource* archive, const char* name, std::string& destination,
                      bool inMemory);
// Re-enables and re-points both engine archives (before start-up, when the
// engine holds none, it does nothing).
void SetArchiveFiles(const RtString& dataArchive, const RtString& musicArchive);
