// Stencil shadows of the shadow light, measured against the shadow worked
// out by hand: each pixel centre is tested against the caster's outline
// projected from the light onto the floor and against the caster's own
// outline on the screen. Pictures are written as gfx3d_shadow_<name>.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx3d/scene_internal.h"
#include "scene_fixture.h"

using namespace scenetest;

namespace {

using P3 = std::array<double, 3>;
struct P2 {
  double x, y;
};

// Triangles given corner by corner, one colour, in the text form.
std::string TriangleObject(const std::vector<P3>& corners, Colour c) {
  std::string t = "DDDA 1.0 1 0 0 1 ";
  t += std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b) + " ";
  t += std::to_string(corners.size());
  for (size_t i = 0; i < corners.size(); ++i) t += " " + std::to_string(i) + " 0";
  t += " 1 " + std::to_string(corners.size());
  for (const P3& p : corners)
    for (double v : p) t += " " + std::to_string(v);
  return t;
}

void AddQuad(std::vector<P3>& out, P3 a, P3 b, P3 c, P3 d) {
  out.insert(out.end(), {a, b, c, a, c, d});
}

// A closed box, faces wound counter-clockwise seen from outside.
std::vector<P3> Box(double x0, double x1, double y0, double y1, double z0, double z1) {
  std::vector<P3> t;
  AddQuad(t, {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1});
  AddQuad(t, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0});
  AddQuad(t, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1});
  AddQuad(t, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0});
  AddQuad(t, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0});
  AddQuad(t, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1});
  return t;
}

std::vector<P3> BoxCorners(double x0, double x1, double y0, double y1, double z0, double z1) {
  std::vector<P3> c;
  for (double x : {x0, x1})
    for (double y : {y0, y1})
      for (double z : {z0, z1}) c.push_back({x, y, z});
  return c;
}

constexpr Colour kFloor{200, 200, 200};
constexpr Colour kCaster{255, 0, 0};
// 0x808080 takes away 128/255 of every channel: 200 becomes 99.6.
constexpr int kHalfLight = 0x808080;
constexpr Colour kShadowedFloor{100, 100, 100};

bool Near(Colour a, Colour b, int tolerance = 2) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

// A camera at (0, 0, eye) looking down -z with a 45-degree field of view on
// the 320 x 240 screen.
P2 ToScreen(const P3& p, double eye) {
  const double f = 120 / std::tan(22.5 * 3.14159265358979323846 / 180);
  const double depth = eye - p[2];
  return {160 + p[0] / depth * f, 120 - p[1] / depth * f};
}

// Where p falls on the floor z = 0 seen from a point light, or along a
// directional light's travel.
P3 OntoFloor(const P3& p, const P3& light, bool directional) {
  if (directional) {
    const double t = -p[2] / light[2];
    return {p[0] + t * light[0], p[1] + t * light[1], 0};
  }
  const double t = light[2] / (light[2] - p[2]);
  return {light[0] + t * (p[0] - light[0]), light[1] + t * (p[1] - light[1]), 0};
}

