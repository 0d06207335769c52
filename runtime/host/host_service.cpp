#include "runtime/host/host_service.h"

#include "runtime/host/host_state.h"
#include "runtime/host/run_program.h"

void HostStart() {
  // The record exists from start-up on; everything in it is filled by the
  // program's own calls.
  Host();
}

void HostWindowChanged(const WindowChange& change) {
  Host().window = change.window;
}

void HostShutdown() {
  StartProgramQueuedAtEnd();
}
