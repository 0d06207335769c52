// The host subsystem's part in the engine's life.
#pragma once

void HostStart();
void HostShutdown();
