#include "runtime/gfx3d/object_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/files/file_stream.h"
#include "runtime/gfx3d/normal_table.h"
#include "runtime/platform/process.h"

namespace gfx3d {
namespace {

enum class Outcome { kOk, kReadError, kMallocError, kOverBudget };

void Report(const char* message, const char* name) {
  std::string line = message;
  if (name) {
    line += ' ';
    line += name;
  }
  line += '\n';
  plat::DebugOutput(line.c_str());
}

float Finite(float value) {
  return std::isfinite(value) ? value : 0.0f;
}

// ---- binary form ----

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), left_(size) {}
  size_t Left() const { return left_; }
  template <typename T>
  bool Get(T& value) {
    if (left_ < sizeof(T)) return false;
    std::memcpy(&value, data_, sizeof(T));
    data_ += sizeof(T);
    left_ -= sizeof(T);
    return true;
  }
  const uint8_t* Take(size_t count) {
    if (left_ < count) return nullptr;
    const uint8_t* at = data_;
    data_ += count;
    left_ -= count;
    return at;
  }

 private:
  const uint8_t* data_;
  size_t left_;
};

void SetNormalFromTable(MeshVertex& vertex, uint8_t index) {
  // Indices past the table have no normal; the face normal stands in.
  if (index >= kNormalTableSize) return;
  vertex.normal[0] = kNormalTable[index][0];
  vertex.normal[1] = kNormalTable[index][1];
  vertex.normal[2] = kNormalTable[index][2];
}

void SetColourFromTable(MeshVertex& vertex, const std::vector<uint32_t>& colours, uint8_t index) {
  // An index past the table (which may be empty) keeps the vertex white.
  if (index >= colours.size()) return;
  SetVertexColour(vertex, colours[index]);
  vertex.colourIndex = index;
}

// Whether that many more vertices still fit beside the used ones. The
// refusal is logged once, where the outcome is reported.
bool WithinBudget(uint64_t used, uint64_t vertices, uint64_t limit) {
  const uint64_t total = used + vertices < used ? UINT64_MAX : used + vertices;
  return MeshBytes(total) <= limit;
}

Outcome ParseBinary(ByteReader& in, Mesh& mesh, uint64_t limit, uint64_t& vertexTotal) {
  double version = 0;
  if (!in.Get(version)) return Outcome::kReadError;
  if (!(version >= 1.02 && version <= 2.0)) {
    plat::DebugOutput("Wrong .ddd version.\n");
    return Outcome::kReadError;
  }
  uint32_t frameCount = 0, colourCount = 0, uvCount = 0;
  if (!in.Get(frameCount) || !in.Get(colourCount) || !in.Get(uvCount)) return Outcome::kReadError;
  // Every count is checked against the bytes still there before anything is
  // allocated for it.
  if (uint64_t{colourCount} * 4 + uint64_t{uvCount} * 8 > in.Left()) return Outcome::kReadError;
  mesh.colours.resize(colourCount);
  for (uint32_t& colour : mesh.colours) in.Get(colour);
  std::vector<float> uvs(size_t{uvCount} * 2);
  for (float& value : uvs) {
    in.Get(value);
    value = Finite(value);
  }

  const bool compressed = version < 2.0;
  const uint64_t frameHeader = compressed ? 4 + 24 : 4;
  const uint64_t vertexBytes = compressed ? 5 : 14;
  if (uint64_t{frameCount} * frameHeader > in.Left()) return Outcome::kReadError;
  mesh.frames.resize(frameCount);
  for (KeyFrame& frame : mesh.frames) {
    uint32_t count = 0;
    float offset[3] = {0, 0, 0}, scale[3] = {1, 1, 1};
    if (!in.Get(count)) return Outcome::kReadError;
    if (compressed) {
      for (float& v : offset) in.Get(v);
      for (float& v : scale) in.Get(v);
    }
    if (uint64_t{count} * vertexBytes > in.Left()) return Outcome::kReadError;
    // Each vertex grows about eleven times over its bytes in the file.
    if (!WithinBudget(vertexTotal, count, limit)) {
      vertexTotal += count;
      return Outcome::kOverBudget;
    }
    vertexTotal += count;
    frame.vertices.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
      MeshVertex& vertex = frame.vertices[i];
      const uint8_t* bytes = in.Take(vertexBytes);
      if (compressed) {
        for (int axis = 0; axis < 3; ++axis) {
          vertex.position[axis] = Finite(scale[axis] * (float(bytes[axis]) - offset[axis]));
        }
      } else {
        std::memcpy(vertex.position, bytes, 12);
        for (float& v : vertex.position) v = Finite(v);
      }
      SetNormalFromTable(vertex, bytes[vertexBytes - 2]);
      SetColourFromTable(vertex, mesh.colours, bytes[vertexBytes - 1]);
      // The texture coordinate belongs to the vertex's place in the frame;
      // a frame longer than the table leaves the rest at (0, 0).
      if (i < uvCount) {
        vertex.uv[0] = uvs[size_t{i} * 2];
        vertex.uv[1] = compressed ? -uvs[size_t{i} * 2 + 1] : uvs[size_t{i} * 2 + 1];
      }
    }
  }
  return Outcome::kOk;
}

