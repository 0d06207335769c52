// The end-of-frame step, frame pacing and the millisecond clock.
#pragma once

class RareDEZazovire;

void EndFrame();
// Shows the finished frame and waits for its slot on the absolute schedule.
// Returns the milliseconds waited plus 1.
double PresentFrame(RareDEZazovire* renderer);
// Dispatches every pending window message; returns 1.
int PumpMessages(RareDEZazovire* renderer);

double TimerNow();
double ElapsedTime();
double FrameTime();
void Delay(double ms);
void SetFrameRate(double fps);
int IsFullScreen();
void SetAutoPause(int flag);

// Milliseconds per frame for a frame rate: 1000 / n for a positive whole
// rate n, else 2 (at most 500 frames a second).
double MsPerFrameFor(double fps);
