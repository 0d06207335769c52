// The multiplayer wire messages as the host reads and handles them: joins,
// leaves, texts relayed between connections, queries, and the receiving
// machine filing what the host sends, driven by a script of connection
// events (host_drive.h) instead of sockets.
#include <cstddef>
#include <cstdint>

#include "host_drive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hostdrive::Session session;
  if (!session.Play(data, size)) __builtin_trap();
  return 0;
}
