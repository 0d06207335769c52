// 3D object files, binary and text, as an object slot loads them: parsed,
// then the per-triangle data every drawn mesh gets.
#include <cstddef>
#include <cstdint>

#include "runtime/gfx3d/mesh.h"
#include "runtime/gfx3d/object_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gfx3d::Mesh mesh;
  if (gfx3d::ParseObjectBytes(data, size, "fuzz.3do", mesh)) {
    gfx3d::DeriveTriangleData(mesh);
  } else if (mesh.loaded || !mesh.frames.empty()) {
    __builtin_trap();  // a failed parse leaves the mesh empty
  }
  return 0;
}
