// The sprite table and the tiled background slots: loading, freeing, and
// the alpha masks collision tests read.
#include <algorithm>
#include <cstring>

#include "runtime/core/load_report.h"
#include "runtime/files/archive.h"
#include "runtime/files/files_service.h"
#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/image_cache.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx2d/texture_upload.h"
#include "runtime/render/draw_state.h"
#include "runtime/render/submit.h"
#include "runtime/render/textures.h"

namespace gfx2d {

namespace {
// Tiles of background images are at most this large even where the driver
// allows bigger textures.
constexpr int kMaxBackgroundTile = 512;
}  // namespace

bool ResolveImageName(const char* name, std::string& path) {
  if (!name || !*name) return false;
  return ResolveAssetName(DataArchive(), name, path, true);
}

void FreeSprite(int slot) {
  if (!ValidSlot(slot)) return;
  Gfx2dState& g = Gfx2d();
  SpriteSlot& s = g.sprites[slot];
  if (ContextAlive()) {
    if (s.texture) render::DeleteTexture(s.texture);
    if (s.mipTexture) render::DeleteTexture(s.mipTexture);
  }
  s.texture = s.mipTexture = 0;
  render::ForgetBoundTexture();
  s.paddedWidth = s.paddedHeight = -1;
  s.width = s.height = 0;
  g.alphaMasks[slot].reset();
}

namespace {

// The picture prepared as a sprite (or font) slot holds it, from the cache
// when the same contents were prepared the same way before.
std::shared_ptr<const CachedImage> PreparedSprite(const char* name, int32_t key, bool normalMap,
                                                  bool font) {
  std::vector<uint8_t> bytes;
  if (!ReadImageBytes(name, bytes)) return nullptr;
  const std::string cacheKey = ImageCacheKey(normalMap ? 'n' : (font ? 'f' : 's'), key, bytes);
  if (auto cached = FindCachedImage(cacheKey)) return cached;
  ImageBuffer image;
  if (!DecodeImageBytes(bytes, name, key, image) || image.width <= 0 || image.height <= 0)
    return nullptr;
  auto made = std::make_shared<CachedImage>();
  made->width = image.width;
  made->height = image.height;
  made->parts.emplace_back();
  if (!PrepareTexture(image, 0, 0, 0, 0, !font, normalMap, font, made->parts.back())) {
    return nullptr;
  }
  KeepCachedImage(cacheKey, made);
  return made;
}

// The picture cut into background tiles of side t, rows of columns; the
// bytes were read already (their key decides whether the slot has them).
std::shared_ptr<const CachedImage> PreparedBackground(const std::vector<uint8_t>& bytes,
                                                      const char* name, int t,
                                                      const std::string& cacheKey) {
  if (auto cached = FindCachedImage(cacheKey)) return cached;
  ImageBuffer image;
  if (!DecodeImageBytes(bytes, name, kNoColourKey, image) || image.width <= 0 || image.height <= 0)
    return nullptr;
  auto made = std::make_shared<CachedImage>();
  made->width = image.width;
  made->height = image.height;
  // Whatever lies beyond the tile grid is cut off rather than written past it.
  for (int row = 0; row < kBackgroundGrid && row * t < image.height; ++row) {
    for (int column = 0; column < kBackgroundGrid && column * t < image.width; ++column) {
      made->parts.emplace_back();
      if (!PrepareTexture(image, column * t, row * t, t, t, false, false, false,
                          made->parts.back())) {
        return nullptr;
      }
    }
  }
  KeepCachedImage(cacheKey, made);
  return made;
}

int BackgroundTileSide() {
  return std::min(MaxTextureSize(), kMaxBackgroundTile);
}

}  // namespace

void ReportImageLoadFailure(const char* command, const char* name, int32_t key) {
  std::string reason;
  std::string path;
  std::vector<uint8_t> bytes;
  ImageBuffer image;
  // An empty name is how a program empties a slot or picks the built-in
  // font: nothing failed.
  if (!name || !*name) return;
  if (!ResolveImageName(name, path)) {
    reason = "no such file";
  } else if (!ReadImageBytes(path.c_str(), bytes)) {
    reason = "the file cannot be read";
  } else if (!DecodeImageBytes(bytes, path.c_str(), key, image) || image.width <= 0 ||
             image.height <= 0) {
    const std::string side = std::to_string(MaxTextureSize());
    reason = "not a BMP or PNG image the runtime can read, or larger than " + side + " x " + side +
             " pixels";
  } else {
    reason = "the graphics driver did not take the texture";
  }
  ReportLoadFailure(command, name, reason);
}

bool LoadIntoSlot(int slot, const char* name, int32_t key, bool normalMap) {
  if (!ValidSlot(slot)) return false;
  FreeSprite(slot);
  const bool font = slot >= kFirstFontSlot;
  const std::shared_ptr<const CachedImage> image = PreparedSprite(name, key, normalMap, font);
  if (!image) return false;
  SpriteSlot& s = Gfx2d().sprites[slot];
  UploadPrepared(image->parts[0], &s.texture, font ? nullptr : &s.mipTexture);
  s.paddedWidth = static_cast<int16_t>(PaddedSize(image->width));
  s.paddedHeight = static_cast<int16_t>(PaddedSize(image->height));
  s.width = static_cast<int16_t>(image->width);
  s.height = static_cast<int16_t>(image->height);
  return true;
}

const uint8_t* AlphaMask(int slot) {
  if (!ValidSlot(slot)) return nullptr;
  Gfx2dState& g = Gfx2d();
  const SpriteSlot& s = g.sprites[slot];
  if (s.Empty()) return nullptr;
  std::unique_ptr<uint8_t[]>& mask = g.alphaMasks[slot];
  if (!mask) {
    mask = std::make_unique<uint8_t[]>(static_cast<size_t>(s.paddedWidth) * s.paddedHeight);
    render::ReadTextureAlpha(s.texture, mask.get());
    render::ForgetBoundTexture();
    BindSpriteTexture(-1);
  }
  return mask.get();
}

void FreeBackgroundSlot(int slot) {
  if (slot < 0 || slot >= kBackgroundSlots) return;
  BackgroundSlot& b = Gfx2d().backgrounds[slot];
  if (ContextAlive())
    for (auto& column : b.tiles)
      for (auto& tile : column)
        if (tile.texture) render::DeleteTexture(tile.texture);
  render::ForgetBoundTexture();
  b = BackgroundSlot{};
}

bool LoadBackgroundSlot(int slot, const char* name) {
  if (slot < 0 || slot >= kBackgroundSlots) return false;
  const int t = BackgroundTileSide();
  std::vector<uint8_t> bytes;
  if (!ReadImageBytes(name, bytes)) return false;
  const std::string cacheKey = ImageCacheKey('b', t, bytes);
  BackgroundSlot& b = Gfx2d().backgrounds[slot];
  if (cacheKey == b.sourceKey && b.columns > 0) return true;
  const std::shared_ptr<const CachedImage> image = PreparedBackground(bytes, name, t, cacheKey);
  if (!image) return false;
  FreeBackgroundSlot(slot);
  size_t part = 0;
  for (int row = 0; row < kBackgroundGrid && row * t < image->height; ++row) {
    int column = 0;
    for (; column < kBackgroundGrid && column * t < image->width; ++column) {
      BackgroundTile& tile = b.tiles[column][row];
      UploadPrepared(image->parts[part++], &tile.texture, nullptr);
      tile.textureWidth = tile.textureHeight = tile.usedWidth = tile.usedHeight = t;
    }
    b.columns = std::max(b.columns, column);
    b.rows = row + 1;
  }
  b.sourceKey = cacheKey;
  return true;
}

void DrawBackgroundSlot(int slot) {
  if (slot < 0 || slot >= kBackgroundSlots) return;
  const BackgroundSlot& b = Gfx2d().backgrounds[slot];
  if (b.columns == 0 || b.rows == 0) return;
  render::SetAlphaTest(false);
  // Unbinding through the sprite path also turns the second unit off.
  BindSpriteTexture(-1);
  render::ForgetBoundTexture();
  render::EnableTexturing(true);
  float left = 0;
  for (int c = 0; c < b.columns; ++c) {
    float top = 0;
    int columnWidth = 0;
    for (int r = 0; r < b.rows; ++r) {
      const BackgroundTile& tile = b.tiles[c][r];
      if (!tile.texture) continue;
      render::BindTexture(tile.texture);
      render::SetFilter(render::Filter::Nearest);
      const float u = static_cast<float>(tile.usedWidth) / tile.textureWidth;
      const float v = static_cast<float>(tile.usedHeight) / tile.textureHeight;
      const float right = left + tile.usedWidth, bottom = top + tile.usedHeight;
      const float quad[4][4] = {
          {left, bottom, 0, 0}, {right, bottom, u, 0}, {right, top, u, v}, {left, top, 0, v}};
      render::DrawQuad(quad);
      SelectFilter();
      top = bottom;
      columnWidth = tile.usedWidth;
    }
    left += columnWidth;
  }
  render::SetAlphaTest(true);
  render::ForgetBoundTexture();
  BindSpriteTexture(-1);
}

}  // namespace gfx2d

