// The view frustum: its planes from projection and camera, the point,
// sphere and box tests, and the objects a scene leaves out.
#include <gtest/gtest.h>

#include <cmath>

#include "built_shapes.h"
#include "runtime/gfx3d/frustum.h"
#include "scene_fixture.h"

using namespace scenetest;

namespace {

// fov 90, square: the side planes are x = +-z and y = +-z, near 1, far 10.
gfx3d::ViewFrustum RightAngleFrustum() {
  return gfx3d::FrustumOf(gfx3d::Frustum(-1, 1, -1, 1, 1, 10), gfx3d::Identity());
}

TEST(FrustumPlanes, PointsSpheresAndBoxesAgainstAKnownFrustum) {
  const gfx3d::ViewFrustum f = RightAngleFrustum();
  auto point = [&](double x, double y, double z) {
    const double p[3] = {x, y, z};
    return gfx3d::PointInFrustum(f, p);
  };
  EXPECT_TRUE(point(0, 0, -5));
  EXPECT_TRUE(point(4.99, 0, -5));
  EXPECT_FALSE(point(5.01, 0, -5));
  EXPECT_FALSE(point(0, -5.01, -5));
  EXPECT_FALSE(point(0, 0, -0.99));  // before the near plane
  EXPECT_FALSE(point(0, 0, -10.01));
  EXPECT_FALSE(point(0, 0, 5));  // behind the camera
  EXPECT_FALSE(point(NAN, 0, -5));

  // (6, 0, -5) lies 1 / sqrt(2) outside the plane x = -z.
  auto sphere = [&](double x, double y, double z, double r) {
    const double c[3] = {x, y, z};
    return gfx3d::SphereInFrustum(f, c, r);
  };
  EXPECT_EQ(sphere(6, 0, -5, 0.7), gfx3d::kOutside);
  EXPECT_EQ(sphere(6, 0, -5, 0.72), gfx3d::kPartlyInside);
  EXPECT_EQ(sphere(0, 0, -5, 1), gfx3d::kWhollyInside);
  EXPECT_EQ(sphere(0, 0, -5, 4), gfx3d::kPartlyInside);   // reaches past the near plane
  EXPECT_EQ(sphere(0, 0, -5, -1), gfx3d::kWhollyInside);  // a point
  EXPECT_EQ(sphere(0, 0, -5, NAN), gfx3d::kOutside);

  auto box = [&](std::array<double, 3> lo, std::array<double, 3> hi) {
    return gfx3d::BoxInFrustum(f, lo.data(), hi.data());
  };
  EXPECT_EQ(box({-1, -1, -6}, {1, 1, -4}), gfx3d::kWhollyInside);
  EXPECT_EQ(box({4, -1, -6}, {8, 1, -4}), gfx3d::kPartlyInside);
  EXPECT_EQ(box({7, -1, -6}, {8, 1, -4}), gfx3d::kOutside);
  EXPECT_EQ(box({-1, -1, 1}, {1, 1, 3}), gfx3d::kOutside);
}

TEST(FrustumPlanes, FollowTheCameraAndSurviveASingularProjection) {
  const float eye[3] = {10, 0, 0}, target[3] = {10, 0, -1}, up[3] = {0, 1, 0};
  const gfx3d::ViewFrustum moved =
      gfx3d::FrustumOf(gfx3d::Frustum(-1, 1, -1, 1, 1, 10), gfx3d::LookAt(eye, target, up));
  const double ahead[3] = {10, 0, -5}, origin[3] = {0, 0, -5};
  EXPECT_TRUE(gfx3d::PointInFrustum(moved, ahead));
  EXPECT_FALSE(gfx3d::PointInFrustum(moved, origin));

  // Looking straight down: a side plane turns with the view.
  const float high[3] = {0, 10, 0}, below[3] = {0, 0, 0}, north[3] = {0, 0, -1};
  const gfx3d::ViewFrustum down =
      gfx3d::FrustumOf(gfx3d::Frustum(-1, 1, -1, 1, 1, 10), gfx3d::LookAt(high, below, north));
  const double floor[3] = {3, 1, 0}, beside[3] = {12, 1, 0};
  EXPECT_TRUE(gfx3d::PointInFrustum(down, floor));
  EXPECT_FALSE(gfx3d::PointInFrustum(down, beside));

  // A matrix of zeros gives planes without direction: the defaults stay.
  gfx3d::Matrix zero{};
  const gfx3d::ViewFrustum fallback = gfx3d::FrustumOf(zero, gfx3d::Identity());
  const gfx3d::ViewFrustum unit;
  for (int i = 0; i < 6; ++i) {
    for (int k = 0; k < 4; ++k) EXPECT_EQ(fallback.planes[i][k], unit.planes[i][k]);
  }
}

using SceneFrustum = SceneTest;

TEST_F(SceneFrustum, CommandsUseTheSceneProjectionAndCamera) {
  // fov 45 on 320 x 240: at 10 ahead the view is 4.142 high and 5.523 wide.
  BeginScene3D(1, 100, 45);
  EXPECT_EQ(PointInFrustum(0, 4.1, -10), 1);
  EXPECT_EQ(PointInFrustum(0, 4.2, -10), 0);
  EXPECT_EQ(PointInFrustum(5.5, 0, -10), 1);
  EXPECT_EQ(PointInFrustum(5.55, 0, -10), 0);
  EXPECT_EQ(SphereInFrustum(0, 0, -50, 1), 2);
  EXPECT_EQ(SphereInFrustum(0, 0, -101.5, 1), 0);
  EXPECT_EQ(SphereInFrustum(0, 0, -100.5, 1), 1);
  // Corners in either order; NaN anywhere is outside.
  EXPECT_EQ(BoxInFrustum(1, 1, -20, -1, -1, -10), 2);
  EXPECT_EQ(BoxInFrustum(5, -1, -11, 7, 1, -9), 1);
  EXPECT_EQ(BoxInFrustum(-1, -1, -10, 1, 1, NAN), 0);

  // The camera turns round: what was ahead is now behind.
  PlaceCamera(0, 0, 0, 0, 0, 10);
  EXPECT_EQ(PointInFrustum(0, 0, -10), 0);
  EXPECT_EQ(PointInFrustum(0, 0, 10), 1);
  // The frustum outlives the scene, for logic between frames.
  EndScene3D();
  EXPECT_EQ(PointInFrustum(0, 0, 10), 1);
}

// Small cubes on a grid much wider than the view, turned and scaled, with
// some across the view's edges.
void DrawCubeField() {
  for (int row = -6; row <= 6; ++row) {
    for (int column = -12; column <= 12; ++column) {
      SetObjectTranslation(column * 0.9, row * 0.75, -8 - (column + row + 18) % 5);
      SetObjectScaling(0.7 + 0.05 * (row & 3), 1, 1.3);
      AddObjectRotation(column * 17 + row * 5, 1, 1, 0);
      PutObject(1 + (column + 12) % 3, 0);
    }
  }
}

TEST_F(SceneFrustum, CullingLeavesThePictureAsItWasAndCountsWhatItSkipped) {
  ASSERT_EQ(BuildCube(1, 0.3, 0x0000FF), 1);
  ASSERT_EQ(BuildCube(2, 0.25, 0x00FF00), 1);
  ASSERT_EQ(BuildBox(3, 0.4, 0.1, 0.2, 0xFF8000), 1);
  const int cubes = 13 * 25;

  BeginScene3D(1, 100, 45);
  PlaceCamera(0, 0, 0, 0.5, 0.3, -8);
  SetLight(0, 0xFFFFFF, 0, 0, 0, 0.3, -0.5, -1, 180);
  DrawCubeField();
  const int drawn = ObjectsDrawn(), culled = ObjectsCulled();
  const Picture culledPicture = ReadScreen();
  culledPicture.Write("gfx3d_culled_field.png");

  ClearToBlack();
  BeginScene3D(1, 100, 45);
  SetFrustumCulling(0);
  PlaceCamera(0, 0, 0, 0.5, 0.3, -8);
  SetLight(0, 0xFFFFFF, 0, 0, 0, 0.3, -0.5, -1, 180);
  DrawCubeField();
  EXPECT_EQ(ObjectsDrawn(), cubes);
  EXPECT_EQ(ObjectsCulled(), 0);
  SetFrustumCulling(1);
  EXPECT_TRUE(ReadScreen() == culledPicture);

  EXPECT_EQ(drawn + culled, cubes);
  EXPECT_GT(culled, cubes / 3);
  EXPECT_GT(drawn, 50);
  // The counters start over with the scene; empty slots do not count.
  BeginScene3D(1, 100, 45);
  PutObject(9, 0);
  EXPECT_EQ(ObjectsDrawn() + ObjectsCulled(), 0);
}

TEST_F(SceneFrustum, OnlyAnOpenSceneCulls) {
  ASSERT_EQ(BuildCube(1, 0.5, 0xFFFFFF), 1);
  BeginScene3D(1, 100, 45);
  SetObjectTranslation(0, 0, 5);  // behind the camera
  PutObject(1, 0);
  EXPECT_EQ(ObjectsCulled(), 1);
  SetObjectTranslation(0, 0, -5);
  PutObject(1, 0);
  EXPECT_EQ(ObjectsDrawn(), 1);
  EndScene3D();
  // Drawn in 2D, with a projection the 3D frustum knows nothing of.
  PutObject(1, 0);
  EXPECT_EQ(ObjectsCulled(), 1);
  EXPECT_EQ(ObjectsDrawn(), 2);

  // While a shadow pass is open an object outside the view may still throw
  // its shadow into it: nothing is left out.
  BeginScene3D(1, 100, 45);
  SetLight(-3, 0, 0, 10, 0, 0, 0, 0, 90);
  SetObjectTranslation(0, 0, 5);
  PutObject(1, 0);
  EXPECT_EQ(ObjectsCulled(), 0);
  EXPECT_EQ(ObjectsDrawn(), 1);
}

}  // namespace
