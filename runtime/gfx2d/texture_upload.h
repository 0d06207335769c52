// Turning decoded images into textures: padding to powers of two with the
// image in the lower-left corner, filling transparent texels with their
// neighbours' colour, the mipmap chain and the normal-map conversion.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/gfx2d/image_decode.h"

namespace gfx2d {

// The driver's largest texture side (cached once a context answers).
int MaxTextureSize();
// 1 doubled at least once until it reaches n: never below 2.
int PaddedSize(int n);

// An RGBA texel buffer with row 0 at the bottom, as textures store it.
struct TexelBuffer {
  int width = 0, height = 0;
  std::vector<uint8_t> texels;
  uint8_t* At(int x, int y) { return &texels[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint8_t* At(int x, int y) const {
    return &texels[(static_cast<size_t>(y) * width + x) * 4];
  }
};

// Region (x, y, w, h) of the image, flipped so its top row lands in row h-1,
// inside a zeroed paddedWidth x paddedHeight buffer.
TexelBuffer PadRegion(const ImageBuffer& image, int x, int y, int w, int h, int paddedWidth,
                      int paddedHeight);
// Gives every transparent texel the mean colour of its opaque neighbours
// that lie off the buffer's outer ring, so filtering at sprite edges does
// not bleed in black. Alpha stays 0.
void FillTransparentEdges(TexelBuffer& buffer);
// Reads blue as height and writes the Sobel normal into red, green, blue.
void MakeNormalMap(TexelBuffer& buffer);
// The mipmap chain of the buffer after squaring it: level 0 first, down to
// 1 x 1.
std::vector<TexelBuffer> BuildMipLevels(const TexelBuffer& buffer);

// A region of an image ready for the driver: padded, edge-filled (or turned
// into a normal map), with its mipmap chain when one was asked for. Made
// once, it can be uploaded any number of times.
struct PreparedTexture {
  TexelBuffer padded;
  std::vector<TexelBuffer> mipLevels;  // empty when no mipmapped copy
  bool font = false;
  size_t Bytes() const;
};

// Cuts the region (w or h of 0: to the image's edge; cut to the largest
// texture size) and prepares it. Fonts get no edge fill and no mipmaps.
// False for an empty region.
bool PrepareTexture(const ImageBuffer& image, int x, int y, int w, int h, bool withMipmaps,
                    bool normalMap, bool font, PreparedTexture& out);
// Uploads into a new texture replacing *texture and, when mipTexture is
// given and the preparation has mip levels, into a mipmapped square copy.
// Fonts get nearest filtering.
void UploadPrepared(const PreparedTexture& prepared, uint32_t* texture, uint32_t* mipTexture);

// PrepareTexture and UploadPrepared in one step (mipmaps when mipTexture is
// given).
bool UploadImage(const ImageBuffer& image, int x, int y, int w, int h, uint32_t* texture,
                 uint32_t* mipTexture, bool normalMap, bool font);

}  // namespace gfx2d
