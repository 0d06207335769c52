// The network subsystem's part in the engine's life.
#pragma once

// Creates the process's multiplayer link (programs without a window create
// it on first use instead).
void NetStart();
// Stops the link's worker, waiting for it, and closes every slot.
void NetShutdown();
// Whether the process's link exists (created by NetStart or first use).
bool NetLinkCreated();