using namespace gfx2d;

namespace {

bool LoadSpriteFile(const char* command, const RtString& name, int slot, int32_t key,
                    bool normalMap) {
  if (!ValidSlot(slot)) return false;
  FreeSprite(slot);
  std::string path;
  if (ResolveImageName(name.c_str(), path) && LoadIntoSlot(slot, path.c_str(), key, normalMap))
    return true;
  ReportImageLoadFailure(command, name.c_str(), key);
  return false;
}

}  // namespace

bool SpriteFromFile(const RtString& name, int slot) {
  return LoadSpriteFile("SpriteFromFile", name, slot, Gfx2d().spriteKey, false);
}

bool AnimationFromFile(const RtString& name, int slot, int frameWidth, int frameHeight) {
  if (!LoadSpriteFile("AnimationFromFile", name, slot, Gfx2d().spriteKey, false)) return false;
  SpriteSlot& s = Gfx2d().sprites[slot];
  s.frameWidth = static_cast<int16_t>(std::clamp(frameWidth, 0, 32767));
  s.frameHeight = static_cast<int16_t>(std::clamp(frameHeight, 0, 32767));
  return true;
}

bool NormalMapFromFile(const RtString& name, int slot) {
  return LoadSpriteFile("NormalMapFromFile", name, slot, kDefaultSpriteKey, true);
}

