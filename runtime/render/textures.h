// Texture objects: making, filling, sampling and reading them back, and the
// binding draws use, which skips what the driver already has bound.
#pragma once

#include <cstddef>
#include <cstdint>

namespace render {

enum class Filter { Nearest, Linear, LinearMipmapLinear };
// Byte order of the four channels of a texel in memory.
enum class TexelOrder { Rgba, Bgra };

// The driver's largest texture side, or 0 when no context answers.
int QueryMaxTextureSize();

uint32_t CreateTexture();
// Zero names are skipped by the driver.
void DeleteTextures(const uint32_t* textures, size_t count);
inline void DeleteTexture(const uint32_t& texture) {
  DeleteTextures(&texture, 1);
}

// Binds on the active unit past the cached binding: callers forget the cache
// (ForgetBoundTexture) once they are done with the texture.
void BindTexture(uint32_t texture);
// Tightly packed rows, read from the start of the buffer.
void ResetUnpacking();
// Repeating wrap and the two filters, on the bound texture.
void SetSampling(Filter magnify, Filter minify);
// One filter both ways, on the bound texture.
void SetFilter(Filter filter);
// (Re)defines one level of the bound texture as RGBA8; null texels leave
// the contents undefined.
void UploadLevel(int level, int width, int height, TexelOrder order, const void* texels);
// Copies a rectangle of the framebuffer bound for reading into the bound
// texture's corner.
void CopyReadTargetToTexture(int x, int y, int width, int height);
// Level 0 of a texture as BGR bytes, or its alpha plane; rows unpadded.
void ReadTextureBgr(uint32_t texture, void* out);
void ReadTextureAlpha(uint32_t texture, void* out);

// The cached binding. Draws see one texture on unit 0 (or none), or with a
// second unit two: `first` on unit 1 and `second` on unit 0, as the
// two-texture combine reads them. Without a second unit `first` alone is
// bound.
void BindDrawTextures(bool textured, uint32_t first, bool withSecond, uint32_t second);
// Turns texturing on unit 0 on or off unless it already is.
void EnableTexturing(bool on);
// After binding, deleting or toggling textures past the cache.
void ForgetBoundTexture();
// As ForgetBoundTexture, and the second unit may be on too: after a state
// reset or a 3D pass.
void ForgetTextureUnits();

}  // namespace render
