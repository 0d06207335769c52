// 3D drawing on top of the 2D renderer: sprite textures, world textures
// found beside the world file, and the draw area as the scene's viewport.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>

#include "scene_fixture.h"

using namespace scenetest;

namespace {

class SceneTextures : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    char tmpl[] = "/tmp/rt_textures_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    mkdir((dir_ + "/levels").c_str(), 0755);
  }
  void TearDown() override {
    SceneTest::TearDown();
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
    return dir_ + "/" + name;
  }
  std::string dir_;
};

TEST_F(SceneTextures, SpriteTexturesWrapObjectsAndBadSlotsChangeNothing) {
  const std::string image = Write("halves.bmp", HalvesBmp(64, 0x0000FF, 0x00FF00));
  ASSERT_TRUE(SpriteFromFile(RtString(image.c_str()), 5));
  LoadObject(1, SquareObject({{0, 0, -5, 1.5f}}, {255, 255, 255}));
  for (int mipmapped : {0, 1}) {
    ClearToBlack();
    BeginScene3D(1, 100, 45);
    SetTextureMipmapping(mipmapped);
    SelectTextures3D(5, -1);
    SelectTextures3D(70000, -1);  // out of range: the selection stays
    PutObject(1, 0);
    const Picture p = ReadScreen();
    if (mipmapped) p.Write("gfx3d_sprite_texture.png");
    const Colour left = p.At(120, 120), right = p.At(200, 120);
    EXPECT_EQ(left.r, 255) << mipmapped;
    EXPECT_LT(left.g, 10) << mipmapped;
    EXPECT_EQ(right.g, 255) << mipmapped;
    EXPECT_LT(right.r, 10) << mipmapped;
  }
  EXPECT_EQ(gfx3d::Gfx3d().textureSlot, 5);
  BeginScene3D(1, 100, 45);
  EXPECT_EQ(gfx3d::Gfx3d().textureSlot, -1);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(SceneTextures, WorldTexturesComeFromTheWorldsFolderAndGoWithIt) {
  // BMP bytes under a PNG name: the readers go by content, not by name.
  Write("levels/rock.png", HalvesBmp(32, 0xFF0000, 0xFF0000));
  Write("levels/square.dda", SquareObject({{0, 0, -5, 1}}, {255, 255, 255}));
  const std::string world = Write("levels/world",
                                  ";DDW\n[textures]\ncount=2\n1=rock.png\n2=none.png\n"
                                  "[objects]\ncount=2\n1=square.dda\n1ta=1\n2=square.dda\n2ta=7\n");
  ObjectFromFile(RtString(world.c_str()), 2);
  const gfx3d::ObjectSlot* slot = gfx3d::Gfx3d().objects[2].get();
  ASSERT_NE(slot, nullptr);
  ASSERT_EQ(slot->worldTextures.size(), 2u);
  const GLuint rock = slot->worldTextures[0];
  EXPECT_TRUE(glIsTexture(rock));
  EXPECT_EQ(slot->worldTextures[1], 0u);

  BeginScene3D(1, 100, 45);
  PutObject(2, 0);
  const Picture p = ReadScreen();
  p.Write("gfx3d_world_texture.png");
  // Both squares share the place; the second (texture 7: none) is drawn
  // last but loses the depth test, so the rock texture shows.
  const Colour c = p.At(160, 120);
  EXPECT_EQ(c.b, 255);
  EXPECT_LT(c.r, 10);

  // Loading over the world deletes its textures.
  ObjectFromFile(RtString(world.c_str()), 2);
  EXPECT_FALSE(glIsTexture(rock));
  EXPECT_TRUE(glIsTexture(gfx3d::Gfx3d().objects[2]->worldTextures[0]));
}

TEST_F(SceneTextures, TheSceneFillsTheDrawAreaAndEndsInTheWholeScreen) {
  LoadObject(1, SquareObject({{0, 0, -5, 4}}, {255, 255, 255}));
  SetDrawArea(200, 20, 100, 50);
  BeginScene3D(1, 100, 45);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 200);
  EXPECT_EQ(viewport[1], 240 - 20 - 50);
  EXPECT_EQ(viewport[2], 100);
  EXPECT_EQ(viewport[3], 50);
  float projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[5] / projection[0], 2.0, 1e-5);  // aspect 100 / 50
  PutObject(1, 0);
  EndScene3D();
  const Picture p = ReadScreen();
  p.Write("gfx3d_draw_area.png");
  EXPECT_EQ(p.At(250, 45).r, 255);
  EXPECT_LT(p.At(150, 45).r, 10);  // outside the area
  int x, y, w, h;
  DrawArea(x, y, w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
}

}  // namespace
