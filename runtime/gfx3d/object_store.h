// The object slots behind the 3D commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/core/load_budget.h"
#include "runtime/gfx3d/gfx3d_state.h"

namespace gfx3d {

// Loads the file at resolvedName (a disk or "mem://" name) into slot n,
// choosing the world reader for files that start with ";DDW". givenName is
// the name the program used: a world's textures and objects are found next
// to it. False when nothing drawable was loaded.
bool LoadObjectSlot(const char* resolvedName, const char* givenName, int n);
// Empties a slot, deleting a world's textures.
void FreeObjectSlot(ObjectSlot& slot);
// Frees the vertex buffers of the mesh's key frames (only while a context is
// there to free them in).
void ReleaseMeshBuffers(Mesh& mesh);
void FreeAllObjects();
// The slot when it holds something to draw, else null.
ObjectSlot* DrawableObject(int n);

// The world reader, for bytes already read. Never fails; what cannot be
// loaded stays empty. Its objects together expand to at most limit bytes
// (each also to at most budget::kObjectBytes): an object that would pass it
// stays empty and its refusal is logged.
void LoadWorldFile(const char* givenName, const uint8_t* bytes, size_t size, ObjectSlot& world,
                   int32_t colourKey, uint64_t limit = budget::kWorldBytes);
// The folder part of a name, up to and including its last '/' or '\'; empty
// for a bare name or an in-memory name.
std::string FolderOf(const char* name);

}  // namespace gfx3d
