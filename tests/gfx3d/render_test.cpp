// What the scene commands put on the screen. Each test writes its picture
// as gfx3d_<name>.png next to the test binary for a person to look at.
#include <gtest/gtest.h>

#include "scene_fixture.h"

using namespace scenetest;

namespace {

using SceneRender = SceneTest;

bool IsBlack(Colour c) {
  return c.r < 8 && c.g < 8 && c.b < 8;
}

TEST_F(SceneRender, BlendHalfwayFromZeroToFourDrawsFrameTwoAlone) {
  std::vector<SquareFrame> frames;
  for (int k = 0; k < 5; ++k) frames.push_back({(k - 2) * 1.0f, 0, -5, 0.4f});
  LoadObject(1, SquareObject(frames, {255, 200, 0}));

  BeginScene3D(1, 100, 45);
  PutObject(1, 2);
  const Picture frameTwo = ReadScreen();
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  PutObjectBlended(1, 0, 4, 0.5, 0);
  const Picture blended = ReadScreen();
  blended.Write("gfx3d_blend_frame2.png");
  EXPECT_TRUE(blended == frameTwo);
  EXPECT_EQ(blended.At(160, 120).r, 255);
  EXPECT_TRUE(IsBlack(blended.At(218, 120)));

  // p = 2.5 lies halfway between frames 2 and 3; 4 to 0 with t = 0.375 is
  // the same place.
  for (auto [from, to, t] : {std::tuple{0, 4, 0.625}, std::tuple{4, 0, 0.375}}) {
    ClearToBlack();
    BeginScene3D(1, 100, 45);
    PutObjectBlended(1, from, to, t, 0);
    const Picture half = ReadScreen();
    EXPECT_TRUE(IsBlack(half.At(160, 120))) << from;
    EXPECT_EQ(half.At(189, 120).g, 200) << from;
    if (from == 4) half.Write("gfx3d_blend_2_5.png");
  }
}

TEST_F(SceneRender, CullingRemovesTheSideItIsToldTo) {
  LoadObject(1, SquareObject({{0, 0, -5, 1}}, {255, 255, 255}));
  BeginScene3D(1, 100, 45);
  SetFaceCulling(-1);  // counter-clockwise is the front: the square shows
  PutObject(1, 0);
  EXPECT_EQ(ReadScreen().At(160, 120).r, 255);
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  SetFaceCulling(1);  // clockwise is the front: the square is a back face
  PutObject(1, 0);
  EXPECT_TRUE(IsBlack(ReadScreen().At(160, 120)));
}

TEST_F(SceneRender, NearerSurfacesHideFartherOnesWhateverTheOrder) {
  LoadObject(1, SquareObject({{0, 0, -3, 0.5f}}, {0, 255, 0}));
  LoadObject(2, SquareObject({{0, 0, -5, 2}}, {255, 0, 0}));
  BeginScene3D(1, 100, 45);
  PutObject(1, 0);
  PutObject(2, 0);
  const Picture p = ReadScreen();
  p.Write("gfx3d_depth.png");
  EXPECT_EQ(p.At(160, 120).g, 255);
  EXPECT_EQ(p.At(160, 120).r, 0);
  EXPECT_EQ(p.At(160, 40).r, 255);
}

TEST_F(SceneRender, LinearFogTurnsDistantSurfacesToTheFogColour) {
  LoadObject(1, SquareObject({{-1.2f, 0, -5, 1}}, {255, 255, 255}));
  LoadObject(2, SquareObject({{1.2f, 0, -50, 10}}, {255, 255, 255}));
  BeginScene3D(1, 100, 45);
  SetFog(0xFF0000, 0, 4, 40);  // blue, fully fogged from 40 on
  PutObject(1, 0);
  PutObject(2, 0);
  const Picture p = ReadScreen();
  p.Write("gfx3d_fog.png");
  const Colour near = p.At(110, 120), far = p.At(200, 120);
  EXPECT_GT(near.r, 200);  // little fog at 5
  EXPECT_LT(near.b - near.r, 20);
  EXPECT_TRUE(far.r < 5 && far.g < 5 && far.b > 250);
}

TEST_F(SceneRender, LightColoursTheFacesItReaches) {
  LoadObject(1, SquareObject({{-1.2f, 0, -5, 1}}, {255, 255, 255}));
  LoadObject(2, SquareObject({{1.2f, 0, -5, 1}}, {255, 255, 255}));
  BeginScene3D(1, 100, 45);
  PutObject(1, 0);                                // unlit: as coloured
  SetLight(0, 0x0000FF, 0, 0, 0, 0, 0, -1, 180);  // red, shining away from the camera
  PutObject(2, 0);
  const Picture p = ReadScreen();
  p.Write("gfx3d_lit.png");
  const Colour unlit = p.At(110, 120), lit = p.At(210, 120);
  EXPECT_EQ(unlit.r, 255);
  EXPECT_EQ(unlit.g, 255);
  EXPECT_GT(lit.r, 240);
  EXPECT_LT(lit.g, 60);  // the ambient part is white
  // Lit from behind only the ambient part remains.
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  SetLight(0, 0x0000FF, 0, 0, 0, 0, 0, 1, 180);
  PutObject(2, 0);
  const Colour dark = ReadScreen().At(210, 120);
  EXPECT_LT(dark.r, 60);
  EXPECT_EQ(dark.r, dark.g);
}

TEST_F(SceneRender, TheFirstRotationAddedActsFirst) {
  // A square beside the origin, 1 to 2 along x.
  LoadObject(1, SquareObject({{1.5f, 0, 0, 0.5f}}, {0, 255, 255}));
  BeginScene3D(1, 100, 45);
  SetObjectTranslation(0, 0, -6);
  AddObjectRotation(90, 0, 0, 1);   // x turns to y,
  AddObjectRotation(180, 1, 0, 0);  // then y to -y: below the centre
  PutObject(1, 0);
  const Picture zThenX = ReadScreen();
  zThenX.Write("gfx3d_rotation_order.png");
  EXPECT_EQ(zThenX.At(160, 192).g, 255);
  EXPECT_TRUE(IsBlack(zThenX.At(160, 48)));

  ClearToBlack();
  BeginScene3D(1, 100, 45);
  SetObjectTranslation(0, 0, -6);
  AddObjectRotation(180, 1, 0, 0);  // x stays,
  AddObjectRotation(90, 0, 0, 1);   // then turns to y: above the centre
  PutObject(1, 0);
  const Picture xThenZ = ReadScreen();
  EXPECT_EQ(xThenZ.At(160, 48).g, 255);
  EXPECT_TRUE(IsBlack(xThenZ.At(160, 192)));
}

TEST_F(SceneRender, TheCameraLooksAtItsTarget) {
  LoadObject(1, SquareObject({{10, 3, -20, 1}}, {255, 0, 255}));
  BeginScene3D(1, 100, 45);
  PlaceCamera(0, 3, 0, 10, 3, -20);
  PutObject(1, 0);
  const Picture p = ReadScreen();
  EXPECT_EQ(p.At(160, 120).r, 255);
  EXPECT_EQ(p.At(160, 120).b, 255);
}

TEST_F(SceneRender, EmptyAndOutOfRangeSlotsDrawNothing) {
  LoadObject(1, "DDDA 1.0 0 0 1 0");  // loads, but without a vertex
  BeginScene3D(1, 100, 45);
  for (int n : {-1, 0, 1, 70000}) {
    PutObject(n, 0);
    PutObjectBlended(n, 0, 3, 0.5, 1);
  }
  EXPECT_FALSE(gfx3d::Gfx3d().objects[1]->inUse);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const Picture p = ReadScreen();
  EXPECT_TRUE(IsBlack(p.At(160, 120)));
}

}  // namespace
