#include "convert.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "runtime/gfx3d/normal_table.h"

namespace objconv {
namespace {

using Triangle = std::array<Corner, 3>;

struct Group {
  int material = -1;
  uint32_t colour = 0xFFFFFF;
  std::vector<Triangle> triangles;
};

bool SameTopology(const std::vector<ObjModel>& frames, std::string& error) {
  const ObjModel& first = frames[0];
  for (size_t k = 1; k < frames.size(); ++k) {
    const ObjModel& f = frames[k];
    bool same = f.faces.size() == first.faces.size();
    for (size_t i = 0; same && i < f.faces.size(); ++i) {
      same = f.faces[i].corners == first.faces[i].corners &&
             f.faces[i].material == first.faces[i].material;
    }
    if (!same) {
      error = "frame " + std::to_string(k + 1) + " does not have the faces of frame 1";
      return false;
    }
  }
  return true;
}

// Fans each polygon into triangles and gathers them by material, in the
// order materials are first used.
std::vector<Group> GroupTriangles(const ObjModel& model) {
  std::vector<Group> groups;
  std::map<int, size_t> groupOf;
  for (const Face& face : model.faces) {
    auto [it, added] = groupOf.try_emplace(face.material, groups.size());
    if (added) {
      Group g;
      g.material = face.material;
      if (face.material >= 0) g.colour = model.materials[face.material].colour;
      groups.push_back(g);
    }
    for (size_t i = 1; i + 1 < face.corners.size(); ++i) {
      groups[it->second].triangles.push_back(
          {face.corners[0], face.corners[i], face.corners[i + 1]});
    }
  }
  return groups;
}

// Normals for positions that faces gave none: the area-weighted mean of the
// faces around each position.
std::vector<std::array<float, 3>> SmoothNormals(const ObjModel& model) {
  std::vector<std::array<float, 3>> sums(model.positions.size(), {0, 0, 0});
  for (const Face& face : model.faces) {
    const auto& a = model.positions[face.corners[0].v];
    for (size_t i = 1; i + 1 < face.corners.size(); ++i) {
      const auto& b = model.positions[face.corners[i].v];
      const auto& c = model.positions[face.corners[i + 1].v];
      const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      const float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
      const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                          e1[0] * e2[1] - e1[1] * e2[0]};
      for (int corner : {0, static_cast<int>(i), static_cast<int>(i + 1)}) {
        auto& s = sums[face.corners[corner].v];
        for (int k = 0; k < 3; ++k) s[k] += n[k];
      }
    }
  }
  for (auto& s : sums) {
    const float length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (length > 0) {
      for (float& v : s) v /= length;
    }
  }
  return sums;
}

std::array<float, 3> NormalOf(const ObjModel& model,
                              const std::vector<std::array<float, 3>>& smooth, const Corner& c) {
  if (c.vn < 0) return smooth[c.v];
  auto n = model.normals[c.vn];
  const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (length > 0) {
    for (float& v : n) v /= length;
  }
  return n;
}

std::string Number(float value) {
  char buffer[32];
  // Adding zero turns -0 into 0, which reads better.
  std::snprintf(buffer, sizeof buffer, "%.6g", static_cast<double>(value) + 0.0);
  return buffer;
}

template <typename T>
void Put(std::vector<uint8_t>& out, T value) {
  const size_t at = out.size();
  out.resize(at + sizeof(T));
  std::memcpy(&out[at], &value, sizeof(T));
}

}  // namespace

int NearestNormal(const float n[3]) {
  int best = 0;
  float bestDot = -2;
  for (int i = 0; i < gfx3d::kNormalTableSize; ++i) {
    const float* t = gfx3d::kNormalTable[i];
    const float dot = t[0] * n[0] + t[1] * n[1] + t[2] * n[2];
    if (dot > bestDot) {
      bestDot = dot;
      best = i;
    }
  }
  return best;
}

