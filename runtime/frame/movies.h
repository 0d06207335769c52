// Movies: played synchronously into the window until they end or the user
// presses a key or a mouse button.
#pragma once

#include "runtime/core/rt_string.h"

// Plays the movie (from disk or the music archive), fitted and centred in
// the screen, looping on request until interrupted. 0 after playing; 3 when
// the name cannot be resolved or the player cannot be made.
int PlayMovie(const RtString& name, int loop);
