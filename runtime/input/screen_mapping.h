// Between window pixels and the logical screen the game draws on. The one
// place the input layer reaches the renderer.
#pragma once

void WindowToScreen(int wx, int wy, int* sx, int* sy);
// The window pixel at the centre of screen pixel (sx, sy).
void ScreenToWindow(int sx, int sy, int* wx, int* wy);
// Logical screen pixels per window pixel, per axis.
void ScreenPixelsPerWindowPixel(double* fx, double* fy);
void ScreenSize(int* width, int* height);