void SetColourKey(int colour) {
  Gfx2d().spriteKey = colour;
  Gfx2d().fontKey = colour;
}

void PreloadSpriteFile(const RtString& name) {
  std::string path;
  if (ResolveImageName(name.c_str(), path))
    PreparedSprite(path.c_str(), Gfx2d().spriteKey, false, false);
}

void PreloadBackgroundFile(const RtString& name) {
  std::string path;
  std::vector<uint8_t> bytes;
  if (!ResolveImageName(name.c_str(), path) || !ReadImageBytes(path.c_str(), bytes)) return;
  const int t = BackgroundTileSide();
  PreparedBackground(bytes, path.c_str(), t, ImageCacheKey('b', t, bytes));
}

bool BackgroundFromFile(const RtString& name) {
  std::string path;
  if (ResolveImageName(name.c_str(), path) && LoadBackgroundSlot(0, path.c_str())) {
    DrawBackgroundSlot(0);
    return true;
  }
  ReportImageLoadFailure("BackgroundFromFile", name.c_str(), kNoColourKey);
  FreeBackgroundSlot(0);
  render::ClearColour();
  return false;
}

void SpriteSize(int slot, int& width, int& height) {
  width = height = 0;
  if (!ValidSlot(slot)) return;
  width = Gfx2d().sprites[slot].width;
  height = Gfx2d().sprites[slot].height;
}

void SpriteSize(int slot, double& width, double& height) {
  int w, h;
  SpriteSize(slot, w, h);
  width = w;
  height = h;
}

uint32_t SpriteTextureId(int slot) {
  return ValidSlot(slot) ? Gfx2d().sprites[slot].texture : 0;
}
