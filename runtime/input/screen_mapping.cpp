#include "runtime/input/screen_mapping.h"

#include <algorithm>
#include <cmath>

#include "runtime/frame/engine_state.h"
#include "runtime/frame/renderer.h"

namespace {

// Where the picture lands in the window; the screen itself before the
// first present (or without a renderer).
void View(int* x, int* y, int* w, int* h, int* screenW, int* screenH) {
  ScreenSize(screenW, screenH);
  const auto* r = g_engine.renderer;
  *x = r ? r->viewX : 0;
  *y = r ? r->viewY : 0;
  *w = (r && r->viewW > 0) ? r->viewW : *screenW;
  *h = (r && r->viewH > 0) ? r->viewH : *screenH;
}

}  // namespace

void ScreenSize(int* width, int* height) {
  const auto* r = g_engine.renderer;
  *width = std::max(1, r && r->screenWidth > 0 ? r->screenWidth : g_settings.screenWidth);
  *height = std::max(1, r && r->screenHeight > 0 ? r->screenHeight : g_settings.screenHeight);
}

void WindowToScreen(int wx, int wy, int* sx, int* sy) {
  if (const auto* r = g_engine.renderer) {
    r->WindowToLogical(wx, wy, sx, sy);
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
