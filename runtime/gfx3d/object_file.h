// Reading 3D object files: the binary form (signature 13021975, versions
// 1.02 to 2.0) and the text form that starts with the token "DDDA".
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/load_budget.h"
#include "runtime/gfx3d/mesh.h"

namespace gfx3d {

constexpr uint32_t kBinaryObjectSignature = 13021975u;
// More vertices than any file could sensibly expand to; a text file's
// groups times frames can multiply far beyond its own size.
constexpr uint64_t kMaxMeshVertices = uint64_t{1} << 24;

// The memory a mesh of that many vertices holds once loaded: the vertices
// and one face normal per triangle. Saturates instead of wrapping.
uint64_t MeshBytes(uint64_t vertices);

// Parses a whole object file held in memory into mesh (cleared first).
// name only labels the messages written to the debug output. False, with
// the mesh left empty, on anything malformed, and on a file whose frames
// would need more than limit bytes (MeshBytes of all its frames' vertices);
// that refusal is counted before allocating and is also a recorded runtime
// error with an error log line (budget::Fits).
bool ParseObjectBytes(const uint8_t* data, size_t size, const char* name, Mesh& mesh,
                      uint64_t limit = budget::kObjectBytes);
// Reads a disk or "mem://" file and parses it.
bool LoadMeshFile(Mesh& mesh, const char* name, uint64_t limit = budget::kObjectBytes);

}  // namespace gfx3d
