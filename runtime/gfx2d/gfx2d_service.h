// Lifecycle of the 2D renderer, called by the engine's start-up, frame end,
// mode switch and shutdown.
#pragma once

#include "runtime/render/window_change.h"

// Tables ready, screen cleared, draw area set, the built-in font in font 0
// with "Loading..." drawn centred in it, then the default font file
// ("smalfont.png", else "smalfont.bmp") if one resolves. Belongs after the
// first present: the next frame end shows the text.
void Gfx2dStart();
// Draw area reset after a mode switch.
void Gfx2dWindowChanged(const WindowChange& change);
// Returns drawing to the screen if a surface is selected.
void Gfx2dBeforePresent();
// After present: blending off, alpha 1, colour white, draw area reset, then
// background slot 0 as the back of the next frame.
void Gfx2dFrame();
// Releases surfaces, sprites, masks, backgrounds and buffers; the GL
// context must still be current.
void Gfx2dShutdown();
