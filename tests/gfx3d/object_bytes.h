// Builders for object files in both forms, for the loader tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testobj {

class Bytes {
 public:
  template <typename T>
  Bytes& Put(T value) {
    const size_t at = data.size();
    data.resize(at + sizeof(T));
    std::memcpy(&data[at], &value, sizeof(T));
    return *this;
  }
  Bytes& U8(uint8_t v) { return Put(v); }
  Bytes& U32(uint32_t v) { return Put(v); }
  Bytes& F32(float v) { return Put(v); }
  Bytes& F64(double v) { return Put(v); }

  std::vector<uint8_t> data;
};

// Signature, version, counts, colour table and texture coordinates.
inline Bytes BinaryHeader(double version, uint32_t frames, const std::vector<uint32_t>& colours,
                          const std::vector<float>& uvs) {
  Bytes b;
  b.U32(13021975).F64(version).U32(frames);
  b.U32(static_cast<uint32_t>(colours.size())).U32(static_cast<uint32_t>(uvs.size() / 2));
  for (uint32_t c : colours) b.U32(c);
  for (float f : uvs) b.F32(f);
  return b;
}

struct V2Vertex {
  float x, y, z;
  uint8_t normal, colour;
};

inline void AddFrameV2(Bytes& b, const std::vector<V2Vertex>& vertices) {
  b.U32(static_cast<uint32_t>(vertices.size()));
  for (const V2Vertex& v : vertices) b.F32(v.x).F32(v.y).F32(v.z).U8(v.normal).U8(v.colour);
}

// One triangle in the xy plane facing +z.
inline std::vector<V2Vertex> FlatTriangle(uint8_t normal = 0, uint8_t colour = 0) {
  return {{0, 0, 0, normal, colour}, {1, 0, 0, normal, colour}, {0, 1, 0, normal, colour}};
}

inline std::vector<uint8_t> Text(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace testobj
