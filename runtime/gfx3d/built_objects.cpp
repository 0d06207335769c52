// Objects built in code and transform levels set from a matrix.
#include <cmath>
#include <string>
#include <unordered_map>

#include "runtime/core/error_log.h"
#include "runtime/core/load_budget.h"
#include "runtime/core/runtime_error.h"
#include "runtime/gfx3d/build3d.h"
#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/object_file.h"
#include "runtime/gfx3d/object_store.h"

namespace gfx3d {
namespace {

// What is added is held until the end, so the load budget caps it as it
// comes, not only the object it expands to.
constexpr size_t kMaxBuiltVertices = budget::kObjectBytes / sizeof(MeshVertex);

void Refuse(const char* command, const std::string& what) {
  SetRuntimeError(kErrInvalidArgument);
  AppendErrorLog((std::string(command) + ": " + what).c_str());
}

void NoteFault(ObjectBuild& build, const std::string& fault) {
  if (build.fault.empty()) build.fault = fault;
}

// Why the object cannot be drawn, or empty when it can.
std::string CheckBuild(const ObjectBuild& build) {
  if (!build.fault.empty()) return build.fault;
  if (build.corners.empty()) return "the object has no triangles";
  const int64_t count = static_cast<int64_t>(build.vertices.size());
  for (size_t i = 0; i < build.corners.size(); ++i) {
    const int64_t v = build.corners[i];
    if (v < 0 || v >= count) {
      return "triangle " + std::to_string(i / 3) + " names vertex " + std::to_string(v) + " of " +
             std::to_string(count);
    }
  }
  return {};
}

void FillMesh(const ObjectBuild& build, Mesh& mesh) {
  mesh.Clear();
  mesh.frames.resize(1);
  std::vector<MeshVertex>& out = mesh.frames[0].vertices;
  out.reserve(build.corners.size());
  std::unordered_map<uint32_t, uint32_t> colourIndex;
  for (const int64_t corner : build.corners) {
    MeshVertex vertex = build.vertices[static_cast<size_t>(corner)];
    auto [it, added] =
        colourIndex.try_emplace(vertex.colour, static_cast<uint32_t>(mesh.colours.size()));
    if (added) mesh.colours.push_back(vertex.colour);
    vertex.colourIndex = it->second;
    out.push_back(vertex);
  }
  DeriveTriangleData(mesh);
  mesh.loaded = true;
}

}  // namespace
}  // namespace gfx3d

using namespace gfx3d;

void BeginObject() {
  ObjectBuild& build = Gfx3d().build;
  build = ObjectBuild{};
  build.open = true;
}

int AddObjectVertex(double x, double y, double z, double nx, double ny, double nz, double u,
                    double v, int colour) {
  ObjectBuild& build = Gfx3d().build;
  if (!build.open) return -1;
  const size_t index = build.vertices.size();
  if (index >= kMaxBuiltVertices) {
    NoteFault(build, "more than " + std::to_string(kMaxBuiltVertices) + " vertices");
    return -1;
  }
  const double values[8] = {x, y, z, nx, ny, nz, u, v};
  for (double value : values) {
    if (!std::isfinite(value)) {
      NoteFault(build, "vertex " + std::to_string(index) + " has a value that is not a number");
      break;
    }
  }
  MeshVertex vertex;
  vertex.position[0] = static_cast<float>(x);
  vertex.position[1] = static_cast<float>(y);
  vertex.position[2] = static_cast<float>(z);
  // Fixed-function lighting takes normals as they come; a long one would
  // brighten the surface.
  const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (length > 0 && std::isfinite(length)) {
    vertex.normal[0] = static_cast<float>(nx / length);
    vertex.normal[1] = static_cast<float>(ny / length);
    vertex.normal[2] = static_cast<float>(nz / length);
  }
  vertex.uv[0] = static_cast<float>(u);
  vertex.uv[1] = static_cast<float>(v);
  SetVertexColour(vertex, static_cast<uint32_t>(colour));
  // Checked in single precision too: 1e39 is finite as a double only.
  for (float f : vertex.position) {
    if (!std::isfinite(f))
      NoteFault(build, "vertex " + std::to_string(index) + " lies out of range");
  }
  build.vertices.push_back(vertex);
  return static_cast<int>(index);
}

void AddObjectTriangle(int a, int b, int c) {
  ObjectBuild& build = Gfx3d().build;
  if (!build.open) return;
  if (MeshBytes(build.corners.size() + 3) > budget::kObjectBytes) {
    NoteFault(build, "more triangles than the " + std::to_string(budget::kObjectBytes >> 20) +
                         " MiB an object may take");
    return;
  }
  build.corners.insert(build.corners.end(), {a, b, c});
}

int EndObject(int n) {
  Gfx3dState& g = Gfx3d();
  ObjectBuild build = std::move(g.build);
  g.build = ObjectBuild{};
  const std::string prefix = "object " + std::to_string(n) + " refused: ";
  std::string fault;
  if (!build.open) {
    fault = "no object begun";
  } else if (!ValidObjectSlot(n)) {
    fault = "no such object slot";
  } else {
    fault = CheckBuild(build);
  }
  if (ValidObjectSlot(n) && g.objects[n]) FreeObjectSlot(*g.objects[n]);
  if (!fault.empty()) {
    Refuse("EndObject", prefix + fault);
    return 0;
  }
  auto& owner = g.objects[n];
  if (!owner) owner = std::make_unique<ObjectSlot>();
  FillMesh(build, owner->mesh);
  owner->inUse = true;
  return 1;
}

void SetObjectMatrix(const double* m) {
  if (!m) return;
  Matrix matrix;
  for (int i = 0; i < 16; ++i) {
    matrix[i] = static_cast<float>(m[i]);
    if (!std::isfinite(matrix[i])) {
      Refuse("SetObjectMatrix", "element " + std::to_string(i) + " is not a finite number");
      return;
    }
  }
  Gfx3d().transforms.SetMatrix(matrix);
}

void GetObjectMatrix(double* m) {
  if (!m) return;
  const Matrix& current = Gfx3d().transforms.Current();
  for (int i = 0; i < 16; ++i) m[i] = current[i];
}
