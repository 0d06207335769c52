// The host subsystem's part in the engine's start-up and shutdown.
#pragma once

void HostStart();
// Libraries loaded for calls by name stay loaded until the process exits:
// function pointers the program holds must outlive the engine.
void HostShutdown();
