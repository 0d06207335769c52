// The arithmetic behind drawing: key-frame choice and blending, the object
// transform stack and the camera matrix.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/gfx3d/matrix.h"
#include "runtime/gfx3d/scene_internal.h"
#include "runtime/gfx3d/transform_stack.h"

using namespace gfx3d;

namespace {

struct Point {
  float x, y, z;
};

Point Apply(const Matrix& m, Point p) {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

void ExpectPoint(Point p, float x, float y, float z) {
  EXPECT_NEAR(p.x, x, 1e-5);
  EXPECT_NEAR(p.y, y, 1e-5);
  EXPECT_NEAR(p.z, z, 1e-5);
}

TEST(KeyFrameChoice, BlendPositionPicksFramesAndWeightByDirection) {
  // Halfway from 0 to 4 is frame 2 whole.
  FrameBlend b = ChooseFrames(5, 0, 4, 0.5);
  EXPECT_EQ(b.first, 2);
  EXPECT_EQ(b.second, 3);
  EXPECT_DOUBLE_EQ(b.firstWeight, 1);
  b = ChooseFrames(5, 0, 4, 0.6);  // p = 2.4
  EXPECT_EQ(b.first, 2);
  EXPECT_NEAR(b.firstWeight, 0.6, 1e-9);
  // Backwards the later frame comes first, weighted by the fraction.
  b = ChooseFrames(5, 4, 0, 0.4);  // p = 2.4
  EXPECT_EQ(b.first, 3);
  EXPECT_EQ(b.second, 2);
  EXPECT_NEAR(b.firstWeight, 0.4, 1e-9);
  // t outside 0..1 wraps to |fmod(t, 1)|.
  b = ChooseFrames(5, 0, 4, -1.25);  // t = 0.25, p = 1
  EXPECT_EQ(b.first, 1);
  EXPECT_DOUBLE_EQ(b.firstWeight, 1);
  b = ChooseFrames(5, 0, 4, NAN);
  EXPECT_EQ(b.first, 0);
}

TEST(KeyFrameChoice, FrameNumbersAreClampedToTheObject) {
  FrameBlend b = ChooseFrames(3, 7, 7, 0);
  EXPECT_EQ(b.first, 2);
  EXPECT_EQ(b.second, 2);
  b = ChooseFrames(3, -5, 10, 1);
  EXPECT_EQ(b.first, 2);
  EXPECT_EQ(b.second, 2);
  b = ChooseFrames(1, 0, 1, 0.5);
  EXPECT_EQ(b.first, 0);
  EXPECT_EQ(b.second, 0);
}

TEST(KeyFrameBlend, BlendsOverTheShorterFrameAndCanRenormalise) {
  KeyFrame a, b;
  a.vertices.resize(6);
  b.vertices.resize(4);
  for (int i = 0; i < 6; ++i) {
    a.vertices[i].position[0] = 10;
    a.vertices[i].normal[0] = 1;
  }
  for (int i = 0; i < 4; ++i) {
    b.vertices[i].position[0] = 20;
    b.vertices[i].normal[1] = 1;
  }
  std::vector<MeshVertex> out;
  BlendFrames(a, b, 0.25, false, out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_FLOAT_EQ(out[0].position[0], 17.5f);
  EXPECT_FLOAT_EQ(out[0].normal[0], 0.25f);
  BlendFrames(a, b, 0.5, true, out);
  EXPECT_NEAR(std::hypot(out[2].normal[0], out[2].normal[1]), 1.0, 1e-6);
}

TEST(TransformStack, ScalesThenTurnsInOrderAddedThenMoves) {
  TransformStack t;
  t.SetScaling(2, 2, 2);
  t.SetTranslation(10, 0, 0);  // keeps the scaling
  t.AddRotation(90, 0, 0, 1);  // x -> y
  t.AddRotation(90, 1, 0, 0);  // then y -> z
  ExpectPoint(Apply(t.Current(), {1, 0, 0}), 10, 0, 2);
  // Restarting drops the rotations but keeps the translation.
  t.SetScaling(1, 1, 1);
  ExpectPoint(Apply(t.Current(), {1, 0, 0}), 11, 0, 0);
}

TEST(TransformStack, NestedLevelsStartFromTheEnclosingOne) {
  TransformStack t;
  t.SetTranslation(5, 0, 0);
  t.AddRotation(90, 0, 1, 0);  // x -> -z
  t.Push();
  ExpectPoint(Apply(t.Current(), {1, 0, 0}), 5, 0, -1);
  t.SetTranslation(0, 0, 2);  // restarts from the enclosing matrix
  ExpectPoint(Apply(t.Current(), {0, 0, 0}), 7, 0, 0);
  t.Pop();
  ExpectPoint(Apply(t.Current(), {0, 0, 0}), 5, 0, 0);
  // Popping the base level gives the identity.
  t.Pop();
  ExpectPoint(Apply(t.Current(), {1, 2, 3}), 1, 2, 3);
}

TEST(TransformStack, RotationAndDepthCapsKeepThingsBalanced) {
  TransformStack t;
  for (int i = 0; i < 20; ++i) t.AddRotation(90, 0, 0, 1);  // only 16 count: 4 full turns
  t.AddRotation(90, 0, 0, 0.00001f);                        // no axis: skipped
  ExpectPoint(Apply(t.Current(), {1, 0, 0}), 1, 0, 0);

  t.Reset();
  t.SetTranslation(1, 0, 0);
  for (int i = 0; i < 100; ++i) t.Push();
  EXPECT_EQ(t.Depth(), 101);
  for (int i = 0; i < 100; ++i) t.Pop();
  ExpectPoint(Apply(t.Current(), {0, 0, 0}), 1, 0, 0);
}

TEST(Camera, LookAtPutsTheTargetStraightAhead) {
  const float eye[3] = {3, 4, 5}, target[3] = {3, 4, -5}, up[3] = {0, 1, 0};
  const Matrix view = LookAt(eye, target, up);
  ExpectPoint(Apply(view, {3, 4, -5}), 0, 0, -10);
  ExpectPoint(Apply(view, {4, 4, 5}), 1, 0, 0);
  // Looking straight down the up vector leaves a finite matrix.
  const float below[3] = {3, -10, 5};
  for (float v : LookAt(eye, below, up)) EXPECT_TRUE(std::isfinite(v));
}

TEST(Camera, CullingTangentWidensAndCaps) {
  EXPECT_NEAR(CullingTangent(45), std::tan(50 * M_PI / 180), 1e-6);
  EXPECT_NEAR(CullingTangent(85), std::tan(1.553343), 1e-3);
  EXPECT_NEAR(CullingTangent(-10), std::tan(1.553343), 1e-3);
}

}  // namespace