// ---- text form ----

class TokenReader {
 public:
  TokenReader(const uint8_t* data, size_t size) {
    const char* p = reinterpret_cast<const char*>(data);
    const char* end = p + size;
    while (p < end) {
      const char c = *p;
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++p;
      } else if (c == '#') {
        while (p < end && *p != '\n') ++p;
      } else {
        const char* start = p;
        while (p < end && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != '#') ++p;
        tokens_.emplace_back(start, static_cast<size_t>(p - start));
      }
    }
  }

  size_t Left() const { return tokens_.size() - next_; }
  bool Word(std::string_view& word) {
    if (next_ >= tokens_.size()) return false;
    word = tokens_[next_++];
    return true;
  }
  // The whole token must be a number.
  bool Number(double& value) {
    std::string_view word;
    if (!Word(word) || word.size() > 64) return false;
    char buffer[65];
    std::memcpy(buffer, word.data(), word.size());
    buffer[word.size()] = '\0';
    char* end = nullptr;
    value = std::strtod(buffer, &end);
    return end == buffer + word.size();
  }
  // A whole number from 0 up to limit.
  bool Count(uint64_t limit, uint64_t& count) {
    double value = 0;
    if (!Number(value) || !(value >= 0) || value != std::floor(value) ||
        value > static_cast<double>(limit)) {
      return false;
    }
    count = static_cast<uint64_t>(value);
    return true;
  }
  bool Float(float& value) {
    double d = 0;
    if (!Number(d)) return false;
    value = Finite(static_cast<float>(d));
    return true;
  }

 private:
  std::vector<std::string_view> tokens_;
  size_t next_ = 0;
};

struct TextGroup {
  uint32_t colour = 0;
  std::vector<uint32_t> vertexIndex;
  std::vector<uint32_t> uvIndex;
};

struct TextFrame {
  std::vector<float> positions;
  std::vector<float> normals;
};

uint8_t ColourByte(double value) {
  if (!(value > 0)) return 0;
  if (value >= 255) return 255;
  return static_cast<uint8_t>(value);
}

