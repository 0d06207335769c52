// Objects built in code and transform levels set from a matrix.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "built_shapes.h"
#include "runtime/core/runtime_error.h"
#include "runtime/gfx3d/transform_stack.h"
#include "scene_fixture.h"

using namespace scenetest;

namespace {

using BuiltObject = SceneTest;

bool IsBlack(Colour c) {
  return c.r < 8 && c.g < 8 && c.b < 8;
}

// The square SquareObject writes as text, vertex by vertex: the text form
// negates v, so the built one gives it negated.
int BuildSquare(int n, float x, float y, float z, float s, int colour, double normalLength) {
  BeginObject();
  const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  const float uvs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) {
    AddObjectVertex(x + corners[i][0] * s, y + corners[i][1] * s, z, 0, 0, normalLength, uvs[i][0],
                    -uvs[i][1], colour);
  }
  AddObjectTriangle(0, 1, 2);
  AddObjectTriangle(0, 2, 3);
  return EndObject(n);
}

Picture DrawLit(int n) {
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  SetLight(0, 0xFFFFFF, 0, 0, 0, 0.5, -0.3, -1, 180);
  SelectTextures3D(-1, -1);
  PutObject(n, 0);
  const Picture p = ReadScreen();
  EndScene3D();
  return p;
}

TEST_F(BuiltObject, DrawsLikeTheSameObjectLoadedFromAFile) {
  LoadObject(1, SquareObject({{0.3f, -0.2f, -4, 1}}, {40, 200, 90}));
  // Without normals the face normal lights both; a given one is made unit.
  ASSERT_EQ(BuildSquare(2, 0.3f, -0.2f, -4, 1, 40 | 200 << 8 | 90 << 16, 0), 1);
  ASSERT_EQ(BuildSquare(3, 0.3f, -0.2f, -4, 1, 40 | 200 << 8 | 90 << 16, 7.5), 1);
  const Picture loaded = DrawLit(1);
  loaded.Write("gfx3d_built_square.png");
  EXPECT_FALSE(IsBlack(loaded.At(170, 130)));
  EXPECT_TRUE(DrawLit(2) == loaded);
  EXPECT_TRUE(DrawLit(3) == loaded);
  // The built object has one key frame for every frame number asked.
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  SetLight(0, 0xFFFFFF, 0, 0, 0, 0.5, -0.3, -1, 180);
  PutObjectBlended(2, 0, 5, 0.7, 1);
  EXPECT_TRUE(ReadScreen() == loaded);
}

TEST_F(BuiltObject, TrianglesMayComeBeforeTheirVerticesAndShareThem) {
  BeginObject();
  AddObjectTriangle(0, 1, 2);
  EXPECT_EQ(AddObjectVertex(-1, -1, -3, 0, 0, 1, 0, 0, -1), 0);
  EXPECT_EQ(AddObjectVertex(1, -1, -3, 0, 0, 1, 0, 0, -1), 1);
  EXPECT_EQ(AddObjectVertex(0, 1, -3, 0, 0, 1, 0, 0, -1), 2);
  AddObjectTriangle(2, 1, 0);  // its back, on the same corners
  ASSERT_EQ(EndObject(4), 1);
  const gfx3d::ObjectSlot* slot = gfx3d::DrawableObject(4);
  ASSERT_NE(slot, nullptr);
  ASSERT_EQ(slot->mesh.frames.size(), 1u);
  EXPECT_EQ(slot->mesh.frames[0].vertices.size(), 6u);
  EXPECT_EQ(slot->mesh.frames[0].faceNormals[1].z, -1);
  EXPECT_EQ(slot->mesh.frames[0].vertices[0].rgb[0], 1);  // -1 is white
  BeginScene3D(1, 100, 45);
  PutObject(4, 0);
  EXPECT_EQ(ReadScreen().At(160, 120).r, 255);
  // Nothing is begun after an end: vertices are turned away.
  EXPECT_EQ(AddObjectVertex(0, 0, 0, 0, 0, 0, 0, 0, 0), -1);
}

