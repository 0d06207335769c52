// The renderer owns the one main window, the OpenGL context and the logical
// screen: a screenWidth x screenHeight framebuffer object that every 2D and
// 3D command draws into and that presenting scales up to the window.
#pragma once

#include <cstdint>

#include "runtime/platform/platform.h"

class RareDEZazovire {
 public:
  RareDEZazovire() = default;
  ~RareDEZazovire();
  RareDEZazovire(const RareDEZazovire&) = delete;
  RareDEZazovire& operator=(const RareDEZazovire&) = delete;

  // Window fields.
  plat::Window* window = nullptr;
  int32_t screenWidth = 0;
  int32_t screenHeight = 0;
  int32_t colourBits = 0;
  uint8_t fullScreen = 0;
  int32_t multisample = 0;
  int32_t drawX = 0, drawY = 0, drawWidth = 0, drawHeight = 0;  // the draw area
  uint8_t glReady = 0;
  double nextFrameTime = 0;
  double msPerFrame = 1000.0 / 60.0;
  void* instance = nullptr;

  // The logical screen. Drawing "to the screen" means drawing into this
  // framebuffer; it has no alpha channel, like the window's pixel format.
  uint32_t screenFbo = 0;
  uint32_t screenColour = 0;  // renderbuffer, RGB8
  uint32_t screenDepth = 0;   // renderbuffer, depth 24 + stencil 8
  // With multisampling the screen resolves into this single-sample copy
  // before it is shown or read.
  uint32_t resolveFbo = 0;
  uint32_t resolveColour = 0;
  int32_t screenSamples = 0;

  // Where the last presented picture landed in the window (physical pixels,
  // origin top-left, and size): the mouse maps back through it.
  int32_t viewX = 0, viewY = 0, viewW = 0, viewH = 0;

  // (Re)creates the screen framebuffer at screenWidth x screenHeight.
  bool CreateScreenBuffer();
  void DestroyScreenBuffer();
  // Makes the logical screen the drawing target with a viewport covering it.
  void BindScreen();
  // The framebuffer that holds the finished picture of the logical screen
  // (the resolved copy when multisampling), for reads and presenting.
  uint32_t ScreenReadFramebuffer();
  // Scales the logical screen into the window with black borders, swaps,
  // and clears the logical screen for the next frame.
  void ShowScreen();
  // The scaling step alone: leaves the window's back buffer holding the
  // finished picture (default framebuffer bound for drawing).
  void ComposeWindow();
  // Maps a window position (physical pixels) to logical screen pixels.
  void WindowToLogical(int wx, int wy, int* lx, int* ly) const;
  // Client size of the window for windowed mode: the largest whole scale of
  // the logical screen that fits in about 80% of the desktop.
  void WindowedClientSize(int* cw, int* ch) const;
};

// Window and context commands of the renderer.
bool CreateGLWindow(RareDEZazovire* r, void* instance, int width, int height, int colourBits,
                    int frameRate, int multisample, int fullScreen);
bool EnterFullScreen(RareDEZazovire* r);
bool EnterWindowed(RareDEZazovire* r);
bool HideWindow(RareDEZazovire* r);
// Releases surfaces and textures, leaves full screen, destroys the window and
// deletes the GL context.
void DestroyRenderer(RareDEZazovire* r);
// Number of samples the screen may use for a multisample request, or 0.
int ChooseMultisampleFormat(int samples);

// The window procedure: activation, close and the mode-switch key.
void HandleWindowEvent(const plat::WindowEvent& e);

// Whether GL_RENDERER names a software rasteriser.
bool IsSoftwareRenderer(const char* rendererName);
