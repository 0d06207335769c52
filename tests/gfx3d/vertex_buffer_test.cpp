// Key frames drawn from vertex buffers: made at the first draw, the same
// picture as from memory, and gone with the object, so that a slot loaded
// again draws its new shape.
#include <gtest/gtest.h>

#include "runtime/platform/window.h"
#include "scene_fixture.h"

using namespace scenetest;

namespace {

using FrameBuffers = SceneTest;

using IsBuffer = GLboolean (*)(GLuint);
IsBuffer IsBufferFunction() {
  return reinterpret_cast<IsBuffer>(plat::GetProcAddress("glIsBuffer"));
}

TEST_F(FrameBuffers, TheSecondDrawFromTheBufferMatchesTheFirstAndReloadsDrawAnew) {
  LoadObject(1, SquareObject({{0, 0, -5, 0.4f}, {1.5f, 0, -5, 0.4f}}, {255, 200, 0}));
  const gfx3d::Mesh& mesh = gfx3d::DrawableObject(1)->mesh;
  ASSERT_EQ(mesh.frames.size(), 2u);
  EXPECT_EQ(mesh.frames[0].buffer, 0u);

  BeginScene3D(1, 100, 45);
  PutObject(1, 0);
  const Picture first = ReadScreen();
  EXPECT_NE(mesh.frames[0].buffer, 0u);
  // A blend is drawn from memory and makes no buffer.
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  PutObjectBlended(1, 0, 1, 0.5, 0);
  EXPECT_EQ(mesh.frames[1].buffer, 0u);
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  PutObject(1, 0);
  const Picture second = ReadScreen();
  EXPECT_TRUE(first == second);
  EXPECT_EQ(first.At(160, 120).r, 255);

  // A new object in the same slot: its frame goes to the driver afresh, not
  // drawn from a buffer left behind by the old one.
  LoadObject(1, SquareObject({{-1.5f, 0, -5, 0.4f}}, {0, 0, 255}));
  EXPECT_EQ(gfx3d::DrawableObject(1)->mesh.frames[0].buffer, 0u);
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  PutObject(1, 0);
  const Picture reloaded = ReadScreen();
  EXPECT_EQ(reloaded.At(160, 120).r, 0);
  EXPECT_EQ(reloaded.At(160, 120).b, 0);
  EXPECT_EQ(reloaded.At(73, 120).b, 255);
}

TEST_F(FrameBuffers, FreedObjectsGiveTheirBuffersBack) {
  LoadObject(2, SquareObject({{0, 0, -5, 0.4f}}, {255, 255, 255}));
  BeginScene3D(1, 100, 45);
  PutObject(2, 0);
  gfx3d::Mesh& mesh = gfx3d::DrawableObject(2)->mesh;
  const uint32_t buffer = mesh.frames[0].buffer;
  ASSERT_NE(buffer, 0u);
  const IsBuffer isBuffer = IsBufferFunction();
  ASSERT_NE(isBuffer, nullptr);
  EXPECT_TRUE(isBuffer(buffer));
  gfx3d::ReleaseMeshBuffers(mesh);
  EXPECT_EQ(mesh.frames[0].buffer, 0u);
  EXPECT_FALSE(isBuffer(buffer));
}

}  // namespace
