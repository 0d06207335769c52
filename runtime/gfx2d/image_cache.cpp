#include "runtime/gfx2d/image_cache.h"

#include <cstdio>
#include <list>
#include <unordered_map>
#include <utility>

namespace gfx2d {

namespace {

struct Cache {
  // Most recently used first.
  std::list<std::pair<std::string, std::shared_ptr<const CachedImage>>> entries;
  std::unordered_map<std::string, decltype(entries)::iterator> byKey;
  size_t bytes = 0;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

}  // namespace

size_t CachedImage::Bytes() const {
  size_t total = 0;
  for (const PreparedTexture& part : parts) total += part.Bytes();
  return total;
}

std::string ImageCacheKey(char kind, int32_t colourKey, const std::vector<uint8_t>& bytes) {
  // FNV-1a, 64 bits: fast, and with the byte count a collision between two
  // pictures is not a practical concern.
  uint64_t hash = 1469598103934665603ull;
  for (uint8_t byte : bytes) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  char key[80];
  std::snprintf(key, sizeof key, "%c %ld %zu %016llx", kind, static_cast<long>(colourKey),
                bytes.size(), static_cast<unsigned long long>(hash));
  return key;
}

std::shared_ptr<const CachedImage> FindCachedImage(const std::string& key) {
  if (key.empty()) return nullptr;
  Cache& c = TheCache();
  auto found = c.byKey.find(key);
  if (found == c.byKey.end()) return nullptr;
  c.entries.splice(c.entries.begin(), c.entries, found->second);
  return found->second->second;
}

void KeepCachedImage(const std::string& key, std::shared_ptr<const CachedImage> image) {
  if (key.empty() || !image) return;
  const size_t bytes = image->Bytes();
  // One picture may not push out a whole game's worth of others.
  if (bytes > kImageCacheBudget / 4) return;
  Cache& c = TheCache();
  auto found = c.byKey.find(key);
  if (found != c.byKey.end()) {
    c.bytes -= found->second->second->Bytes();
    c.entries.erase(found->second);
    c.byKey.erase(found);
  }
  c.entries.emplace_front(key, std::move(image));
  c.byKey[key] = c.entries.begin();
  c.bytes += bytes;
  while (c.bytes > kImageCacheBudget && !c.entries.empty()) {
    c.bytes -= c.entries.back().second->Bytes();
    c.byKey.erase(c.entries.back().first);
    c.entries.pop_back();
  }
}

void ClearImageCache() {
  Cache& c = TheCache();
  c.entries.clear();
  c.byKey.clear();
  c.bytes = 0;
}

size_t ImageCacheBytes() {
  return TheCache().bytes;
}

}  // namespace gfx2d
