// Multiplayer wire messages as the host reads a connection: bytes arrive in
// pieces of any size (the first input byte picks it), the reader cuts them
// into messages, and each body is decoded the way its type is handled.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/net/link_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 32;
  ++data;
  --size;
  NetMessageReader reader;
  NetWireMessage m;
  for (size_t at = 0; at < size; at += piece) {
    reader.Feed(data + at, size - at < piece ? size - at : piece);
    NetMessageReader::Result r;
    while ((r = reader.Next(m)) == NetMessageReader::kMessage) {
      if (m.body.size() > kNetMaxBody) __builtin_trap();
      switch (m.type) {
        case kNetJoin: {
          const NetPlayerRecord record = DecodePlayerRecord(m.body);
          if (strnlen(record.name, sizeof record.name) == sizeof record.name) __builtin_trap();
          break;
        }
        case kNetText:
          CutAtZero(m.body);
          break;
        default:
          NetBodyU16(m.body);
          break;
      }
    }
    if (r == NetMessageReader::kBadLength) {
      if (reader.Pending() != 0) __builtin_trap();
      return 0;
    }
  }
  return 0;
}
