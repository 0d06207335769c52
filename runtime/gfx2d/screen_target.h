// The one place the 2D renderer reaches the logical screen: the framebuffer
// object that stands for the back buffer, its size, and whether textures may
// still be deleted.
#pragma once

#include <cstdint>

namespace gfx2d {

int ScreenWidth();
int ScreenHeight();
// The framebuffer drawing "to the screen" lands in.
uint32_t ScreenFramebuffer();
// The framebuffer holding the finished picture (resolved first when
// multisampled); leaves the screen bound for drawing.
uint32_t ScreenReadFramebuffer();
// True while the GL context lives and GL objects may be deleted.
bool ContextAlive();

}  // namespace gfx2d
