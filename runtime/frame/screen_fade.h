// Cross-fading from the current screen to a picture that then stays as the
// background image every frame starts with.
#pragma once

#include "runtime/core/rt_string.h"

// Fades over 1500 ms of frames; a name that does not resolve does nothing.
void FadeToImage(const RtString& fileName);
// Frames a fade lasts, the last one (which shows the picture) included, on a
// clock that advances frameMs per frame (a deterministic run's); 0 for a
// frame time that is not a positive number.
int FadeFrames(double frameMs);
