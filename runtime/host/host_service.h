// The host subsystem's part in the engine's start-up and shutdown.
#pragma once

#include "runtime/render/window_change.h"

void HostStart();
// The (possibly new) window the file dialog puts aside while it runs.
void HostWindowChanged(const WindowChange& change);
// Libraries loaded for calls by name stay loaded until the process exits:
// function pointers the program holds must outlive the engine.
void HostShutdown();
