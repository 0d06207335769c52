// Picking: screen rays against what GL drew, ray tests against a brute-force
// reference on random meshes, and the box test.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "built_shapes.h"
#include "runtime/gfx3d/object_store.h"
#include "scene_fixture.h"

using namespace scenetest;

namespace {

using ScenePicking = SceneTest;

struct Placed {
  int slot;
  double x, y, z, turn;
};

void Place(const Placed& p) {
  SetObjectTranslation(p.x, p.y, p.z);
  AddObjectRotation(p.turn, 0.3, 1, 0.2);
  AddObjectRotation(p.turn * 0.7, 1, 0, 0);
}

bool Uniform(const Picture& p, int x, int y) {
  const Colour c = p.At(x, y);
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int nx = std::clamp(x + dx, 0, p.width - 1), ny = std::clamp(y + dy, 0, p.height - 1);
      const Colour n = p.At(nx, ny);
      if (n.r != c.r || n.g != c.g || n.b != c.b) return false;
    }
  }
  return true;
}

// Every pixel's ray finds the object GL drew there (or none where the
// background shows), away from the edges where rasterisation rules decide.
TEST_F(ScenePicking, ScreenRaysFindWhatEachPixelShows) {
  const int colours[3] = {0x0000FF, 0x00FF00, 0xFF0000};
  ASSERT_EQ(BuildCube(1, 1, colours[0]), 1);
  ASSERT_EQ(BuildBox(2, 1.6, 0.4, 0.8, colours[1]), 1);
  ASSERT_EQ(BuildBox(3, 0.5, 1.4, 0.5, colours[2]), 1);
  const Placed objects[] = {{1, -1.2, 0.3, -7, 30}, {2, 0.8, -0.2, -6, 70}, {3, 1.5, 0.9, -9, 10}};

  BeginScene3D(1, 100, 45);
  PlaceCamera(0.5, 1, 0, 0, 0, -7);
  for (const Placed& o : objects) {
    Place(o);
    PutObject(o.slot, 0);
  }
  const Picture p = ReadScreen();
  p.Write("gfx3d_picking_scene.png");

  int checked = 0, agreed = 0, hits = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      double o[3], d[3];
      ASSERT_TRUE(ScreenRay(x, y, o[0], o[1], o[2], d[0], d[1], d[2]));
      int nearest = -1;
      double best = 0;
      for (int i = 0; i < 3; ++i) {
        Place(objects[i]);
        double distance;
        int32_t triangle;
        if (RayHitsObject(objects[i].slot, 0, o[0], o[1], o[2], d[0], d[1], d[2], distance,
                          triangle) &&
            (nearest < 0 || distance < best)) {
          nearest = i;
          best = distance;
        }
      }
      if (!Uniform(p, x, y)) continue;
      ++checked;
      const Colour c = p.At(x, y);
      const int seen = c.r == 255 ? 0 : c.g == 255 ? 1 : c.b == 255 ? 2 : -1;
      if (seen == nearest) ++agreed;
      if (nearest >= 0) ++hits;
    }
  }
  EXPECT_GT(checked, p.width * p.height * 9 / 10);
  EXPECT_GT(hits, checked / 5);
  EXPECT_EQ(agreed, checked);
}

TEST_F(ScenePicking, ScreenRaysStartOnTheNearPlaneThroughPixelCentres) {
  BeginScene3D(2, 100, 90);
  double o[3], d[3];
  // The middle of the 320 x 240 screen lies between four pixels.
  ASSERT_TRUE(ScreenRay(159.5, 119.5, o[0], o[1], o[2], d[0], d[1], d[2]));
  EXPECT_NEAR(o[0], 0, 1e-9);
  EXPECT_NEAR(o[2], -2, 1e-6);
  EXPECT_NEAR(d[2], -1, 1e-9);
  // fov 90: the left edge of the screen lies at x = -aspect x near.
  ASSERT_TRUE(ScreenRay(-0.5, 119.5, o[0], o[1], o[2], d[0], d[1], d[2]));
  EXPECT_NEAR(o[0], -2 * 320.0 / 240, 1e-6);
  EXPECT_NEAR(d[0] * d[0] + d[1] * d[1] + d[2] * d[2], 1, 1e-12);
  EXPECT_NEAR(d[0] / d[2], 320.0 / 240, 1e-6);

  // An orthographic scene: parallel rays.
  BeginScene3D(1, 100, -10);
  double o2[3], d2[3];
  ScreenRay(10, 10, o[0], o[1], o[2], d[0], d[1], d[2]);
  ScreenRay(300, 200, o2[0], o2[1], o2[2], d2[0], d2[1], d2[2]);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(d[k], d2[k], 1e-9);
  EXPECT_NEAR(d[2], -1, 1e-9);
}