bool WriteTextObject(const std::vector<ObjModel>& frames, std::string& out, std::string& error) {
  if (frames.empty() || !SameTopology(frames, error)) return false;
  const ObjModel& first = frames[0];
  const std::vector<Group> groups = GroupTriangles(first);

  // One text vertex per distinct position and normal pair.
  std::map<std::pair<int, int>, size_t> vertexOf;
  std::vector<Corner> vertices;
  for (const Group& g : groups) {
    for (const Triangle& t : g.triangles) {
      for (const Corner& c : t) {
        if (vertexOf.try_emplace({c.v, c.vn}, vertices.size()).second) vertices.push_back(c);
      }
    }
  }

  out = "DDDA 1.1\n# texture coordinates (v is stored negated)\n";
  out += std::to_string(first.uvs.size()) + "\n";
  for (const auto& uv : first.uvs) out += Number(uv[0]) + " " + Number(-uv[1]) + "\n";
  out += "# groups: red green blue, entries of vertex and texture coordinate\n";
  out += std::to_string(groups.size()) + "\n";
  for (const Group& g : groups) {
    out += std::to_string(g.colour & 0xFF) + " " + std::to_string(g.colour >> 8 & 0xFF) + " " +
           std::to_string(g.colour >> 16 & 0xFF) + " " + std::to_string(g.triangles.size() * 3) +
           "\n";
    for (const Triangle& t : g.triangles) {
      for (const Corner& c : t) {
        out += std::to_string(vertexOf[{c.v, c.vn}]) + " " + std::to_string(c.vt < 0 ? 0 : c.vt) +
               (&c == &t[2] ? "\n" : "  ");
      }
    }
  }
  out += "# frames: vertices of x y z and normal\n";
  out += std::to_string(frames.size()) + "\n";
  for (const ObjModel& frame : frames) {
    const auto smooth = SmoothNormals(frame);
    out += std::to_string(vertices.size()) + "\n";
    for (const Corner& c : vertices) {
      const auto& p = frame.positions[c.v];
      const auto n = NormalOf(frame, smooth, c);
      out += Number(p[0]) + " " + Number(p[1]) + " " + Number(p[2]) + "  " + Number(n[0]) + " " +
             Number(n[1]) + " " + Number(n[2]) + "\n";
    }
  }
  return true;
}

bool WriteBinaryObject(const std::vector<ObjModel>& frames, std::vector<uint8_t>& out,
                       std::string& error) {
  if (frames.empty() || !SameTopology(frames, error)) return false;
  const std::vector<Group> groups = GroupTriangles(frames[0]);
  if (groups.size() > 256) {
    error = std::to_string(groups.size()) + " materials; the binary form holds 256";
    return false;
  }
  std::vector<Corner> corners;
  std::vector<uint8_t> colourIndex;
  for (size_t g = 0; g < groups.size(); ++g) {
    for (const Triangle& t : groups[g].triangles) {
      for (const Corner& c : t) {
        corners.push_back(c);
        colourIndex.push_back(static_cast<uint8_t>(g));
      }
    }
  }
  out.clear();
  Put<uint32_t>(out, 13021975u);
  Put<double>(out, 2.0);
  Put<uint32_t>(out, static_cast<uint32_t>(frames.size()));
  Put<uint32_t>(out, static_cast<uint32_t>(groups.size()));
  // A texture coordinate per corner: the loader takes entry i for vertex i.
  Put<uint32_t>(out, static_cast<uint32_t>(corners.size()));
  for (const Group& g : groups) Put<uint32_t>(out, g.colour);
  for (const Corner& c : corners) {
    const std::array<float, 2> uv = c.vt < 0 ? std::array<float, 2>{0, 0} : frames[0].uvs[c.vt];
    Put<float>(out, uv[0]);
    Put<float>(out, uv[1]);
  }
  for (const ObjModel& frame : frames) {
    const auto smooth = SmoothNormals(frame);
    Put<uint32_t>(out, static_cast<uint32_t>(corners.size()));
    for (size_t i = 0; i < corners.size(); ++i) {
      const auto& p = frame.positions[corners[i].v];
      for (float v : p) Put<float>(out, v);
      const auto n = NormalOf(frame, smooth, corners[i]);
      Put<uint8_t>(out, static_cast<uint8_t>(NearestNormal(n.data())));
      Put<uint8_t>(out, colourIndex[i]);
    }
  }
  return true;
}

}  // namespace objconv
