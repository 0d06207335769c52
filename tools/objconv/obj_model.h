// Wavefront OBJ geometry and MTL diffuse colours, as objconv needs them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace objconv {

// 0-based indices into the model's tables; -1 where the face gave none.
struct Corner {
  int v = -1, vt = -1, vn = -1;
  bool operator==(const Corner&) const = default;
};

struct Face {
  std::vector<Corner> corners;
  int material = -1;  // -1: no material, drawn white
};

struct Material {
  std::string name;
  uint32_t colour = 0xFFFFFF;  // packed red | green << 8 | blue << 16
};

struct ObjModel {
  std::vector<std::array<float, 3>> positions;
  std::vector<std::array<float, 2>> uvs;
  std::vector<std::array<float, 3>> normals;
  std::vector<Face> faces;
  std::vector<Material> materials;
};

// Reads the text of an MTL library named by "mtllib"; false when it cannot.
using MtlReader = std::function<bool(const std::string& name, std::string& text)>;

// Parses OBJ text. Materials named by "usemtl" take their "Kd" colour from
// the libraries readMtl supplies; unknown ones stay white and are listed in
// warnings. False with a message naming the line on anything malformed.
bool ParseObj(const std::string& text, const MtlReader& readMtl, ObjModel& model,
              std::string& error, std::vector<std::string>& warnings);

}  // namespace objconv