TEST_F(ScenePicking, BoxTestTurnsAndMovesWithTheObject) {
  ASSERT_EQ(BuildBox(1, 2, 1, 1, 0xFFFFFF), 1);
  double distance = 0;
  // Turned a quarter about y, the long side lies along z: 2 from the centre.
  SetObjectTranslation(5, 0, 0);
  AddObjectRotation(90, 0, 1, 0);
  EXPECT_TRUE(RayHitsObjectBox(1, 5, 0, 10, 0, 0, -3, distance));
  EXPECT_NEAR(distance, 8, 1e-5);
  EXPECT_TRUE(RayHitsObjectBox(1, 10, 0, 0, -1, 0, 0, distance));
  EXPECT_NEAR(distance, 4, 1e-5);
  EXPECT_FALSE(RayHitsObjectBox(1, 5, 0, 10, 0, 0, 1, distance));  // pointing away
  EXPECT_EQ(distance, -1);
  EXPECT_TRUE(RayHitsObjectBox(1, 5, 0.5, 0, 1, 0, 0, distance));  // from inside
  EXPECT_EQ(distance, 0);
  // Scaled along z before the turn: the face moves out with it. (Scaling
  // restarts the level, so the turn is added again.)
  SetObjectScaling(1, 1, 3);
  AddObjectRotation(90, 0, 1, 0);
  EXPECT_TRUE(RayHitsObjectBox(1, 10, 0, 0, -1, 0, 0, distance));
  EXPECT_NEAR(distance, 10 - (5 + 3), 1e-5);

  // No direction, NaN, empty slots: misses.
  EXPECT_FALSE(RayHitsObjectBox(1, 10, 0, 0, 0, 0, 0, distance));
  EXPECT_FALSE(RayHitsObjectBox(1, NAN, 0, 0, -1, 0, 0, distance));
  EXPECT_FALSE(RayHitsObjectBox(7, 10, 0, 0, -1, 0, 0, distance));
  EXPECT_FALSE(RayHitsObjectBox(-1, 10, 0, 0, -1, 0, 0, distance));
  int32_t triangle = 5;
  EXPECT_FALSE(RayHitsObject(70000, 0, 10, 0, 0, -1, 0, 0, distance, triangle));
  EXPECT_EQ(triangle, -1);
}

// ---- random meshes against a brute-force reference ----

using Vec = std::array<long double, 3>;

