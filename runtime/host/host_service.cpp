#include "runtime/host/host_service.h"

#include "runtime/host/host_state.h"

void HostStart() {
  // The state is made here rather than on first use inside a command, so
  // nothing is allocated while the program is running a frame.
  Host();
}

void HostShutdown() {}
