// Turning OBJ key frames that share one topology into the runtime's object
// files: the text form 1.1 and the binary form 2.0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "obj_model.h"

namespace objconv {

// Each writer checks that every frame has frame 0's faces (same corners,
// same materials) and fails with a message otherwise.
bool WriteTextObject(const std::vector<ObjModel>& frames, std::string& out, std::string& error);
// Fails, too, with more than 256 materials (colours are one byte there).
bool WriteBinaryObject(const std::vector<ObjModel>& frames, std::vector<uint8_t>& out,
                       std::string& error);
// The index of the table normal closest in direction to n.
int NearestNormal(const float n[3]);

}  // namespace objconv
