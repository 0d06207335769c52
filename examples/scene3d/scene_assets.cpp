#include "examples/scene3d/scene_assets.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "image_builders.h"
#include "runtime/runtime.h"

namespace {

using Vec = std::array<double, 3>;

std::string Number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.5g", v);
  return buffer;
}

void Save(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A box with one texture square per face; with pyramid set, the top
// corners meet at the apex (the top face's triangles lose their area).
std::string BoxFrame(double sx, double sy, double sz, bool pyramid, Vec at = {0, 0, 0}) {
  static const int kFaces[6][4][3] = {{{1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}},
                                      {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
                                      {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}},
                                      {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
                                      {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
                                      {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}};
  std::string t = "24\n";
  for (const auto& face : kFaces) {
    for (const auto& c : face) {
      const bool top = pyramid && c[1] > 0;
      t += Number(at[0] + (top ? 0 : c[0] * sx)) + " " + Number(at[1] + c[1] * sy) + " " +
           Number(at[2] + (top ? 0 : c[2] * sz)) + "\n";
    }
  }
  return t;
}

// Text object of boxes: frames as given, every face textured whole.
std::string BoxObject(const std::vector<std::string>& frames, int r, int g, int b) {
  std::string t = "DDDA 1.0\n4  0 0  1 0  1 -1  0 -1\n1\n";
  t += std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b) + " 36\n";
  for (int f = 0; f < 6; ++f) {
    const int v = f * 4;
    for (int k : {0, 1, 2, 0, 2, 3}) t += std::to_string(v + k) + " " + std::to_string(k) + "  ";
    t += "\n";
  }
  t += std::to_string(frames.size()) + "\n";
  for (const std::string& f : frames) t += f;
  return t;
}

// A UV sphere of radius 1 with smooth normals; triangles wound so their
// fronts face outwards.
std::string SphereObject(int r, int g, int b) {
  const int slices = 24, stacks = 12;
  std::vector<Vec> points;
  std::string uv, entries;
  int entryCount = 0;
  for (int i = 0; i <= stacks; ++i) {
    const double phi = M_PI * i / stacks;
    for (int j = 0; j <= slices; ++j) {
      const double theta = 2 * M_PI * j / slices;
      points.push_back(
          {std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta)});
      uv += Number(static_cast<double>(j) / slices) + " " +
            Number(-static_cast<double>(i) / stacks) + "\n";
    }
  }
  auto add = [&](int a, int b2, int c) {
    const Vec &pa = points[a], &pb = points[b2], &pc = points[c];
    const Vec e1 = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
    const Vec e2 = {pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2]};
    const Vec n = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                   e1[0] * e2[1] - e1[1] * e2[0]};
    const double outward = n[0] * (pa[0] + pb[0] + pc[0]) + n[1] * (pa[1] + pb[1] + pc[1]) +
                           n[2] * (pa[2] + pb[2] + pc[2]);
    if (std::fabs(outward) < 1e-12) return;  // the poles' empty triangles
    if (outward < 0) std::swap(b2, c);
    for (int v : {a, b2, c}) entries += std::to_string(v) + " " + std::to_string(v) + "  ";
    entries += "\n";
    entryCount += 3;
  };
  for (int i = 0; i < stacks; ++i) {
    for (int j = 0; j < slices; ++j) {
      const int a = i * (slices + 1) + j, c = a + slices + 1;
      add(a, a + 1, c + 1);
      add(a, c + 1, c);
    }
  }
  std::string t = "DDDA 1.1\n" + std::to_string(points.size()) + "\n" + uv + "1\n";
  t += std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b) + " " +
       std::to_string(entryCount) + "\n" + entries + "1\n" + std::to_string(points.size()) + "\n";
  for (const Vec& p : points) {
    t += Number(p[0]) + " " + Number(p[1]) + " " + Number(p[2]) + "  " + Number(p[0]) + " " +
         Number(p[1]) + " " + Number(p[2]) + "\n";
  }
  return t;
}

// A 24-bit BMP of two-colour squares, counted from the bottom row.
std::string CheckerBmp(int size, int cell, uint32_t a, uint32_t b) {
  const std::vector<uint8_t> bmp = testimg::MakeBmp24(size, size, [=](int x, int yTop) {
    const int y = size - 1 - yTop;
    return ((x / cell) + (y / cell)) % 2 ? a : b;
  });
  return std::string(bmp.begin(), bmp.end());
}

const char* kVertexShader =
    "void main() {\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "  gl_FrontColor = gl_Color;\n"
    "  gl_Position = ftransform();\n"
    "}\n";
const char* kFragmentShader =
    "uniform float time;\n"
    "uniform sampler2D TextureID1;\n"
    "void main() {\n"
    "  vec4 texel = texture2D(TextureID1, gl_TexCoord[0].st);\n"
    "  float glow = 0.6 + 0.4 * sin(time * 3.0 + gl_TexCoord[0].s * 6.2832);\n"
    "  gl_FragColor = vec4(texel.rgb * gl_Color.rgb * vec3(glow, 1.0, 2.0 - glow), 1.0);\n"
    "}\n";

}  // namespace

std::string WriteSceneAssets() {
  std::string folder = (std::filesystem::temp_directory_path() / "scene3d_example").string() + "/";
  std::filesystem::create_directories(folder);
  Save(folder + "cube.dda",
       BoxObject({BoxFrame(1, 1, 1, false), BoxFrame(1.2, 1, 1.2, true)}, 255, 255, 255));
  Save(folder + "planet.dda", SphereObject(90, 140, 255));
  Save(folder + "moon.dda", SphereObject(200, 200, 190));
  Save(folder + "floor.dda", BoxObject({BoxFrame(7, 0.05, 7, false)}, 255, 255, 255));
  Save(folder + "pillar.dda",
       BoxObject({BoxFrame(0.4, 2, 0.4, false, {0, 2, -3.5})}, 255, 230, 200));
  Save(folder + "grass.bmp", CheckerBmp(64, 8, Rgb(32, 96, 32), Rgb(64, 160, 48)));
  Save(folder + "stone.bmp", CheckerBmp(32, 4, colours::kGrey, Rgb(176, 160, 160)));
  Save(folder + "checker.bmp", CheckerBmp(64, 16, colours::kWhite, Rgb(224, 64, 32)));
  Save(folder + "world",
       ";DDW the floor and a pillar\r\n"
       "[textures]\r\ncount=2\r\n1=grass.bmp\r\n2=stone.bmp\r\n"
       "[objects]\r\ncount=2\r\n1=floor.dda\r\n1ta=1\r\n2=pillar.dda\r\n2ta=2\r\n");
  Save(folder + "pulse.vert", kVertexShader);
  Save(folder + "pulse.frag", kFragmentShader);
  return folder;
}

void RemoveSceneAssets(const std::string& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

void LoadSceneSprites(const std::string& folder) {
  SpriteFromFile(RtString((folder + "checker.bmp").c_str()), kCheckerSprite);
}

void DrawHeadUp(bool culling, bool environment, bool shader, bool shadows) {
  // Two lines: four toggles on one would run off a 320-pixel screen.
  const std::string first =
      std::string("C cull:") + (culling ? "on" : "off") + "  E env:" + (environment ? "on" : "off");
  const std::string second =
      std::string("S shader:") + (shader ? "on" : "off") + "  H shadow:" + (shadows ? "on" : "off");
  DrawText(RtString("scene3d"), 4, 4);
  DrawText(RtString(first.c_str()), 4, 214);
  DrawText(RtString(second.c_str()), 4, 226);
}
