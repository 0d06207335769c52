// The movie loop's seams (tests stand in a scripted player and decide when
// the user interrupts) and its fitting rule.
#pragma once

#include <functional>
#include <memory>

#include "runtime/platform/movie_player.h"

// Makes the player for each movie; empty means libmpv.
void SetMoviePlayerFactory(std::function<std::unique_ptr<plat::MoviePlayer>()> factory);

// What counts as "the user wants it to stop"; empty means any key read as
// down.
void SetMovieInterruptCheck(std::function<bool()> check);

// The largest rectangle of the picture's aspect that fits the area, centred.
plat::PixelRect FitCentred(int pictureW, int pictureH, int areaW, int areaH);
