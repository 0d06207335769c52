#include "runtime/files/file_channels.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "runtime/core/byte_order.h"
#include "runtime/core/conversion.h"
#include "runtime/core/runtime_error.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/files_service.h"

namespace {

FileStream g_channels[kFileChannels];

// Reads from a disk channel go through a buffer of the channel's own, so a
// line costs no system call. The buffer holds bytes the handle has already
// passed: the channel's file pointer (where writes, seeks and the next read
// act) is that many bytes behind the handle's, and every operation other
// than a read first gives them back (DropReadAhead).
constexpr int32_t kReadAheadSize = 64 * 1024;

struct ReadAhead {
  int32_t next = 0;  // first unread byte
  int32_t end = 0;   // one past the last byte held
  char bytes[kReadAheadSize];
};

ReadAhead g_readAhead[kFileChannels];

FileStream& Channel(int channel) {
  if (channel < 0 || channel >= kFileChannels) FatalRuntimeError(kErrInvalidArgument);
  return g_channels[channel];
}

ReadAhead& ReadAheadOf(const FileStream& stream) {
  return g_readAhead[&stream - g_channels];
}

// For a stream about to be closed or reopened: the bytes go with the handle.
void ForgetReadAhead(const FileStream& stream) {
  ReadAhead& ahead = ReadAheadOf(stream);
  ahead.next = ahead.end = 0;
}

// Moves the handle's pointer back over the unread bytes, to the channel's
// file pointer.
void DropReadAhead(FileStream& stream) {
  ReadAhead& ahead = ReadAheadOf(stream);
  const int32_t unread = ahead.end - ahead.next;
  if (unread > 0 && stream.handle) std::fseek(stream.handle, -unread, SEEK_CUR);
  ahead.next = ahead.end = 0;
}

// The handle, ready for a read.
std::FILE* ReadHandle(FileStream& stream) {
  if (stream.lastWasWrite) {
    std::fseek(stream.handle, 0, SEEK_CUR);
    stream.lastWasWrite = false;
  }
  return stream.handle;
}

// Moves the unread bytes to the front and reads as many more as fit.
// Returns how many came (0 at the end of the file).
int32_t FillReadAhead(FileStream& stream, ReadAhead& ahead) {
  if (ahead.next > 0) {
    ahead.end -= ahead.next;
    std::memmove(ahead.bytes, ahead.bytes + ahead.next, static_cast<size_t>(ahead.end));
    ahead.next = 0;
  }
  const size_t room = static_cast<size_t>(kReadAheadSize - ahead.end);
  const auto got =
      static_cast<int32_t>(std::fread(ahead.bytes + ahead.end, 1, room, ReadHandle(stream)));
  ahead.end += got;
  return got;
}

// ReadStream for a disk channel, through its buffer: the tracked position
// advances by count, and bytes past the end of the file read as zero and
// fail the read.
bool ReadDiskBytes(FileStream& stream, uint8_t* out, int32_t count) {
  if (count < 0) return false;
  ReadAhead& ahead = ReadAheadOf(stream);
  const int64_t moved = static_cast<int64_t>(stream.position) + count;
  stream.position = moved > INT32_MAX ? INT32_MAX : static_cast<int32_t>(moved);
  int32_t done = 0;
  while (done < count) {
    if (ahead.next == ahead.end) {
      // Large reads skip the buffer.
      if (count - done >= kReadAheadSize) {
        done += static_cast<int32_t>(
            std::fread(out + done, 1, static_cast<size_t>(count - done), ReadHandle(stream)));
        break;
      }
      if (FillReadAhead(stream, ahead) == 0) break;
    }
    const int32_t take = std::min(ahead.end - ahead.next, count - done);
    std::memcpy(out + done, ahead.bytes + ahead.next, static_cast<size_t>(take));
    ahead.next += take;
    done += take;
  }
  if (done < count) std::memset(out + done, 0, static_cast<size_t>(count - done));
  return done == count;
}

bool ReadChannelBytes(FileStream& stream, void* destination, int32_t count) {
  if (stream.handle) return ReadDiskBytes(stream, static_cast<uint8_t*>(destination), count);
  return ReadStream(stream, destination, count);
}

// Another open of the same file for writing (or an unshared reader) holds
// it; a file system without locks counts as free.
bool LockedByOther(int fd, int how) {
  return flock(fd, how | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

std::FILE* OpenForWriting(const std::string& path, bool append) {
  int fd = -1;
  if (append) {
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  } else {
    // The old file goes first, as a create-always does, but not while
    // another channel still has it open.
    // Non-blocking: a named pipe nobody writes must not hold the program.
    const int old = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (old >= 0) {
      const bool busy = LockedByOther(old, LOCK_EX);
      if (!busy) unlink(path.c_str());
      close(old);
      if (busy) return nullptr;
    }
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }
  if (fd < 0) return nullptr;
  if (LockedByOther(fd, LOCK_EX)) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, append ? "wb" : "w+b");
  if (!file) {
    close(fd);
    return nullptr;
  }
  // Every write reaches the system at once, so a failed write is reported
  // by the command that made it rather than lost at close.
  std::setvbuf(file, nullptr, _IONBF, 0);
  if (append) std::fseek(file, 0, SEEK_END);
  return file;
}

void ReadBytes(int channel, void* destination, int32_t count) {
  FileStream& stream = Channel(channel);
  if (!ReadChannelBytes(stream, destination, count)) FatalRuntimeError(kErrFileIo);
}

void WriteBytes(int channel, const void* source, size_t count) {
  FileStream& stream = Channel(channel);
  DropReadAhead(stream);
  if (!WriteStream(stream, source, count)) FatalRuntimeError(kErrFileIo);
}

// bytes is 1, 2 or 4; the bytes not read stay zero.
uint32_t ReadUnsigned(int channel, int bytes) {
  uint8_t raw[4] = {};
  ReadBytes(channel, raw, bytes);
  return LoadLe32(raw);
}

// The low 32 bits of the value's integer part, for any finite value (the
// plain conversion is undefined outside the int range).
uint32_t LowBits(double value) {
  if (!std::isfinite(value)) return 0;
  double m = std::fmod(std::trunc(value), 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return static_cast<uint32_t>(m);
}

void WriteUnsigned(int channel, uint32_t value, int bytes) {
  uint8_t raw[4];
  StoreLe32(raw, value);
  WriteBytes(channel, raw, static_cast<size_t>(bytes));
}

int32_t Clamped(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

struct Line {
  int length = 0;
  bool endedByLineFeed = false;
};

// Fills room (kMaxLineLength + 1 bytes) with the next line of a disk
// channel.
Line ReadDiskLine(FileStream& stream, char* room) {
  ReadAhead& ahead = ReadAheadOf(stream);
  const void* lf = nullptr;
  int32_t searched = 0;
  int32_t limit = 0;
  for (;;) {
    limit = std::min(ahead.end - ahead.next, kMaxLineLength);
    lf = std::memchr(ahead.bytes + ahead.next + searched, '\n',
                     static_cast<size_t>(limit - searched));
    if (lf != nullptr || limit == kMaxLineLength) break;
    searched = limit;
    if (FillReadAhead(stream, ahead) == 0) break;
  }
  if (limit == 0) FatalRuntimeError(kErrFileIo);
  const char* start = ahead.bytes + ahead.next;
  Line line;
  int consumed = limit;
  line.length = limit;
  if (lf != nullptr) {
    line.length = static_cast<int>(static_cast<const char*>(lf) - start);
    line.endedByLineFeed = true;
    consumed = line.length + 1;
  }
  std::memcpy(room, start, static_cast<size_t>(line.length));
  ahead.next += consumed;
  stream.position = Clamped(static_cast<int64_t>(stream.position) + consumed);
  return line;
}

Line ReadMemoryLine(FileStream& stream, char* room) {
  if (stream.position < 0 || stream.position >= stream.size) FatalRuntimeError(kErrFileIo);
  const uint8_t* start = stream.data + stream.position;
  const int remaining = stream.size - stream.position;
  const int limit = std::min(remaining, kMaxLineLength);
  const void* lf = std::memchr(start, '\n', static_cast<size_t>(limit));
  Line line;
  line.length = lf ? static_cast<int>(static_cast<const uint8_t*>(lf) - start) : limit;
  line.endedByLineFeed = lf != nullptr;
  std::memcpy(room, start, static_cast<size_t>(line.length));
  stream.position += line.length + (lf ? 1 : 0);
  return line;
}

}  // namespace

void CloseAllFiles() {
  for (FileStream& stream : g_channels) {
    ForgetReadAhead(stream);
    CloseStream(stream);
  }
}

int OpenFile(int channel, const RtString& name, int mode) {
  FileStream& stream = Channel(channel);
  ForgetReadAhead(stream);
  CloseStream(stream);
  if (mode >= 1) {
    std::string resolved;
    if (!ResolveAssetName(DataArchive(), name.c_str(), resolved, true)) return 0;
    if (!OpenStream(stream, resolved.c_str())) return 0;
    // The channel buffers its reads itself; a second buffer below would
    // split every refill into two system reads.
    if (stream.handle) std::setvbuf(stream.handle, nullptr, _IONBF, 0);
    return 1;
  }
  if (IsMemoryName(name.c_str())) return 0;
  std::FILE* file = OpenForWriting(SystemPath(name.c_str()), mode < 0);
  if (!file) return 0;
  stream.handle = file;
  stream.lastWasWrite = true;
  return 1;
}

void CloseFile(int channel) {
  FileStream& stream = Channel(channel);
  ForgetReadAhead(stream);
  CloseStream(stream);
}

int EndOfFile(int channel) {
  const FileStream& stream = Channel(channel);
  return stream.position >= stream.size ? 1 : 0;
}

int FilePosition(int channel) {
  return Channel(channel).position;
}

void FileSeek(int channel, int distance, int origin) {
  FileStream& stream = Channel(channel);
  if (!stream.handle && !stream.data) return;
  const int64_t base = origin == 0 ? 0 : origin > 0 ? stream.position : stream.size;
  stream.position = Clamped(base + distance);
  if (stream.handle) {
    // The system pointer moves by the same rule; a move before the start
    // fails and leaves it where it was.
    DropReadAhead(stream);
    std::fseek(stream.handle, distance, origin == 0 ? SEEK_SET : origin > 0 ? SEEK_CUR : SEEK_END);
    stream.lastWasWrite = false;
  }
}

void ReadByte(int channel, int& value) {
  value = static_cast<int8_t>(ReadUnsigned(channel, 1));
}
void ReadByte(int channel, double& value) {
  value = static_cast<int8_t>(ReadUnsigned(channel, 1));
}
void ReadUByte(int channel, int& value) {
  value = static_cast<int>(ReadUnsigned(channel, 1));
}
void ReadUByte(int channel, double& value) {
  value = ReadUnsigned(channel, 1);
}
void ReadWord(int channel, int& value) {
  value = static_cast<int16_t>(ReadUnsigned(channel, 2));
}
void ReadWord(int channel, double& value) {
  value = static_cast<int16_t>(ReadUnsigned(channel, 2));
}
void ReadUWord(int channel, int& value) {
  value = static_cast<int>(ReadUnsigned(channel, 2));
}
void ReadUWord(int channel, double& value) {
  value = ReadUnsigned(channel, 2);
}
void ReadLong(int channel, int& value) {
  value = static_cast<int32_t>(ReadUnsigned(channel, 4));
}
void ReadLong(int channel, double& value) {
  value = static_cast<int32_t>(ReadUnsigned(channel, 4));
}
void ReadULong(int channel, int& value) {
  value = static_cast<int32_t>(ReadUnsigned(channel, 4));
}
void ReadULong(int channel, double& value) {
  value = ReadUnsigned(channel, 4);
}

void ReadFloat(int channel, double& value) {
  const uint32_t bits = ReadUnsigned(channel, 4);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  value = f;
}

void ReadDouble(int channel, double& value) {
  uint8_t raw[8];
  ReadBytes(channel, raw, 8);
  const uint64_t bits = LoadLe64(raw);
  std::memcpy(&value, &bits, sizeof value);
}

void ReadText(int channel, RtString& text, int count) {
  FileStream& stream = Channel(channel);
  if (count <= 0) {
    text = RtString();
    return;
  }
  // Beyond the end of in-memory data only zeros would come, which end the
  // text anyway, so nothing past the data needs reading or room.
  if (!stream.handle && stream.data && stream.position >= 0 && stream.position <= stream.size) {
    count = std::min(count, stream.size - stream.position);
  }
  // Read in pieces so a huge count costs memory only for bytes that exist.
  std::string collected;
  bool ended = false;
  char piece[65536];
  while (count > 0) {
    const int n = std::min(count, static_cast<int>(sizeof piece));
    if (!ReadChannelBytes(stream, piece, n)) FatalRuntimeError(kErrFileIo);
    if (!ended) {
      const void* zero = std::memchr(piece, 0, static_cast<size_t>(n));
      const size_t keep = zero ? static_cast<size_t>(static_cast<const char*>(zero) - piece)
                               : static_cast<size_t>(n);
      collected.append(piece, keep);
      ended = zero != nullptr;
    }
    count -= n;
  }
  text.Assign(collected.c_str());
}

void ReadLine(int channel, RtString& text) {
  FileStream& stream = Channel(channel);
  text.Reserve(kMaxLineLength, false);
  text.Truncate(0);
  char* room = text.Data();
  Line line;
  if (stream.handle) {
    line = ReadDiskLine(stream, room);
  } else if (stream.data) {
    line = ReadMemoryLine(stream, room);
  } else {
    FatalRuntimeError(kErrFileIo);
  }
  // CR LF always ends a line cleanly, even an empty one; a lone CR with no
  // line feed after it is text and stays.
  int length = line.length;
  if (length >= 1 && room[length - 1] == '\r' && (length >= 2 || line.endedByLineFeed)) {
    --length;
  }
  room[length] = '\0';
  text.Truncate(static_cast<int>(std::strlen(room)));
}

void ReadLineNumber(int channel, double& value) {
  RtString line;
  ReadLine(channel, line);
  value = TextToNumber(line);
}

void ReadLineInt(int channel, int& value) {
  RtString line;
  ReadLine(channel, line);
  value = TextToInt(line);
}

void WriteByte(int channel, double value) {
  WriteUnsigned(channel, LowBits(value), 1);
}
void WriteUByte(int channel, double value) {
  WriteUnsigned(channel, LowBits(value), 1);
}
void WriteWord(int channel, double value) {
  WriteUnsigned(channel, LowBits(value), 2);
}
void WriteUWord(int channel, double value) {
  WriteUnsigned(channel, LowBits(value), 2);
}
void WriteLong(int channel, double value) {
  WriteUnsigned(channel, LowBits(value), 4);
}
void WriteULong(int channel, double value) {
  WriteUnsigned(channel, LowBits(value), 4);
}

void WriteFloat(int channel, double value) {
  const float f = static_cast<float>(value);
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  WriteUnsigned(channel, bits, 4);
}

void WriteDouble(int channel, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  uint8_t raw[8];
  StoreLe64(raw, bits);
  WriteBytes(channel, raw, sizeof raw);
}

void WriteText(int channel, const RtString& text) {
  WriteBytes(channel, text.c_str(), text.Length());
}

void WriteLine(int channel, const RtString& text) {
  // One write for the line and its end, so a failure cannot leave half.
  std::string line(text.c_str(), text.Length());
  line += "\r\n";
  WriteBytes(channel, line.data(), line.size());
}

void WriteLineNumber(int channel, double value) {
  char line[kNumberTextCapacity + 2];
  uint32_t n = WriteNumberText(value, line);
  line[n++] = '\r';
  line[n++] = '\n';
  WriteBytes(channel, line, n);
}

void WriteLineInt(int channel, int value) {
  char line[kNumberTextCapacity + 2];
  uint32_t n = WriteIntText(value, line);
  line[n++] = '\r';
  line[n++] = '\n';
  WriteBytes(channel, line, n);
}
