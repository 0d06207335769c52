// The platform's test backend: tests replace the clock and record message
// boxes instead of showing them, the way SDL's offscreen and
// dummy drivers stand in for a display and a sound card. Production code
// never includes this header.
#pragma once

#include <functional>
#include <string>

#include "runtime/platform/window.h"

namespace plat {

// Replaces the clock and the sleep so that pacing can be checked without
// real time passing. Passing empty functions restores the real ones.
void SetTestClock(std::function<double()> now, std::function<void(double)> sleep);

// Records message boxes instead of showing them; an empty function shows
// them again.
void SetMessageBoxRecorder(
    std::function<void(BoxIcon, const std::string&, const std::string&)> recorder);

}  // namespace plat
