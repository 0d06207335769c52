// Reading a file whole, for every loader of the runtime and its tools.
//
// Only a regular file can be read whole: its size is known before the
// first byte is read. A named pipe nobody writes would block the reader for
// ever, and a device such as /dev/zero would be read until memory runs out,
// so both fail at once with a clear error instead, as does a directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Reads of a whole file stop here unless the caller sets its own bound.
inline constexpr uint64_t kWholeFileLimit = uint64_t{1} << 31;

// Opens path for reading when it is a regular file: the open itself never
// waits (a FIFO is opened non-blocking, then refused), and the descriptor
// returned reads normally (blocking, close-on-exec). -1 otherwise, with the
// reason in *error ("not a regular file", or the system's).
int OpenRegularFile(const std::string& path, std::string* error = nullptr);

// Reads the regular file at path whole, at most limit bytes (a larger file
// fails). Only as many bytes as the file had when opened are read, so a file
// that grows meanwhile cannot make the read endless. False with the reason
// in *error; an allocation failure is a failed read, not an exception.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                   uint64_t limit = kWholeFileLimit, std::string* error = nullptr);
bool ReadWholeFile(const std::string& path, std::string& text, uint64_t limit = kWholeFileLimit,
                   std::string* error = nullptr);

}  // namespace plat
