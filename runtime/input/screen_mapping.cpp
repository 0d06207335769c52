#include "runtime/input/screen_mapping.h"

#include <algorithm>
#include <cmath>

#include "runtime/render/screen_buffer.h"

namespace {

// Where the picture lands in the window; the screen itself before the
// first present (or without a renderer).
void View(int* x, int* y, int* w, int* h, int* screenW, int* screenH) {
  ScreenSize(screenW, screenH);
  const ScreenBuffer& s = LogicalScreen();
  *x = s.viewX;
  *y = s.viewY;
  *w = s.viewW > 0 ? s.viewW : *screenW;
  *h = s.viewH > 0 ? s.viewH : *screenH;
}

}  // namespace

void ScreenSize(int* width, int* height) {
  // Before the screen exists, the size every program starts with.
  const ScreenBuffer& s = LogicalScreen();
  *width = s.width > 0 ? s.width : 320;
  *height = s.height > 0 ? s.height : 240;
}

void WindowToScreen(int wx, int wy, int* sx, int* sy) {
  if (LogicalScreen().width > 0) {
    WindowToLogical(wx, wy, sx, sy);
    return;
  }
  *sx = wx;
  *sy = wy;
}

void ScreenToWindow(int sx, int sy, int* wx, int* wy) {
  int vx, vy, vw, vh, w, h;
  View(&vx, &vy, &vw, &vh, &w, &h);
  *wx = vx + static_cast<int>(std::floor((sx + 0.5) * vw / w));
  *wy = vy + static_cast<int>(std::floor((sy + 0.5) * vh / h));
}

void ScreenPixelsPerWindowPixel(double* fx, double* fy) {
  int vx, vy, vw, vh, w, h;
  View(&vx, &vy, &vw, &vh, &w, &h);
  *fx = static_cast<double>(w) / vw;
  *fy = static_cast<double>(h) / vh;
}
