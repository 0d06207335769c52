#include "runtime/gfx2d/texture_upload.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/render/textures.h"

namespace gfx2d {

int MaxTextureSize() {
  static int cached = 0;
  if (cached > 0) return cached;
  const int size = render::QueryMaxTextureSize();
  if (size > 0) cached = size;
  // Without a context, decoding still has a sane limit.
  return size > 0 ? size : 8192;
}

int PaddedSize(int n) {
  int size = 1;
  do {
    size *= 2;
  } while (size < n && size < (1 << 30));
  return size;
}

TexelBuffer PadRegion(const ImageBuffer& image, int x, int y, int w, int h, int paddedWidth,
                      int paddedHeight) {
  TexelBuffer out;
  out.width = paddedWidth;
  out.height = paddedHeight;
  out.texels.assign(static_cast<size_t>(paddedWidth) * paddedHeight * 4, 0);
  for (int r = 0; r < h && r < paddedHeight; ++r) {
    const int sy = y + r;
    if (sy < 0 || sy >= image.height) continue;
    const int x0 = std::max(x, 0);
    const int x1 = std::min({x + w, image.width, x + paddedWidth});
    if (x1 <= x0) continue;
    std::memcpy(out.At(x0 - x, h - 1 - r), image.Pixel(x0, sy), static_cast<size_t>(x1 - x0) * 4);
  }
  return out;
}

void FillTransparentEdges(TexelBuffer& b) {
  const int w = b.width, h = b.height;
  if (w < 3 || h < 3) {
    // No texel lies off the outer ring, so nothing can be counted.
    for (size_t i = 0; i < b.texels.size(); i += 4)
      if (b.texels[i + 3] == 0) b.texels[i] = b.texels[i + 1] = b.texels[i + 2] = 0;
    return;
  }
  // Rows and columns holding an opaque texel off the outer ring: a texel
  // with none of them next to it has nothing to average, which skips the
  // padding of large images cheaply.
  std::vector<uint8_t> rowHas(h, 0), columnHas(w, 0);
  for (int y = 1; y < h - 1; ++y)
    for (int x = 1; x < w - 1; ++x)
      if (b.At(x, y)[3] != 0) rowHas[y] = columnHas[x] = 1;
  auto near = [](const std::vector<uint8_t>& has, int i, int n) {
    return has[i] || (i > 0 && has[i - 1]) || (i + 1 < n && has[i + 1]);
  };
  const size_t stride = static_cast<size_t>(w) * 4;
  for (int y = 0; y < h; ++y) {
    const bool rowNear = near(rowHas, y, h);
    const int y0 = std::max(y - 1, 1), y1 = std::min(y + 1, h - 2);
    for (int x = 0; x < w; ++x) {
      uint8_t* t = b.At(x, y);
      if (t[3] != 0) continue;
      if (!rowNear || !near(columnHas, x, w)) {
        t[0] = t[1] = t[2] = 0;
        continue;
      }
      const int x0 = std::max(x - 1, 1), x1 = std::min(x + 1, w - 2);
      int r = 0, g = 0, bl = 0, count = 0;
      for (int ny = y0; ny <= y1; ++ny) {
        const uint8_t* n = &b.texels[ny * stride + static_cast<size_t>(x0) * 4];
        for (int nx = x0; nx <= x1; ++nx, n += 4) {
          // The texel itself is transparent, so it never counts.
          if (n[3] == 0) continue;
          r += n[0];
          g += n[1];
          bl += n[2];
          ++count;
        }
      }
      t[0] = count ? static_cast<uint8_t>(r / count) : 0;
      t[1] = count ? static_cast<uint8_t>(g / count) : 0;
      t[2] = count ? static_cast<uint8_t>(bl / count) : 0;
    }
  }
}

void MakeNormalMap(TexelBuffer& b) {
  const int w = b.width, h = b.height;
  TexelBuffer out = b;
  auto height = [&](int x, int y) {
    x = (x % w + w) % w;
    y = (y % h + h) % h;
    return b.At(x, y)[2] / 255.0;
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double a = height(x - 1, y + 1), bb = height(x, y + 1), c = height(x + 1, y + 1);
      const double d = height(x - 1, y - 1), e = height(x, y - 1), f = height(x + 1, y - 1);
      const double g = height(x - 1, y), hh = height(x + 1, y);
      double nx = -(c + f + 2 * hh - a - d - 2 * g);
      double ny = -(f + d + 2 * e - c - a - 2 * bb);
      double nz = 1;
      const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
      nx /= length;
      ny /= length;
      nz /= length;
      uint8_t* t = out.At(x, y);
      t[0] = static_cast<uint8_t>((nx + 1) / 2 * 255);
      t[1] = static_cast<uint8_t>((ny + 1) / 2 * 255);
      t[2] = static_cast<uint8_t>((nz + 1) / 2 * 255);
    }
  }
  b = std::move(out);
}