Outcome ParseText(TokenReader& in, Mesh& mesh, uint64_t limit, uint64_t& vertexTotal) {
  std::string_view magic;
  if (!in.Word(magic) || magic != "DDDA") return Outcome::kReadError;
  double version = 0;
  // Single precision, so the text "1.1" passes the 1.1 limit.
  if (!in.Number(version) || !(static_cast<float>(version) <= 1.1f)) return Outcome::kReadError;
  const bool hasNormals = static_cast<float>(version) >= 1.1f;

  uint64_t uvCount = 0;
  if (!in.Count(in.Left() / 2, uvCount)) return Outcome::kReadError;
  std::vector<float> uvs(uvCount * 2);
  for (float& value : uvs) {
    if (!in.Float(value)) return Outcome::kReadError;
  }

  uint64_t groupCount = 0;
  if (!in.Count(in.Left() / 4, groupCount)) return Outcome::kReadError;
  std::vector<TextGroup> groups(groupCount);
  uint64_t verticesPerFrame = 0;
  for (TextGroup& group : groups) {
    double rgb[3];
    for (double& c : rgb) {
      if (!in.Number(c)) return Outcome::kReadError;
    }
    group.colour = ColourByte(rgb[0]) | ColourByte(rgb[1]) << 8 | ColourByte(rgb[2]) << 16;
    uint64_t entries = 0;
    if (!in.Count(in.Left() / 2, entries)) return Outcome::kReadError;
    group.vertexIndex.resize(entries);
    group.uvIndex.resize(entries);
    for (uint64_t e = 0; e < entries; ++e) {
      uint64_t vi = 0, ti = 0;
      if (!in.Count(UINT32_MAX, vi) || !in.Count(UINT32_MAX, ti)) return Outcome::kReadError;
      group.vertexIndex[e] = static_cast<uint32_t>(vi);
      group.uvIndex[e] = static_cast<uint32_t>(ti);
    }
    // A group's entries make whole triangles; a leftover corner or two would
    // shift every later group's triangles, so they are dropped.
    verticesPerFrame += entries - entries % 3;
  }

  const uint64_t perVertex = hasNormals ? 6 : 3;
  uint64_t frameCount = 0;
  if (!in.Count(in.Left(), frameCount)) return Outcome::kReadError;
  // Every frame repeats all groups' corners: a small file can describe a
  // mesh many times its size, so the product is checked before anything
  // of it is read.
  vertexTotal = frameCount != 0 && verticesPerFrame > UINT64_MAX / frameCount
                    ? UINT64_MAX
                    : verticesPerFrame * frameCount;
  if (!WithinBudget(0, vertexTotal, limit)) return Outcome::kOverBudget;
  std::vector<TextFrame> frames(frameCount);
  for (TextFrame& frame : frames) {
    uint64_t count = 0;
    if (!in.Count(in.Left() / perVertex, count)) return Outcome::kReadError;
    frame.positions.resize(count * 3);
    if (hasNormals) frame.normals.resize(count * 3);
    for (uint64_t v = 0; v < count; ++v) {
      for (int axis = 0; axis < 3; ++axis) {
        if (!in.Float(frame.positions[v * 3 + axis])) return Outcome::kReadError;
      }
      if (hasNormals) {
        for (int axis = 0; axis < 3; ++axis) {
          if (!in.Float(frame.normals[v * 3 + axis])) return Outcome::kReadError;
        }
      }
    }
  }

  if (verticesPerFrame * frameCount > kMaxMeshVertices) return Outcome::kMallocError;
  mesh.frames.resize(frameCount);
  std::unordered_map<uint32_t, uint32_t> colourIndex;
  for (uint64_t f = 0; f < frameCount; ++f) {
    const TextFrame& source = frames[f];
    const uint64_t available = source.positions.size() / 3;
    std::vector<MeshVertex>& out = mesh.frames[f].vertices;
    out.reserve(verticesPerFrame);
    for (const TextGroup& group : groups) {
      const size_t used = group.vertexIndex.size() - group.vertexIndex.size() % 3;
      for (size_t e = 0; e < used; ++e) {
        const uint32_t vi = group.vertexIndex[e];
        if (vi >= available) return Outcome::kReadError;
        MeshVertex vertex;
        std::memcpy(vertex.position, &source.positions[size_t{vi} * 3], 12);
        if (hasNormals) std::memcpy(vertex.normal, &source.normals[size_t{vi} * 3], 12);
        const uint32_t ti = group.uvIndex[e];
        if (ti < uvCount) {
          vertex.uv[0] = uvs[size_t{ti} * 2];
          vertex.uv[1] = -uvs[size_t{ti} * 2 + 1];
        }
        SetVertexColour(vertex, group.colour);
        auto [it, added] =
            colourIndex.try_emplace(group.colour, static_cast<uint32_t>(mesh.colours.size()));
        if (added) mesh.colours.push_back(group.colour);
        vertex.colourIndex = it->second;
        out.push_back(vertex);
      }
    }
  }
  return Outcome::kOk;
}

}  // namespace

uint64_t MeshBytes(uint64_t vertices) {
  const uint64_t perTriangle = 3 * sizeof(MeshVertex) + sizeof(Vec3);
  const uint64_t triangles = vertices / 3 + (vertices % 3 != 0);
  return triangles > UINT64_MAX / perTriangle ? UINT64_MAX : triangles * perTriangle;
}

bool ParseObjectBytes(const uint8_t* data, size_t size, const char* name, Mesh& mesh,
                      uint64_t limit) {
  mesh.Clear();
  Outcome outcome = Outcome::kReadError;
  uint64_t vertexTotal = 0;
  try {
    uint32_t signature = 0;
    if (size >= 4) std::memcpy(&signature, data, 4);
    if (signature == kBinaryObjectSignature) {
      ByteReader in(data + 4, size - 4);
      outcome = ParseBinary(in, mesh, limit, vertexTotal);
    } else {
      TokenReader in(data, size);
      outcome = ParseText(in, mesh, limit, vertexTotal);
    }
  } catch (const std::bad_alloc&) {
    outcome = Outcome::kMallocError;
  }
  if (outcome == Outcome::kOverBudget) {
    budget::Fits("object", name, MeshBytes(vertexTotal), limit);
    outcome = Outcome::kMallocError;
  }
  if (outcome != Outcome::kOk) {
    mesh.Clear();
    Report(outcome == Outcome::kMallocError ? "# malloc error" : "# read error", name);
    return false;
  }
  // Vertices beyond the last whole triangle are never drawn.
  for (KeyFrame& frame : mesh.frames) frame.vertices.resize(frame.vertices.size() / 3 * 3);
  mesh.loaded = true;
  return true;
}

bool LoadMeshFile(Mesh& mesh, const char* name, uint64_t limit) {
  mesh.Clear();
  FileStream stream;
  if (!name || !OpenStream(stream, name)) {
    Report("# read error", name);
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int32_t>(stream.size, 0)));
  const bool read = bytes.empty() || ReadStream(stream, bytes.data(), stream.size);
  CloseStream(stream);
  if (!read) {
    Report("# read error", name);
    return false;
  }
  return ParseObjectBytes(bytes.data(), bytes.size(), name, mesh, limit);
}

}  // namespace gfx3d
