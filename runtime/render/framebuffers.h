// Drawing targets other than the logical screen (off-screen surfaces drawn
// into a sprite's texture), switching targets, and reading pixels back.
#pragma once

#include <cstdint>

namespace render {

// Byte layout of pixels read back from a framebuffer.
enum class PixelLayout { Rgb, Bgr, Bgra };

// Whether framebuffers can be bound at all.
bool HasFramebuffers();
// Binds for drawing and reading, or for reading alone.
void BindTarget(uint32_t framebuffer);
void BindReadTarget(uint32_t framebuffer);

// Whether the entry points of a texture target are all present.
bool CanMakeTextureTargets();
// A framebuffer drawing into `texture`, with a depth buffer (and a stencil
// buffer, where the driver has them combined) of the same size. False when the driver calls it
// incomplete; then *framebuffer and *depthBuffer are 0. Leaves the new framebuffer bound.
bool CreateTextureTarget(uint32_t texture, int width, int height, uint32_t* framebuffer,
                         uint32_t* depthBuffer);
// Binds the framebuffer with the texture and depth buffer attached again.
void AttachTextureTarget(uint32_t framebuffer, uint32_t depthBuffer, uint32_t texture);
// Zero names are skipped; nothing happens without the entry points.
void DeleteTextureTarget(uint32_t framebuffer, uint32_t depthBuffer);

// Alpha bits of the framebuffer bound for reading.
int ReadTargetAlphaBits();
// A rectangle of the framebuffer bound for reading (GL rows, bottom-up).
void ReadPixels(int x, int y, int width, int height, PixelLayout layout, void* out);

}  // namespace render
