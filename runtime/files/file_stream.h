// The one open-file record shared by file channels, the archive reader, the
// sound loader and the file operations. It reads disk files and in-memory
// files ("mem://" names) alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

struct FileStream {
  std::FILE* handle = nullptr;    // disk file, or null
  const uint8_t* data = nullptr;  // bytes of an in-memory file (not owned), or null
  int32_t size = 0;
  int32_t position = 0;
  // stdio needs a positioning call between a write and a following read on
  // the same handle; the stream remembers which came last.
  bool lastWasWrite = false;
};

// Opens an existing disk file or an in-memory file for reading.
bool OpenStream(FileStream& stream, const char* name);
// Reads count bytes; see the channel rules for in-memory ends.
bool ReadStream(FileStream& stream, void* destination, int32_t count);
void CloseStream(FileStream& stream);
// Closes channels 0..7 (program end).
void CloseAllFiles();

// Writes count bytes at the handle's file pointer. False without a handle or
// when fewer bytes were written.
bool WriteStream(FileStream& stream, const void* source, size_t count);

// ---- in-memory file names ----
// "mem://", the size as 8 blank-padded lowercase hex digits, ".", then the
// address as 16 blank-padded lowercase hex digits (a full 64-bit pointer).

bool IsMemoryName(const char* name);
std::string MemoryName(const void* data, size_t size);
// Reads the size (at character 6) and the address (after the ".") of a
// "mem://" name. False for a malformed name, a null address or a size that
// does not fit an int32.
bool ParseMemoryName(const char* name, const uint8_t** data, int32_t* size);

// Hands a runtime path to the system: both separators are accepted and the
// system gets "/".
std::string SystemPath(const char* name);
