// Pictures as they were prepared for the driver, kept by the identity of
// the file they came from. Loading the same unchanged file again (a program
// that reloads its pictures for every run, every frame's background) then
// costs only the upload, not the decoding, edge fill and mipmaps again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/gfx2d/texture_upload.h"

namespace gfx2d {

struct CachedImage {
  int width = 0, height = 0;
  // One part for a sprite; a background's tiles, rows of columns.
  std::vector<PreparedTexture> parts;
  size_t Bytes() const;
};

// What a file's contents are cached under: how they are prepared (kind and
// colour key) and a hash of the bytes with their count. Keyed by contents,
// not by name or time stamp, a file rewritten a moment ago (within the file
// system's time resolution) or an archive entry unpacked under a reused
// name never finds another picture.
std::string ImageCacheKey(char kind, int32_t colourKey, const std::vector<uint8_t>& bytes);
// Null when nothing is kept under the key (or the key is empty).
std::shared_ptr<const CachedImage> FindCachedImage(const std::string& key);
// Keeps the image, dropping the least recently used ones beyond the budget.
void KeepCachedImage(const std::string& key, std::shared_ptr<const CachedImage> image);
void ClearImageCache();
size_t ImageCacheBytes();

// The cache's size limit: enough for a game's worth of full-screen
// pictures with their mipmaps, small next to what the textures take.
inline constexpr size_t kImageCacheBudget = 48u << 20;

}  // namespace gfx2d