double Turn(P2 o, P2 a, P2 b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

std::vector<P2> Hull(std::vector<P2> p) {
  std::sort(p.begin(), p.end(), [](P2 a, P2 b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  std::vector<P2> h(2 * p.size());
  size_t k = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && Turn(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  for (size_t i = p.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && Turn(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  h.resize(k - 1);
  return h;
}

bool Inside(const std::vector<P2>& hull, P2 q) {
  if (hull.empty()) return false;
  for (size_t i = 0; i < hull.size(); ++i)
    if (Turn(hull[i], hull[(i + 1) % hull.size()], q) < 0) return false;
  return true;
}

struct Count {
  int expected = 0, shadowed = 0, wrong = 0;
};

// Floor pixels that should be in shadow (inside the shadow's outline, not
// covered by the caster) against those darkened; `wrong` counts darkened
// pixels well away from the outline's edge that should be lit, and lit ones
// well inside it.
Count CompareWithOutline(const Picture& p, const std::vector<P2>& shadow,
                         const std::vector<P2>& caster) {
  Count c;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const P2 centre{x + 0.5, y + 0.5};
      const bool onCaster = Inside(caster, centre);
      const bool expect = !onCaster && Inside(shadow, centre);
      const bool dark = Near(p.At(x, y), kShadowedFloor);
      c.expected += expect;
      c.shadowed += dark;
      bool nearEdge = false;
      for (int dy = -1; dy <= 1 && !nearEdge; ++dy)
        for (int dx = -1; dx <= 1 && !nearEdge; ++dx) {
          const P2 q{centre.x + dx, centre.y + dy};
          nearEdge = Inside(shadow, q) != Inside(shadow, centre) ||
                     Inside(caster, q) != Inside(caster, centre);
        }
      if (!nearEdge && dark != expect) ++c.wrong;
    }
  }
  return c;
}

class Shadows : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    LoadObject(1, TriangleObject(Box(-20, 20, -20, 20, -1, 0), kFloor));
    LoadObject(2, TriangleObject(Box(-1, 1, -1, 1, 1, 2), kCaster));
  }

  // The floor, then the cube cast a shadow from the light; the camera at
  // (0, 0, eye) looks down at the floor.
  Picture Draw(double eye, const P3& light, bool directional, int mode = -3) {
    ClearToBlack();
    BeginScene3D(0.05, 100, 45);
    PlaceCamera(0, 0, eye, 0, 0, 0);
    PutObject(1, 0);
    SetLight(mode, kHalfLight, light[0], light[1], light[2], light[0], light[1], light[2],
             directional ? 180 : 1);
    PutObject(2, 0);
    EndScene3D();
    return ReadScreen();
  }

  void ExpectShadowMatches(const Picture& p, double eye, const P3& light, bool directional,
                           const std::vector<P3>& corners = BoxCorners(-1, 1, -1, 1, 1, 2)) {
    std::vector<P2> shadow, caster;
    for (const P3& corner : corners) {
      shadow.push_back(ToScreen(OntoFloor(corner, light, directional), eye));
      caster.push_back(ToScreen(corner, eye));
    }
    const Count c = CompareWithOutline(p, Hull(shadow), Hull(caster));
    ASSERT_GT(c.expected, 1000);
    EXPECT_NEAR(c.shadowed, c.expected, c.expected * 0.01);
    EXPECT_EQ(c.wrong, 0);
  }
};

TEST_F(Shadows, CubeOnFloorCastsItsProjectedOutline) {
  const P3 light{1, 0.5, 8};
  const Picture p = Draw(10, light, false);
  p.Write("gfx3d_shadow_cube.png");
  ExpectShadowMatches(p, 10, light, false);
  // The caster's top faces the light and stays as it was drawn.
  EXPECT_TRUE(Near(p.At(160, 120), kCaster, 0));
  // Far from the shadow the floor keeps its colour.
  EXPECT_TRUE(Near(p.At(10, 10), kFloor, 0));
}

TEST_F(Shadows, DirectionalLightCastsAParallelShadow) {
  const P3 travel{1, -0.6, -1};
  const Picture p = Draw(10, travel, true);
  p.Write("gfx3d_shadow_directional.png");
  ExpectShadowMatches(p, 10, travel, true);
}

TEST_F(Shadows, CameraInsideTheVolumeSeesTheSameShadow) {
  // Between the cube and the floor, under the cube: the camera is in the
  // shadow, where counting volume faces in front of the scene fails. The
  // light off to the side puts the shadow's edge in view.
  const P3 light{6, 0, 8};
  const Picture p = Draw(0.8, light, false);
  p.Write("gfx3d_shadow_inside.png");
  std::vector<P2> shadow;
  for (const P3& corner : BoxCorners(-1, 1, -1, 1, 1, 2))
    shadow.push_back(ToScreen(OntoFloor(corner, light, false), 0.8));
  const Count c = CompareWithOutline(p, Hull(shadow), {});
  EXPECT_NEAR(c.shadowed, c.expected, c.expected * 0.01);
  EXPECT_EQ(c.wrong, 0);
  EXPECT_TRUE(Near(p.At(160, 120), kShadowedFloor));
}

TEST_F(Shadows, LightBehindTheCasterShadowsNothingInFront) {
  // The light sits between the floor and the cube: the shadow goes up,
  // through the camera, and the floor stays lit; the cube's top faces away
  // from the light and is darkened.
  const Picture p = Draw(10, {0, 0, 0.5}, false);
  p.Write("gfx3d_shadow_behind.png");
  int darkFloor = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) darkFloor += Near(p.At(x, y), kShadowedFloor);
  EXPECT_EQ(darkFloor, 0);
  EXPECT_TRUE(Near(p.At(10, 10), kFloor, 0));
  EXPECT_TRUE(Near(p.At(160, 120), {127, 0, 0}));
}

TEST_F(Shadows, MirroredCasterCastsTheSameShadow) {
  const P3 light{1, 0.5, 8};
  ClearToBlack();
  BeginScene3D(0.05, 100, 45);
  PlaceCamera(0, 0, 10, 0, 0, 0);
  PutObject(1, 0);
  SetLight(-3, kHalfLight, light[0], light[1], light[2], 0, 0, 0, 1);
  // The box is symmetric about x = 0: mirrored it covers the same space,
  // but every triangle's winding is turned over.
  SetObjectScaling(-1, 1, 1);
  PutObject(2, 0);
  EndScene3D();
  const Picture p = ReadScreen();
  ExpectShadowMatches(p, 10, light, false);
}

TEST_F(Shadows, OpenSheetCastsFromItsFrontSide) {
  // One square, its front (counter-clockwise) side up towards the light:
  // every edge is a rim edge with no neighbour.
  LoadObject(2, SquareObject({{-0.5f, 0.5f, 2, 1.5f}}, kCaster));
  const P3 light{0.5, 1, 9};
  Picture p = Draw(10, light, false);
  p.Write("gfx3d_shadow_sheet.png");
  ExpectShadowMatches(p, 10, light, false, {{-2, -1, 2}, {1, -1, 2}, {1, 2, 2}, {-2, 2, 2}});
  // From below, its back faces the light: a one-sided sheet casts nothing.
  p = Draw(10, {0.5, 1, -9}, false);
  int dark = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) dark += Near(p.At(x, y), kShadowedFloor);
  EXPECT_EQ(dark, 0);
}

