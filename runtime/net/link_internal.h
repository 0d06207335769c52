// What the multiplayer link's commands and its worker thread share. Not part
// of the program-facing header.
#pragma once

#include "runtime/net/multiplayer_link.h"

namespace netlink_internal {

// The worker and the waiting commands use the owner lock for the link's lists
// and flags; this keeps every exit path unlocking it.
class Guard {
 public:
  // A nested guard finds the lock already held (36) and leaves it to the
  // outer one.
  explicit Guard(NetLink& link) : lock_(link.lock), locked_(lock_.Lock() == 0) {}
  ~Guard() {
    if (locked_) lock_.Unlock();
  }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  NetOwnerLock& lock_;
  bool locked_;
};

inline bool ValidNumber(int n) {
  return n >= 1 && n <= kNetLastNumber;
}

// Cuts the worker's wait short, so it sees a command's change at once.
void Wake(NetLink& link);

// Closes the slots and resets the flags. Safe to run twice (worker exit and
// a later explicit leave). An explicit leave also forgets the local players:
// their numbers mean nothing in the next game.
void LeaveSequence(NetLink& link, bool explicitLeave);

// Messages are small and sent one by one; without this a message written
// while an earlier one is unacknowledged waits for the peer's delayed ACK.
void NoDelay(int slot);

// Starts the link's worker thread on its connection (and, on the host, its
// listening slot).
void StartWorker(NetLink& link);

}  // namespace netlink_internal
