// Switching between full screen and a window at run time.
#pragma once

// Stores the three values in the settings, applies them (a zero width or
// height keeps the current one) and shows five frames of the new mode.
void SetScreenMode(int width, int height, int fullScreen);

// Applies a mode without the five frames; the frame loop uses it for the
// Alt+Enter switch, which happens between frames.
void ApplyScreenMode(int width, int height, int fullScreen);
