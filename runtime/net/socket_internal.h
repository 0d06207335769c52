// What the HTTP fetch and the multiplayer link need from the socket layer
// beyond the public commands. Not part of the program-facing header.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace netsock {

// Resolves a host name or dotted address (empty: this machine's first
// non-loopback address, else 127.0.0.1) and puts the port in. False, with
// the last error kept, when it cannot be resolved.
bool ResolveHost(const char* name, int port, sockaddr_in* out);

// Opens a TCP connection to address in a new slot and makes it
// non-blocking. Slot or -1. timeoutMs < 0 waits as long as the system's
// connect does (over two minutes for an address that never answers);
// otherwise the connect gives up after timeoutMs with ETIMEDOUT as the
// last error, so a caller's deadline covers it.
int ConnectSlot(const sockaddr_in& address, int timeoutMs = -1);

// The system descriptor behind a used slot, or -1.
int SlotDescriptor(int slot);
// Last error of SetBlocking's fcntl, 0 on success; -1 for a free slot.
int SetBlocking(int slot, bool blocking);
// The local port a slot is bound to, or -1.
int SlotLocalPort(int slot);
// How many slots are in use.
int UsedSlotCount();
bool LayerStarted();

void SetLastError(int code);
// The last-error number for an errno value (would-block and reset become
// their fixed numbers).
int ErrorFromErrno(int err);

// Sends all bytes on a descriptor, waiting for room when the socket is full.
// timeoutMs < 0 waits as long as it takes; otherwise gives up when no byte
// could be sent for that long. False on error or time-out.
bool SendAll(int fd, const void* data, size_t size, int timeoutMs);

// The addresses of this machine as dotted texts, loopback left out.
std::string ListLocalAddresses(const char* separator, int* count);

}  // namespace netsock