// Each bad object is refused with error 7 and empties the slot it was to
// go into, which held a visible square before.
TEST_F(BuiltObject, BadObjectsAreRefusedAndDrawNothing) {
  const auto vertex = [](double x, double y, double z) {
    AddObjectVertex(x, y, z, 0, 0, 0, 0, 0, 0xFFFFFF);
  };
  const auto triangle = [&] {
    vertex(-1, -1, -4);
    vertex(1, -1, -4);
    vertex(0, 1, -4);
  };
  struct Case {
    const char* what;
    std::function<void()> build;
    int slot;
  };
  const Case cases[] = {
      {"no triangles", [&] { BeginObject(), triangle(); }, 1},
      {"nothing at all", [] { BeginObject(); }, 1},
      {"index past the vertices", [&] { BeginObject(), triangle(), AddObjectTriangle(0, 1, 3); },
       1},
      {"negative index", [&] { BeginObject(), triangle(), AddObjectTriangle(0, -1, 2); }, 1},
      {"NaN position",
       [&] { BeginObject(), triangle(), vertex(NAN, 0, -4), AddObjectTriangle(0, 1, 2); }, 1},
      {"infinite normal",
       [&] {
         BeginObject(), triangle();
         AddObjectVertex(0, 0, -4, INFINITY, 0, 1, 0, 0, 0);
         AddObjectTriangle(0, 1, 2);
       },
       1},
      {"NaN texture coordinate",
       [&] {
         BeginObject(), triangle();
         AddObjectVertex(0, 0, -4, 0, 0, 1, NAN, 0, 0);
         AddObjectTriangle(0, 1, 2);
       },
       1},
      {"beyond single precision",
       [&] { BeginObject(), triangle(), vertex(1e39, 0, -4), AddObjectTriangle(0, 1, 2); }, 1},
      {"never begun", [&] { triangle(), AddObjectTriangle(0, 1, 2); }, 1},
      {"no such slot", [&] { BeginObject(), triangle(), AddObjectTriangle(0, 1, 2); }, 65536},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(BuildSquare(1, 0, 0, -4, 1, 0xFFFFFF, 0), 1);
    ClearRuntimeError();
    c.build();
    EXPECT_EQ(EndObject(c.slot), 0);
    EXPECT_EQ(static_cast<int>(RuntimeErrors().errorCode), kErrInvalidArgument);
    if (c.slot == 1) {
      EXPECT_EQ(gfx3d::DrawableObject(1), nullptr);
    }
    // Nothing half-built lingers for the next object.
    EXPECT_EQ(AddObjectVertex(0, 0, 0, 0, 0, 0, 0, 0, 0), -1);
    ClearToBlack();
    BeginScene3D(1, 100, 45);
    if (c.slot == 1) {
      PutObject(1, 0);
      double distance;
      int32_t hit;
      EXPECT_FALSE(RayHitsObject(1, 0, 0, 0, 0, 0, 0, -1, distance, hit));
      EXPECT_TRUE(IsBlack(ReadScreen().At(160, 120)));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EndScene3D();
  }
  ClearRuntimeError();
}

TEST_F(BuiltObject, AMatrixSetDirectlyDrawsLikeTheSameTranslation) {
  ASSERT_EQ(BuildCube(1, 0.5, 0x00FFFF), 1);
  BeginScene3D(1, 100, 45);
  SetObjectTranslation(0.7, -0.4, -5);
  PutObject(1, 0);
  const Picture translated = ReadScreen();
  translated.Write("gfx3d_matrix_cube.png");

  ClearToBlack();
  BeginScene3D(1, 100, 45);
  const double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.7, -0.4, -5, 1};
  SetObjectMatrix(m);
  double back[16];
  GetObjectMatrix(back);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(back[i], m[i]) << i;
  PutObject(1, 0);
  EXPECT_TRUE(ReadScreen() == translated);
  EXPECT_FALSE(IsBlack(translated.At(182, 130)));
}

TEST(ObjectMatrix, CombinesWithTheLevelsAroundIt) {
  gfx3d::TransformStack stack;
  auto at = [](const gfx3d::Matrix& m, float x, float y, float z) {
    return std::array<float, 3>{m[0] * x + m[4] * y + m[8] * z + m[12],
                                m[1] * x + m[5] * y + m[9] * z + m[13],
                                m[2] * x + m[6] * y + m[10] * z + m[14]};
  };
  stack.SetTranslation(10, 0, 0);
  stack.Push();
  gfx3d::Matrix doubled = gfx3d::Scaling(2, 2, 2);
  doubled[13] = 1;  // and up by 1
  stack.SetMatrix(doubled);
  // Inside the moved level: (1, 0, 0) -> (2, 1, 0) -> (12, 1, 0).
  EXPECT_EQ(at(stack.Current(), 1, 0, 0), (std::array<float, 3>{12, 1, 0}));
  // A rotation added afterwards acts first: (1, 0, 0) turns to (0, 1, 0).
  stack.AddRotation(90, 0, 0, 1);
  const auto turned = at(stack.Current(), 1, 0, 0);
  EXPECT_NEAR(turned[0], 10, 1e-5);
  EXPECT_NEAR(turned[1], 3, 1e-5);
  // A translation starts the level over without the matrix.
  stack.SetTranslation(0, 0, 1);
  EXPECT_EQ(at(stack.Current(), 1, 0, 0), (std::array<float, 3>{11, 0, 1}));
  stack.Pop();
  EXPECT_EQ(at(stack.Current(), 1, 0, 0), (std::array<float, 3>{11, 0, 0}));
}

TEST_F(BuiltObject, AMatrixWithNaNIsRefusedAndTheLevelKept) {
  BeginScene3D(1, 100, 45);
  SetObjectTranslation(1, 2, 3);
  ClearRuntimeError();
  double bad[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  bad[5] = NAN;
  SetObjectMatrix(bad);
  EXPECT_EQ(static_cast<int>(RuntimeErrors().errorCode), kErrInvalidArgument);
  bad[5] = 1;
  bad[14] = 1e300;  // finite, but not as a float
  SetObjectMatrix(bad);
  double m[16];
  GetObjectMatrix(m);
  EXPECT_EQ(m[12], 1);
  EXPECT_EQ(m[13], 2);
  EXPECT_EQ(m[14], 3);
  SetObjectMatrix(nullptr);
  GetObjectMatrix(nullptr);
  ClearRuntimeError();
}

}  // namespace