Vec Sub(const Vec& a, const Vec& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec CrossL(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
long double DotL(const Vec& a, const Vec& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

struct ReferenceHit {
  int triangle = -1;
  long double distance = 0;
  // The ray passes so near an edge, or two hits so near each other, that
  // rounding may decide.
  bool ambiguous = false;
};

// Every triangle, in world space, by plane intersection and edge sides.
ReferenceHit Reference(const std::vector<std::array<float, 3>>& corners, const double m[16],
                       const Vec& origin, const Vec& direction) {
  std::vector<Vec> world;
  for (const auto& p : corners) {
    long double h[4];
    for (int r = 0; r < 4; ++r) {
      h[r] = (long double)m[r] * p[0] + (long double)m[4 + r] * p[1] +
             (long double)m[8 + r] * p[2] + m[12 + r];
    }
    world.push_back({h[0] / h[3], h[1] / h[3], h[2] / h[3]});
  }
  struct Candidate {
    int triangle;
    long double t, margin;
  };
  std::vector<Candidate> found;
  for (size_t i = 0; i + 2 < world.size(); i += 3) {
    const Vec &a = world[i], &b = world[i + 1], &c = world[i + 2];
    const Vec n = CrossL(Sub(b, a), Sub(c, a));
    const long double nn = DotL(n, n);
    const long double denominator = DotL(n, direction);
    if (nn < 1e-20L || std::fabs(denominator) < 1e-12L * std::sqrt(nn)) continue;
    const long double t = DotL(n, Sub(a, origin)) / denominator;
    if (t < -1e-9L) continue;
    const Vec p = {origin[0] + t * direction[0], origin[1] + t * direction[1],
                   origin[2] + t * direction[2]};
    const long double s[3] = {DotL(CrossL(Sub(b, a), Sub(p, a)), n) / nn,
                              DotL(CrossL(Sub(c, b), Sub(p, b)), n) / nn,
                              DotL(CrossL(Sub(a, c), Sub(p, c)), n) / nn};
    const long double margin = std::min({s[0], s[1], s[2]});
    if (margin < -1e-6L) continue;
    found.push_back({static_cast<int>(i / 3), t, margin});
  }
  ReferenceHit hit;
  for (const Candidate& c : found) {
    if (c.margin < 1e-6L || c.t < 1e-9L) continue;
    if (hit.triangle < 0 || c.t < hit.distance) {
      hit.triangle = c.triangle;
      hit.distance = c.t;
    }
  }
  for (const Candidate& c : found) {
    const bool near = hit.triangle < 0 || c.t <= hit.distance + 1e-6L * (1 + hit.distance);
    if (!near) continue;
    if (c.margin < 1e-6L || c.t < 1e-9L) hit.ambiguous = true;
    if (c.triangle != hit.triangle && hit.triangle >= 0 &&
        std::fabs(c.t - hit.distance) <= 1e-6L * (1 + hit.distance))
      hit.ambiguous = true;
  }
  return hit;
}

TEST_F(ScenePicking, RayTestsMatchABruteForceReferenceOnRandomMeshes) {
  std::mt19937 random(2718);
  std::uniform_real_distribution<double> unit(-1, 1);
  int rays = 0, compared = 0, hits = 0;
  for (int mesh = 0; mesh < 100; ++mesh) {
    // A soup of triangles, some large, some slivers.
    const int triangles = 5 + static_cast<int>(random() % 60);
    std::vector<std::array<float, 3>> corners;
    BeginObject();
    for (int t = 0; t < triangles * 3; ++t) {
      const double scale = t % 3 == 0 ? 1 : 0.2 + 0.8 * std::fabs(unit(random));
      std::array<float, 3> p;
      for (float& v : p) v = static_cast<float>(unit(random) * scale);
      if (t % 3 != 0) {
        for (int k = 0; k < 3; ++k) p[k] += corners[corners.size() - t % 3][k];
      }
      corners.push_back(p);
      AddObjectVertex(p[0], p[1], p[2], 0, 0, 0, 0, 0, -1);
    }
    for (int t = 0; t < triangles; ++t) AddObjectTriangle(t * 3, t * 3 + 1, t * 3 + 2);
    ASSERT_EQ(EndObject(1), 1);

    // Moved, turned and squashed through the stack; every fifth mesh by a
    // matrix with a shear, every tenth with a projective part.
    SetObjectTranslation(unit(random) * 3, unit(random) * 3, unit(random) * 3);
    SetObjectScaling(0.5 + std::fabs(unit(random)), 0.5 + std::fabs(unit(random)),
                     0.5 + std::fabs(unit(random)));
    AddObjectRotation(unit(random) * 180, unit(random), unit(random), unit(random));
    if (mesh % 5 == 0) {
      double shear[16] = {1, 0, 0, 0, unit(random) * 0.5, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
      if (mesh % 10 == 0) shear[11] = 0.05;
      PushTransform();
      SetObjectMatrix(shear);
    }
    double m[16];
    GetObjectMatrix(m);

    for (int r = 0; r < 100; ++r, ++rays) {
      // Aimed near the mesh from around it, some from within.
      double origin[3], aim[3], direction[3];
      for (int k = 0; k < 3; ++k) {
        origin[k] = m[12 + k] + unit(random) * (r % 4 == 0 ? 1 : 6);
        aim[k] = m[12 + k] + unit(random) * 1.5;
        direction[k] = aim[k] - origin[k];
      }
      double distance;
      int32_t triangle;
      const bool found = RayHitsObject(1, 0, origin[0], origin[1], origin[2], direction[0],
                                       direction[1], direction[2], distance, triangle);
      const long double length = std::sqrt((long double)direction[0] * direction[0] +
                                           (long double)direction[1] * direction[1] +
                                           (long double)direction[2] * direction[2]);
      const Vec o = {origin[0], origin[1], origin[2]};
      const Vec d = {direction[0] / length, direction[1] / length, direction[2] / length};
      const ReferenceHit expected = Reference(corners, m, o, d);
      if (expected.ambiguous) continue;
      ++compared;
      ASSERT_EQ(found, expected.triangle >= 0) << "mesh " << mesh << " ray " << r;
      if (!found) continue;
      ++hits;
      ASSERT_EQ(triangle, expected.triangle) << "mesh " << mesh << " ray " << r;
      ASSERT_NEAR(distance, static_cast<double>(expected.distance),
                  1e-6 * (1 + static_cast<double>(expected.distance)));
    }
    if (mesh % 5 == 0) PopTransform();
  }
  EXPECT_EQ(rays, 10000);
  EXPECT_GT(compared, rays * 99 / 100);
  EXPECT_GT(hits, compared / 6);
}

}  // namespace
