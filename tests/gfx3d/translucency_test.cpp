// The blend mode's alpha on 3D objects: a red square over a blue one, at
// several alphas, from a vertex buffer, from memory and lit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "scene_fixture.h"

using namespace scenetest;

namespace {

class Translucency : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    LoadObject(1, SquareObject({{0, 0, -6, 3}}, {0, 0, 255}));
    // Two key frames in the same place: a blend halfway is drawn from
    // memory, a key frame from its vertex buffer.
    LoadObject(2, SquareObject({{0, 0, -5, 1}, {0, 0, -5, 1}}, {255, 0, 0}));
    LoadObject(3, SquareObject({{0.5f, 0, -4, 1}}, {0, 255, 0}));
  }
  void TearDown() override {
    SetBlendMode(0);
    SceneTest::TearDown();
  }

  // Blue, then red through the blend mode; the centre pixel.
  Colour RedOverBlue(double blendMode, bool fromMemory, bool lit = false) {
    ClearToBlack();
    SetBlendMode(0);
    BeginScene3D(1, 100, 45);
    if (lit) SetLight(0, 0xFFFFFF, 0, 0, 0, 0, 0, -1, 180);
    PutObject(1, 0);
    SetBlendMode(blendMode);
    if (fromMemory)
      PutObjectBlended(2, 0, 1, 0.5, 0);
    else
      PutObject(2, 0);
    EndScene3D();
    return ReadScreen().At(160, 120);
  }
};

void ExpectColour(Colour c, double r, double g, double b) {
  EXPECT_NEAR(c.r, r, 1.5);
  EXPECT_NEAR(c.g, g, 1.5);
  EXPECT_NEAR(c.b, b, 1.5);
}

TEST_F(Translucency, ObjectsFadeWithTheBlendModesAlpha) {
  for (bool fromMemory : {false, true}) {
    for (double alpha : {0.25, 0.5, 0.75}) {
      SCOPED_TRACE(testing::Message() << "alpha " << alpha << " from memory " << fromMemory);
      ExpectColour(RedOverBlue(-alpha, fromMemory), 255 * alpha, 0, 255 * (1 - alpha));
    }
    // -1 is opaque (image alpha only), 0 no blending: red covers blue.
    ExpectColour(RedOverBlue(-1, fromMemory), 255, 0, 0);
    ExpectColour(RedOverBlue(0, fromMemory), 255, 0, 0);
  }
  // Below the alpha test's 0.05 an object is not drawn at all, as a sprite.
  ExpectColour(RedOverBlue(-0.04, false), 0, 0, 255);
}

TEST_F(Translucency, LitObjectsFadeAndAdditiveModeAdds) {
  // A light shining straight at the squares: the diffuse colour, and with
  // it the alpha, comes from the vertex colours; half of each lit colour.
  const Colour red = RedOverBlue(-1, false, true);
  const Colour blue = RedOverBlue(-0.04, false, true);
  ExpectColour(RedOverBlue(-0.5, false, true), (red.r + blue.r) / 2.0, (red.g + blue.g) / 2.0,
               (red.b + blue.b) / 2.0);
  // Additive at 0.5: blue plus half the red.
  ExpectColour(RedOverBlue(0.5, false), 127.5, 0, 255);
}

TEST_F(Translucency, DrawnInTheOrderTheProgramCalls) {
  // Back to front: green over red over blue where all three overlap.
  ClearToBlack();
  SetBlendMode(0);
  BeginScene3D(1, 100, 45);
  PutObject(1, 0);
  SetBlendMode(-0.5);
  PutObject(2, 0);
  PutObject(3, 0);
  EndScene3D();
  const Picture p = ReadScreen();
  p.Write("gfx3d_translucent.png");
  ExpectColour(p.At(175, 120), 63.75, 127.5, 63.75);
  ExpectColour(p.At(110, 120), 127.5, 0, 127.5);

  // Front to back: the nearer square's depth hides the farther one behind
  // it, as with any depth-tested drawing; the program orders its draws.
  ClearToBlack();
  SetBlendMode(0);
  BeginScene3D(1, 100, 45);
  PutObject(1, 0);
  SetBlendMode(-0.5);
  PutObject(3, 0);
  PutObject(2, 0);
  EndScene3D();
  ExpectColour(ReadScreen().At(175, 120), 0, 127.5, 127.5);
}

}  // namespace
