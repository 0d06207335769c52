// World files as an object slot loads them. The world names its files
// relative to its own folder; that folder holds one small object file so
// the objects list has something real to load. No textures are there: a
// texture would need a GL context, and images have targets of their own.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/gfx3d/object_store.h"
#include "runtime/gfx3d/objects3d.h"

namespace {

std::string g_worldName;

void RemoveFolder(void) {
  const std::string folder = gfx3d::FolderOf(g_worldName.c_str());
  std::remove((folder + "o.3do").c_str());
  rmdir(folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/fuzz_world_XXXXXX";
  if (!mkdtemp(folder)) return 0;
  const std::string base = std::string(folder) + "/";
  if (std::FILE* f = std::fopen((base + "o.3do").c_str(), "wb")) {
    std::fputs("DDDA 1.0 0 1 9 9 9 3 0 0 1 0 2 0 1 3 0 0 0 0 1 0 1 0 0\n", f);
    std::fclose(f);
  }
  g_worldName = base + "fuzz.wld";
  std::atexit(RemoveFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gfx3d::ObjectSlot world;
  gfx3d::LoadWorldFile(g_worldName.c_str(), data, size, world, -1);
  return 0;
}
