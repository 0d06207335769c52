// Mouse commands. Positions are logical screen pixels.
#pragma once

#include <cstdint>

// 0 dx, 1 dy, 2 wheel (-1, 0, 1), 3 left, 4 right, 5 middle button (0 or
// 1); anything else 0. Motion is computed once per frame.
double MouseReading(double kind);
// Position clamped to the screen (and stored so), buttons 0 or 1.
void MouseState(double& x, double& y, double& left, double& right);
void MouseStateInt(int32_t& x, int32_t& y, int32_t& left, int32_t& right);  // See MouseState.
// Shows (nonzero) or hides the cursor over the window. It shows from the
// start unless the settings' exclusiveMouse is set; while hidden the mouse
// reports motion without leaving the window.
void ShowMouse(int flag);
// Sets the stored position only; the cursor does not move.
void SetMousePosition(int x, int y);

// ---- shared with the rest of the input layer ----
struct MouseReport {
  int16_t left = 0, right = 0, middle = 0;
  int16_t dx = 0, dy = 0, wheel = 0;
};
MouseReport ReadMouse();
// Clamps the stored position into the screen and writes it back.
void ClampMousePosition();
// Opens a new input frame: the next mouse read computes fresh motion.
void OpenInputFrame();
// Opens a new frame and tells whether any button is down.
bool AnyMouseButtonDown();
// Puts the cursor mode (relative, shown) in force after a window change.
void ApplyMouseMode();
