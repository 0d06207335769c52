// The host subsystem's process-wide state: the libraries loaded for calls by
// name, the program's table of callable functions, its build stamp and the
// children started without waiting.
#pragma once

#include <string>
#include <vector>

#include "runtime/host/functions_by_name.h"

struct LoadedModule {
  std::string key;  // the module name in lower case, as the program gave it
  void* handle = nullptr;
};

namespace plat {
struct Window;
}

struct HostState {
  std::vector<LoadedModule> modules;
  const CallableEntry* callables = nullptr;
  std::string buildDate;  // "Jul 16 2009" style, empty until the program sets one
  std::string buildTime;  // "18:12:24"
  // The command line EndAndRun starts once the program has shut down.
  std::string runAtEnd;
  bool runAtEndPending = false;
  // The program's window, handed over at start-up and every mode switch.
  plat::Window* window = nullptr;
};

// Created on first use and never destroyed, so the process-exit clean-up
// may run after every static destructor.
HostState& Host();

// Sends "TX" + text to the debugger output, only while a debugger is
// attached; a program run normally stays silent.
void HostDebugLine(const std::string& text);
