// The draw area, colour primitives, clearing and reading the screen.
// Colours are packed red | green << 8 | blue << 16; a primitive in the sprite
// key colour is invisible while blending is on.
#pragma once

// The area becomes the origin and the clip of all 2D drawing; a width or
// height <= 0 selects the whole target.
void SetDrawArea(int x, int y, int width, int height);
void DrawArea(int& x, int& y, int& width, int& height);
void DrawArea(double& x, double& y, double& width, double& height);
void ScreenSize(int& width, int& height);
void ScreenSize(double& width, double& height);
// Clears to black and drops the background image.
void ClearScreen();
void PlotPixel(int x, int y, int colour);
// Both end pixels included.
void DrawLine(int x1, int y1, int x2, int y2, int colour);
// Negative sizes extend left or up from (x, y), which stays inside.
void FillRect(int x, int y, int width, int height, int colour);
// Colour of a pixel of the current target (screen or surface); 0 outside.
int ReadPixel(int x, int y);
