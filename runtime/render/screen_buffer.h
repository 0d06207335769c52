// The logical screen: a framebuffer object of the program's screen size
// that every 2D and 3D command draws into in place of the back buffer, and
// its presentation, scaled up, in the window. It has no alpha channel, like
// the window's pixel format.
#pragma once

#include <cstdint>

namespace plat {
struct Window;
}

struct ScreenBuffer {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t fbo = 0;
  uint32_t colour = 0;  // renderbuffer, RGB8
  uint32_t depth = 0;   // renderbuffer, depth 24 + stencil 8
  // With multisampling the screen resolves into this single-sample copy
  // before it is shown or read.
  uint32_t resolveFbo = 0;
  uint32_t resolveColour = 0;
  int32_t samples = 0;
  // Drawing goes straight to the window's back buffer: the window shows the
  // screen 1:1 and single-sampled, so a copy would only move every pixel to
  // where it already is. On a software rasteriser that copy costs more than
  // the rest of an empty frame together. The framebuffer object is kept for
  // when the window changes.
  bool direct = false;
  // Whether the window's own buffers can stand for the screen at all (8-bit
  // colour without alpha, 24-bit depth, 8-bit stencil); checked once per
  // screen buffer. Tests turn allowDirect off to hold the copying path.
  bool windowMatches = false;
  bool allowDirect = true;
  // Where the last presented picture landed in the window (physical pixels,
  // origin top-left, and size): the mouse maps back through it.
  int32_t viewX = 0, viewY = 0, viewW = 0, viewH = 0;
};

ScreenBuffer& LogicalScreen();

// (Re)creates the screen framebuffer at width x height with the sample count
// in LogicalScreen().samples (0 = single-sampled). False when framebuffer
// objects are missing or incomplete.
bool CreateScreenBuffer(int width, int height);
void DestroyScreenBuffer();
// Returns once the GL has carried out every command given so far, so that
// nothing is left for a software rasteriser's threads to work on.
void FinishDrawing();
// Makes the logical screen the drawing target with a viewport covering it.
void BindScreen();
// The framebuffer drawing "to the screen" lands in: the screen's own, or 0,
// the window's back buffer, while the screen is drawn there directly.
uint32_t ScreenDrawFramebuffer();
// Between frames, when the screen is blank: draws straight into the window
// while it shows the screen 1:1, through the framebuffer object otherwise.
void ChooseScreenTarget(plat::Window* window);
// The framebuffer that holds the finished picture of the logical screen
// (the resolved copy when multisampling), for reads and presenting.
uint32_t ScreenReadFramebuffer();
// Scales the logical screen into the window with black borders, swaps, and
// clears the logical screen for the next frame.
void ShowScreen(plat::Window* window);
// The scaling step alone: leaves the window's back buffer holding the
// finished picture (default framebuffer bound for drawing). A picture drawn
// straight into the window stays where it is, unless the window changed size
// in the middle of the frame; then it moves into the framebuffer object and
// is scaled from there.
void ComposeWindow(plat::Window* window);
// Shows a black picture without reading the logical screen, for the start,
// when the screen is known to be blank: the copy's first use makes a
// software rasteriser compile a shader, which a clear does not need.
void ShowBlankScreen(plat::Window* window);
// Maps a window position (physical pixels) to logical screen pixels.
void WindowToLogical(int wx, int wy, int* lx, int* ly);
