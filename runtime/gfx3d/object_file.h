// Reading 3D object files: the binary form (signature 13021975, versions
// 1.02 to 2.0) and the text form that starts with the token "DDDA".
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/gfx3d/mesh.h"

namespace gfx3d {

constexpr uint32_t kBinaryObjectSignature = 13021975u;
// More vertices than any file could sensibly expand to; a text file's
// groups times frames can multiply far beyond its own size.
constexpr uint64_t kMaxMeshVertices = uint64_t{1} << 24;

// Parses a whole object file held in memory into mesh (cleared first).
// name only labels the messages written to the debug output. False, with
// the mesh left empty, on anything malformed.
bool ParseObjectBytes(const uint8_t* data, size_t size, const char* name, Mesh& mesh);
// Reads a disk or "mem://" file and parses it.
bool LoadMeshFile(Mesh& mesh, const char* name);

}  // namespace gfx3d
