// The end-of-frame step and frame pacing.
#pragma once

class Renderer;

// Ends the frame: reads input, ends the program on Escape (while
// SetEscapeQuits is on) or Alt+F4, shows the logical screen scaled into the
// window and waits for the next slot of the frame rate's schedule (60 frames
// a second unless changed). Every program's loop calls it once a frame;
// while the window is inactive (auto-pause) it holds the program here.
void EndFrame();
// Shows the finished frame and waits for its slot on the absolute schedule.
// Returns the milliseconds waited plus 1.
double PresentFrame(Renderer* renderer);
// PresentFrame for a logical screen known to be blank (the start): shows
// black without copying the screen.
double PresentBlankFrame(Renderer* renderer);
// Dispatches every pending window message; returns 1.
int PumpMessages(Renderer* renderer);

// Sleeps for the whole milliseconds of ms (below 1: not at all). The
// window is not serviced meanwhile; keep delays short.
void Delay(double ms);
// Frames per second EndFrame keeps to from now on: a positive whole rate,
// anything else meaning as fast as 500 a second.
void SetFrameRate(double fps);
// 1 while the window fills the screen, else 0.
int IsFullScreen();
// Nonzero (the default): EndFrame holds the program while its window is
// inactive; 0 runs on. Debug mode never pauses.
void SetAutoPause(int flag);

// Stores the three values in the settings, applies them (a zero width or
// height keeps the current one) and shows five frames of the new mode.
// width x height is the logical screen; fullScreen 0 is a window.
void SetScreenMode(int width, int height, int fullScreen);