TEST_F(Shadows, OnlyObjectsDrawnWhileThePassCastsMakeShadows) {
  const Picture none = Draw(10, {1, 0.5, 8}, false, -1);
  EXPECT_EQ(gfx3d::ShadowCasterCount(), 0u);
  // Without a shadow the picture is the plain one, pixel for pixel.
  ClearToBlack();
  BeginScene3D(0.05, 100, 45);
  PlaceCamera(0, 0, 10, 0, 0, 0);
  PutObject(1, 0);
  PutObject(2, 0);
  EndScene3D();
  EXPECT_TRUE(none == ReadScreen());

  // -1 stops casting within an open pass, -2 resumes it; spot 0 leaves the
  // shadow light off and the pass draws nothing.
  ClearToBlack();
  BeginScene3D(0.05, 100, 45);
  PlaceCamera(0, 0, 10, 0, 0, 0);
  SetLight(-3, kHalfLight, 1, 0.5, 8, 0, 0, 0, 1);
  SetLight(-1, kHalfLight, 1, 0.5, 8, 0, 0, 0, 1);
  PutObject(1, 0);
  EXPECT_EQ(gfx3d::ShadowCasterCount(), 0u);
  SetLight(-2, kHalfLight, 1, 0.5, 8, 0, 0, 0, 1);
  PutObject(2, 0);
  EXPECT_EQ(gfx3d::ShadowCasterCount(), 1u);
  EndScene3D();
  ExpectShadowMatches(ReadScreen(), 10, {1, 0.5, 8}, false);

  ClearToBlack();
  BeginScene3D(0.05, 100, 45);
  PlaceCamera(0, 0, 10, 0, 0, 0);
  PutObject(1, 0);
  SetLight(-3, kHalfLight, 1, 0.5, 8, 0, 0, 0, 0);
  PutObject(2, 0);
  EXPECT_EQ(gfx3d::ShadowCasterCount(), 0u);
  EndScene3D();
  EXPECT_TRUE(none == ReadScreen());
}

