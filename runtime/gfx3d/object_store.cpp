#include "runtime/gfx3d/object_store.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/core/load_report.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_operations.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/files_service.h"
#include "runtime/gfx3d/gfx2d_link.h"
#include "runtime/gfx3d/object_file.h"
#include "runtime/gfx3d/objects3d.h"
#include "runtime/platform/process.h"
#include "runtime/platform/window.h"
#include "runtime/render/textures.h"

namespace gfx3d {
namespace {

bool ReadWholeFile(const char* name, std::vector<uint8_t>& bytes) {
  FileStream stream;
  if (!OpenStream(stream, name)) return false;
  bytes.resize(static_cast<size_t>(std::max<int32_t>(stream.size, 0)));
  const bool read = bytes.empty() || ReadStream(stream, bytes.data(), stream.size);
  CloseStream(stream);
  return read;
}

}  // namespace

void FreeObjectSlot(ObjectSlot& slot) {
  if (!slot.worldTextures.empty() && plat::HasGLContext()) {
    render::DeleteTextures(slot.worldTextures.data(), slot.worldTextures.size());
    render::ForgetBoundTexture();
  }
  slot.worldTextures.clear();
  for (WorldObject& object : slot.worldObjects) ReleaseMeshBuffers(object.mesh);
  slot.worldObjects.clear();
  ReleaseMeshBuffers(slot.mesh);
  slot.mesh.Clear();
  slot.bounds.clear();
  slot.boundsMade = false;
  slot.inUse = false;
  slot.isWorld = false;
}

void FreeAllObjects() {
  for (auto& slot : Gfx3d().objects) {
    if (slot) FreeObjectSlot(*slot);
    slot.reset();
  }
}

ObjectSlot* DrawableObject(int n) {
  if (!ValidObjectSlot(n)) return nullptr;
  ObjectSlot* slot = Gfx3d().objects[n].get();
  return slot && slot->inUse ? slot : nullptr;
}

bool LoadObjectSlot(const char* resolvedName, const char* givenName, int n) {
  if (!ValidObjectSlot(n) || !resolvedName) return false;
  auto& owner = Gfx3d().objects[n];
  if (!owner) owner = std::make_unique<ObjectSlot>();
  ObjectSlot& slot = *owner;
  FreeObjectSlot(slot);

  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(resolvedName, bytes)) {
    plat::DebugOutput((std::string("# read error ") + resolvedName + "\n").c_str());
    return false;
  }
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), ";DDW", 4) == 0) {
    LoadWorldFile(givenName ? givenName : resolvedName, bytes.data(), bytes.size(), slot,
                  SpriteColourKey());
    return true;
  }
  if (!ParseObjectBytes(bytes.data(), bytes.size(), resolvedName, slot.mesh)) return false;
  if (slot.mesh.FirstFrameVertexCount() == 0) return false;
  DeriveTriangleData(slot.mesh);
  slot.inUse = true;
  return true;
}

}  // namespace gfx3d

void ObjectFromFile(const RtString& name, int n) {
  if (!gfx3d::ValidObjectSlot(n)) return;
  const std::string path = fileops::SystemPath(name.c_str());
  std::string resolved;
  if (!ResolveAssetName(DataArchive(), path.c_str(), resolved, true)) {
    if (name.Length() > 0) ReportLoadFailure("ObjectFromFile", name.c_str(), "no such file");
    return;
  }
  if (!gfx3d::LoadObjectSlot(resolved.c_str(), path.c_str(), n)) {
    ReportLoadFailure("ObjectFromFile", name.c_str(),
                      "unreadable, not an object file the runtime reads, or without vertices");
  }
}
