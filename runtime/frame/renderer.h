// The renderer owns the one main window and the OpenGL context. Everything
// draws into the logical screen (render/screen_buffer.h), which presenting
// scales up into this window.
#pragma once

#include <cstdint>

#include "runtime/platform/window.h"

class Renderer {
 public:
  Renderer() = default;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  plat::Window* window = nullptr;
  int32_t colourBits = 0;
  uint8_t fullScreen = 0;
  int32_t multisample = 0;
  uint8_t glReady = 0;
  void* instance = nullptr;

  // Client size of the window for windowed mode: the largest whole scale of
  // the logical screen that fits in about 80% of the desktop.
  void WindowedClientSize(int* cw, int* ch) const;
};

// Window and context commands of the renderer.
bool CreateGLWindow(Renderer* r, void* instance, int width, int height, int colourBits,
                    int frameRate, int multisample, int fullScreen);
bool EnterFullScreen(Renderer* r);
bool EnterWindowed(Renderer* r);
bool HideWindow(Renderer* r);
// Leaves full screen, releases the logical screen, destroys the window and
// deletes the GL context (the 2D graphics are shut down before: see
// ShutdownEngine).
void DestroyRenderer(Renderer* r);

// The window procedure: activation, close and the mode-switch key.
void HandleWindowEvent(const plat::WindowEvent& e);

// Whether GL_RENDERER names a software rasteriser.
bool IsSoftwareRenderer(const char* rendererName);

// The environment variable that turns the software-renderer box off (any
// value but empty or "0").
inline constexpr const char* kNoSoftwareBoxVariable = "BRAKMOR_NO_SOFTWARE_BOX";
// Whether the software-renderer warning is shown as a box: only when the
// program allows it, the environment does not forbid it, a person gives the
// input and the display can show a box to one. The warning is in the error
// log either way.
bool SoftwareRendererBoxWanted(bool programAllows, const char* environmentValue, bool scripted,
                               bool displayShowsBoxes);
// Shows the warning box found at start-up, once, if it is wanted then. The
// frame end calls it after start-up.
void ShowPendingSoftwareRendererBox();
