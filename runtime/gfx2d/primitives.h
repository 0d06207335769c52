// The draw area, colour primitives, clearing and reading the screen.
// Colours are packed red | green << 8 | blue << 16 (0x0000FF is red); a
// primitive in the sprite key colour is invisible while blending is on.
// Positions are pixels from the draw area's top-left corner; the draw area
// is the whole logical screen (g_settings.screenWidth x screenHeight, however
// large the window) or the selected surface unless SetDrawArea narrowed it.
#pragma once

// The area becomes the origin and the clip of all 2D drawing; a width or
// height <= 0 selects the whole target. Also turns sprite filtering back on.
void SetDrawArea(int x, int y, int width, int height);
// The current draw area.
void DrawArea(int& x, int& y, int& width, int& height);
void DrawArea(double& x, double& y, double& width, double& height);
// The logical screen's size in pixels (not the window's).
void ScreenSize(int& width, int& height);
void ScreenSize(double& width, double& height);
// Clears to black and drops the background image.
void ClearScreen();
// Sets one pixel to the packed colour.
void PlotPixel(int x, int y, int colour);
// A one-pixel line in the packed colour, both end pixels included.
void DrawLine(int x1, int y1, int x2, int y2, int colour);
// A filled rectangle of width x height pixels from (x, y) in the packed
// colour. Negative sizes extend left or up from (x, y), which stays inside.
void FillRect(int x, int y, int width, int height, int colour);
// Colour of a pixel of the current target (screen or surface); 0 outside.
int ReadPixel(int x, int y);
