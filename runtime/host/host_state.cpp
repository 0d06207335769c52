#include "runtime/host/host_state.h"

#include "runtime/platform/process.h"

HostState& Host() {
  static HostState* state = new HostState;
  return *state;
}

void HostDebugLine(const std::string& text) {
  if (!plat::DebuggerAttached()) return;
  const std::string line = "TX" + text;
  plat::DebugOutput(line.c_str());
}
