// The host subsystem's part in the engine's start-up and shutdown.
#pragma once

namespace plat {
struct Window;
}

void HostStart();
// The (possibly new) window the file dialog puts aside while it runs.
void HostWindowChanged(plat::Window* window);
// Libraries loaded for calls by name stay loaded until the process exits:
// function pointers the program holds must outlive the engine.
void HostShutdown();
