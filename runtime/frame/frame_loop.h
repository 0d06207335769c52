// The end-of-frame step and frame pacing.
#pragma once

class Renderer;

void EndFrame();
// Shows the finished frame and waits for its slot on the absolute schedule.
// Returns the milliseconds waited plus 1.
double PresentFrame(Renderer* renderer);
// PresentFrame for a logical screen known to be blank (the start): shows
// black without copying the screen.
double PresentBlankFrame(Renderer* renderer);
// Dispatches every pending window message; returns 1.
int PumpMessages(Renderer* renderer);

void Delay(double ms);
void SetFrameRate(double fps);
int IsFullScreen();
void SetAutoPause(int flag);

// Stores the three values in the settings, applies them (a zero width or
// height keeps the current one) and shows five frames of the new mode.
void SetScreenMode(int width, int height, int fullScreen);
