// Worlds: an INI file listing textures and object files that load together
// into one object slot.
#include <algorithm>
#include <string>

#include "runtime/core/conversion.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_operations.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/files_service.h"
#include "runtime/files/ini_files.h"
#include "runtime/gfx3d/gfx2d_link.h"
#include "runtime/gfx3d/object_file.h"
#include "runtime/gfx3d/object_store.h"

namespace gfx3d {
namespace {

int Lookup(const IniCache& cache, const char* section, const std::string& key) {
  return TextToInt(IniLookup(cache, section, key.c_str()));
}

// A count can name no more entries than its section holds, so a hostile
// count never sizes a list by itself.
int ListSize(const IniCache& cache, const char* section) {
  const int count = Lookup(cache, section, "count");
  for (const IniSection& s : cache.sections) {
    if (LowerCase(RtString(s.name.c_str())) == LowerCase(RtString(section))) {
      return std::clamp(count, 0, static_cast<int>(s.entries.size()));
    }
  }
  return 0;
}

// Texture numbers count from 1 in the file; 0 and negative ones stay.
int32_t TextureEntry(int number) {
  return number > 0 ? number - 1 : number;
}

}  // namespace

std::string FolderOf(const char* name) {
  if (!name || IsMemoryName(name)) return std::string();
  const std::string text = name;
  const size_t slash = text.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

void LoadWorldFile(const char* givenName, const uint8_t* bytes, size_t size, ObjectSlot& world,
                   int32_t colourKey, uint64_t limit) {
  world.inUse = true;
  world.isWorld = true;
  // A cache of its own: the program's open INI file stays as it is.
  IniCache cache;
  ParseIniText(cache, reinterpret_cast<const char*>(bytes), size);
  const std::string folder = FolderOf(givenName);

  const int textureCount = ListSize(cache, "textures");
  world.worldTextures.assign(static_cast<size_t>(textureCount), 0);
  for (int k = 1; k <= textureCount; ++k) {
    const std::string file =
        folder + IniLookup(cache, "textures", std::to_string(k).c_str()).c_str();
    std::string resolved;
    if (!ResolveAssetName(DataArchive(), fileops::SystemPath(file.c_str()).c_str(), resolved,
                          true)) {
      continue;
    }
    world.worldTextures[k - 1] = LoadImageTexture(resolved.c_str(), colourKey);
  }

  const int objectCount = ListSize(cache, "objects");
  world.worldObjects.resize(static_cast<size_t>(objectCount));
  // The world's budget covers all its objects: naming one file many times
  // must not multiply what a single object may hold.
  uint64_t used = 0;
  for (int k = 1; k <= objectCount; ++k) {
    WorldObject& object = world.worldObjects[k - 1];
    const std::string key = std::to_string(k);
    const std::string file = folder + IniLookup(cache, "objects", key.c_str()).c_str();
    std::string resolved;
    if (ResolveAssetName(DataArchive(), fileops::SystemPath(file.c_str()).c_str(), resolved,
                         true)) {
      const uint64_t left = limit - std::min(used, limit);
      if (LoadMeshFile(object.mesh, resolved.c_str(), std::min(budget::kObjectBytes, left))) {
        uint64_t vertices = 0;
        for (const KeyFrame& frame : object.mesh.frames) vertices += frame.vertices.size();
        used += std::min(MeshBytes(vertices), left);
      }
    }
    object.textureA = TextureEntry(Lookup(cache, "objects", key + "ta"));
    object.textureB = TextureEntry(Lookup(cache, "objects", key + "tb"));
    DeriveTriangleData(object.mesh);
  }
}

}  // namespace gfx3d
