// Keyboard commands.
#pragma once

// Whether Escape ends the program during screen updates (initially 1).
void SetEscapeQuits(int flag);
