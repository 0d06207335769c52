#include "obj_model.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace objconv {
namespace {

bool ReadFloat(std::istringstream& in, float& value) {
  std::string word;
  if (!(in >> word)) return false;
  char* end = nullptr;
  value = std::strtof(word.c_str(), &end);
  return end == word.c_str() + word.size() && std::isfinite(value);
}

// "7", "7/3", "7//2" or "7/3/2"; negative numbers count back from the end.
bool ReadIndex(const std::string& text, size_t count, int& index) {
  if (text.empty()) {
    index = -1;
    return true;
  }
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || n == 0) return false;
  const long resolved = n > 0 ? n - 1 : static_cast<long>(count) + n;
  if (resolved < 0 || resolved >= static_cast<long>(count)) return false;
  index = static_cast<int>(resolved);
  return true;
}

bool ReadCorner(const std::string& word, const ObjModel& m, Corner& corner) {
  std::string parts[3];
  int part = 0;
  for (char c : word) {
    if (c == '/') {
      if (++part > 2) return false;
    } else {
      parts[part] += c;
    }
  }
  return !parts[0].empty() && ReadIndex(parts[0], m.positions.size(), corner.v) &&
         ReadIndex(parts[1], m.uvs.size(), corner.vt) &&
         ReadIndex(parts[2], m.normals.size(), corner.vn);
}

uint32_t ColourByte(float value) {
  if (!(value > 0)) return 0;
  if (value >= 1) return 255;
  return static_cast<uint32_t>(std::lround(value * 255));
}

// Material colours by name; a later definition of a name replaces an
// earlier one, in one library or across libraries.
using Library = std::unordered_map<std::string, uint32_t>;

void ParseMtl(const std::string& text, Library& library) {
  std::istringstream lines(text);
  std::string line;
  uint32_t* current = nullptr;
  while (std::getline(lines, line)) {
    std::istringstream in(line);
    std::string keyword;
    in >> keyword;
    if (keyword == "newmtl") {
      std::string name;
      in >> name;
      current = &(library[name] = 0xFFFFFF);
    } else if (keyword == "Kd" && current) {
      float rgb[3];
      if (ReadFloat(in, rgb[0]) && ReadFloat(in, rgb[1]) && ReadFloat(in, rgb[2])) {
        *current = ColourByte(rgb[0]) | ColourByte(rgb[1]) << 8 | ColourByte(rgb[2]) << 16;
      }
    }
  }
}

}  // namespace

bool ParseObj(const std::string& text, const MtlReader& readMtl, ObjModel& model,
              std::string& error, std::vector<std::string>& warnings) {
  model = ObjModel{};
  // Lookups by name stay constant-time however many materials a model
  // uses, and each library is read once however often it is named.
  Library library;
  std::unordered_map<std::string, int> materialIndex;
  std::unordered_set<std::string> librariesRead;
  std::istringstream lines(text);
  std::string line;
  int lineNumber = 0;
  int material = -1;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (std::getline(lines, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream in(line);
    std::string keyword;
    if (!(in >> keyword) || keyword[0] == '#') continue;
    if (keyword == "v") {
      std::array<float, 3> p;
      if (!ReadFloat(in, p[0]) || !ReadFloat(in, p[1]) || !ReadFloat(in, p[2])) {
        return fail("a vertex needs three finite numbers");
      }
      model.positions.push_back(p);
    } else if (keyword == "vt") {
      std::array<float, 2> t;
      if (!ReadFloat(in, t[0])) return fail("a texture coordinate needs a number");
      if (!ReadFloat(in, t[1])) t[1] = 0;
      model.uvs.push_back(t);
    } else if (keyword == "vn") {
      std::array<float, 3> n;
      if (!ReadFloat(in, n[0]) || !ReadFloat(in, n[1]) || !ReadFloat(in, n[2])) {
        return fail("a normal needs three finite numbers");
      }
      model.normals.push_back(n);
    } else if (keyword == "f") {
      Face face;
      face.material = material;
      std::string word;
      while (in >> word) {
        Corner corner;
        if (!ReadCorner(word, model, corner)) {
          return fail("face corner \"" + word + "\" refers to nothing defined before it");
        }
        face.corners.push_back(corner);
      }
      if (face.corners.size() < 3) return fail("a face needs at least three corners");
      model.faces.push_back(std::move(face));
    } else if (keyword == "mtllib") {
      std::string name, mtl;
      while (in >> name) {
        if (!librariesRead.insert(name).second) continue;
        if (readMtl && readMtl(name, mtl)) {
          ParseMtl(mtl, library);
        } else {
          warnings.push_back("material library " + name + " not found; its materials are white");
        }
      }
    } else if (keyword == "usemtl") {
      std::string name;
      in >> name;
      auto [known, added] =
          materialIndex.try_emplace(name, static_cast<int>(model.materials.size()));
      if (added) {
        Material m{name, 0xFFFFFF};
        if (const auto defined = library.find(name); defined != library.end()) {
          m.colour = defined->second;
        } else {
          warnings.push_back("material " + name + " is not defined; it is white");
        }
        model.materials.push_back(m);
      }
      material = known->second;
    }
    // Groups, objects, smoothing groups and curves carry nothing we keep.
  }
  if (model.faces.empty()) {
    lineNumber = 0;
    error = "no faces";
    return false;
  }
  return true;
}

}  // namespace objconv
