// Movies: played synchronously into the window until they end or the user
// presses a key or a mouse button.
#pragma once

#include <functional>

#include "runtime/core/rt_string.h"
#include "runtime/platform/movie_player.h"

// Plays the movie (from disk or the music archive), fitted and centred in
// the screen, looping on request until interrupted. 0 after playing; 3 when
// the name cannot be resolved or the player cannot be made.
int PlayMovie(const RtString& name, int loop);

// What counts as "the user wants it to stop": a key typed or a mouse button
// held. The input subsystem installs its test; until then the keyboard's
// held keys are read.
void SetMovieInterruptCheck(std::function<bool()> check);

// The largest rectangle of the picture's aspect that fits the area, centred.
plat::PixelRect FitCentred(int pictureW, int pictureH, int areaW, int areaH);
