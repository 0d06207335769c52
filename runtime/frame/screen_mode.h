// Switching between full screen and a window at run time.
#pragma once

// Applies a mode (a zero width or height keeps the current one) without
// showing frames; SetScreenMode (frame_loop.h) adds the five frames, and the
// frame loop uses this alone for the Alt+Enter switch between frames.
void ApplyScreenMode(int width, int height, int fullScreen);