namespace {

// Halves the longer side, each new texel the mean of the two it replaces.
TexelBuffer HalveLongerSide(const TexelBuffer& b) {
  TexelBuffer out;
  const bool wide = b.width > b.height;
  out.width = wide ? b.width / 2 : b.width;
  out.height = wide ? b.height : b.height / 2;
  out.texels.resize(static_cast<size_t>(out.width) * out.height * 4);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const uint8_t* p = wide ? b.At(2 * x, y) : b.At(x, 2 * y);
      const uint8_t* q = wide ? b.At(2 * x + 1, y) : b.At(x, 2 * y + 1);
      uint8_t* t = out.At(x, y);
      for (int c = 0; c < 4; ++c) t[c] = static_cast<uint8_t>((p[c] + q[c]) / 2);
    }
  return out;
}

// Own texel weighs 4, the right and lower neighbours 2 each, the diagonal 1.
TexelBuffer NextMipLevel(const TexelBuffer& b) {
  TexelBuffer out;
  out.width = std::max(1, b.width / 2);
  out.height = std::max(1, b.height / 2);
  out.texels.resize(static_cast<size_t>(out.width) * out.height * 4);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const int sx = 2 * x, sy = 2 * y;
      const bool right = sx + 1 < b.width, lower = sy + 1 < b.height;
      const uint8_t* own = b.At(sx, sy);
      uint8_t* t = out.At(x, y);
      for (int c = 0; c < 4; ++c) {
        int v;
        if (right && lower)
          v = (4 * own[c] + 2 * b.At(sx + 1, sy)[c] + 2 * b.At(sx, sy + 1)[c] +
               b.At(sx + 1, sy + 1)[c]) /
              9;
        else if (right)
          v = (2 * own[c] + b.At(sx + 1, sy)[c]) / 3;
        else if (lower)
          v = (2 * own[c] + b.At(sx, sy + 1)[c]) / 3;
        else
          v = own[c];
        t[c] = static_cast<uint8_t>(v);
      }
    }
  return out;
}

}  // namespace

std::vector<TexelBuffer> BuildMipLevels(const TexelBuffer& buffer) {
  std::vector<TexelBuffer> levels;
  TexelBuffer square = buffer;
  while (square.width != square.height) square = HalveLongerSide(square);
  levels.push_back(std::move(square));
  while (levels.back().width > 1) levels.push_back(NextMipLevel(levels.back()));
  return levels;
}

size_t PreparedTexture::Bytes() const {
  size_t bytes = padded.texels.size();
  for (const TexelBuffer& level : mipLevels) bytes += level.texels.size();
  return bytes;
}

bool PrepareTexture(const ImageBuffer& image, int x, int y, int w, int h, bool withMipmaps,
                    bool normalMap, bool font, PreparedTexture& out) {
  const int maxSize = MaxTextureSize();
  if (w == 0) w = image.width - x;
  if (h == 0) h = image.height - y;
  if (w <= 0 || h <= 0) return false;
  w = std::min(w, maxSize);
  h = std::min(h, maxSize);
  const int pw = std::min(PaddedSize(w), maxSize);
  const int ph = std::min(PaddedSize(h), maxSize);

  out.font = font;
  out.padded = PadRegion(image, x, y, w, h, pw, ph);
  if (!font) FillTransparentEdges(out.padded);
  if (normalMap) MakeNormalMap(out.padded);
  out.mipLevels.clear();
  if (withMipmaps && !font) out.mipLevels = BuildMipLevels(out.padded);
  return true;
}

void UploadPrepared(const PreparedTexture& prepared, uint32_t* texture, uint32_t* mipTexture) {
  using render::Filter;
  const bool font = prepared.font;
  render::ResetUnpacking();
  if (*texture) render::DeleteTexture(*texture);
  *texture = render::CreateTexture();
  render::BindTexture(*texture);
  const Filter filter = font ? Filter::Nearest : Filter::Linear;
  render::SetSampling(filter, filter);
  render::UploadLevel(0, prepared.padded.width, prepared.padded.height, render::TexelOrder::Rgba,
                      prepared.padded.texels.data());

  if (mipTexture && !prepared.mipLevels.empty()) {
    if (*mipTexture) render::DeleteTexture(*mipTexture);
    *mipTexture = render::CreateTexture();
    render::BindTexture(*mipTexture);
    render::SetSampling(Filter::Linear, Filter::LinearMipmapLinear);
    const std::vector<TexelBuffer>& levels = prepared.mipLevels;
    for (size_t level = 0; level < levels.size(); ++level)
      render::UploadLevel(static_cast<int>(level), levels[level].width, levels[level].height,
                          render::TexelOrder::Rgba, levels[level].texels.data());
  }
  render::BindTexture(0);
  render::ForgetBoundTexture();
}

bool UploadImage(const ImageBuffer& image, int x, int y, int w, int h, uint32_t* texture,
                 uint32_t* mipTexture, bool normalMap, bool font) {
  if (!texture) return false;
  PreparedTexture prepared;
  if (!PrepareTexture(image, x, y, w, h, mipTexture != nullptr, normalMap, font, prepared))
    return false;
  UploadPrepared(prepared, texture, mipTexture);
  return true;
}

}  // namespace gfx2d