TEST_F(Shadows, UnusableLightsAndTransformsCastNothing) {
  const double nan = std::nan("");
  struct Case {
    P3 light;
    double spot;
    float scale;
  };
  for (const Case& c : {Case{{nan, 0, 8}, 1, 1}, Case{{0, 0, HUGE_VAL}, 1, 1},
                        Case{{0, 0, 0}, 180, 1}, Case{{0, 0, 8}, 1, 0}}) {
    BeginScene3D(0.05, 100, 45);
    SetLight(-3, kHalfLight, c.light[0], c.light[1], c.light[2], c.light[0], c.light[1], c.light[2],
             c.spot);
    // A scaling by zero flattens the caster: nothing to extrude.
    SetObjectScaling(c.scale, c.scale, c.scale);
    PutObject(2, 0);
    EXPECT_EQ(gfx3d::ShadowCasterCount(), 0u) << c.light[0] << " " << c.light[2];
    EndScene3D();
  }
}

TEST_F(Shadows, DarkenTexturedSurfacesByTheLightAlone) {
  // Grey on both texture units: the receivers are textured, and the
  // darkening must not be.
  const std::string image = HalvesBmp(8, 0x808080, 0x808080);
  ASSERT_TRUE(SpriteFromFile(RtString(MemoryName(image.data(), image.size()).c_str()), 701));
  Picture pictures[2];
  for (int shadows : {0, 1}) {
    ClearToBlack();
    BeginScene3D(0.05, 100, 45);
    PlaceCamera(0, 0, 10, 0, 0, 0);
    SelectTextures3D(701, 701);
    PutObject(1, 0);
    if (shadows) SetLight(-3, kHalfLight, 1, 0.5, 8, 0, 0, 0, 1);
    PutObject(2, 0);
    EndScene3D();
    pictures[shadows] = ReadScreen();
  }
  gfx2d::FreeSprite(701);
  int darkened = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const Colour plain = pictures[0].At(x, y), shadowed = pictures[1].At(x, y);
      if (plain.r == shadowed.r && plain.g == shadowed.g && plain.b == shadowed.b) continue;
      ++darkened;
      ASSERT_TRUE(Near(shadowed, {plain.r * 127 / 255, plain.g * 127 / 255, plain.b * 127 / 255}))
          << x << "," << y << ": " << shadowed.r << " from " << plain.r;
    }
  }
  EXPECT_GT(darkened, 1000);
}

TEST_F(Shadows, FallIntoAnOffscreenSurfaceToo) {
  // A surface of the screen's size, so the same outline applies.
  CreateOffscreenSurface(3, 700, 320, 240);
  SelectSurface(3);
  GLint stencilBits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  EXPECT_EQ(stencilBits, 8);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const P3 light{1, 0.5, 8};
  BeginScene3D(0.05, 100, 45);
  PlaceCamera(0, 0, 10, 0, 0, 0);
  PutObject(1, 0);
  SetLight(-3, kHalfLight, light[0], light[1], light[2], 0, 0, 0, 1);
  PutObject(2, 0);
  EndScene3D();
  Picture p;
  p.width = 320;
  p.height = 240;
  p.rgb.resize(320 * 240 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 320, 240, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
  SelectSurface(-1);
  gfx2d::DeleteSurface(3);
  gfx2d::FreeSprite(700);
  p.Write("gfx3d_shadow_surface.png");
  ExpectShadowMatches(p, 10, light, false);
}

TEST_F(Shadows, FrameEndDropsAnOpenPassAndLeavesNoStencilTest) {
  BeginScene3D(0.05, 100, 45);
  SetLight(-3, kHalfLight, 1, 0.5, 8, 0, 0, 0, 1);
  PutObject(2, 0);
  EXPECT_EQ(gfx3d::ShadowCasterCount(), 1u);
  Gfx3dFrame();
  EXPECT_EQ(gfx3d::ShadowCasterCount(), 0u);
  EXPECT_FALSE(gfx3d::Gfx3d().shadowPassActive);
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
  // The shadows leave the state as they found it.
  Draw(10, {1, 0.5, 8}, false);
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_CLAMP));
  GLboolean mask[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  EXPECT_TRUE(mask[0] && mask[1] && mask[2]);
}

}  // namespace
