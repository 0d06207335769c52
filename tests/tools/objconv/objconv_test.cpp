// What objconv writes, read back by the runtime's own object loader.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "convert.h"
#include "obj_model.h"
#include "runtime/gfx3d/normal_table.h"
#include "runtime/gfx3d/object_file.h"

namespace {

const char* kMtl =
    "newmtl red\nKd 1 0 0\n"
    "newmtl teal\nKd 0 0.5 0.5\n";

// A square (red) and a pentagon (teal) with coordinates and normals.
const char* kShapes =
    "mtllib shapes.mtl\n"
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "v 2 0 0\nv 3 0 0\nv 3.5 1 0\nv 2.5 2 0\nv 1.5 1 0\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "vn 0 0 1\nvn 0 0 -1\n"
    "usemtl red\n"
    "f 1/1/1 2/2/1 3/3/1 4/4/1\n"
    "usemtl teal\n"
    "f 5/1/2 6/2/2 7/3/2 8/4/2 9/1/2\n";

objconv::ObjModel Model(const std::string& text) {
  objconv::ObjModel model;
  std::string error;
  std::vector<std::string> warnings;
  EXPECT_TRUE(objconv::ParseObj(
      text,
      [](const std::string& name, std::string& mtl) {
        if (name != "shapes.mtl") return false;
        mtl = kMtl;
        return true;
      },
      model, error, warnings))
      << error;
  return model;
}

gfx3d::Mesh Load(const std::vector<uint8_t>& bytes) {
  gfx3d::Mesh mesh;
  EXPECT_TRUE(gfx3d::ParseObjectBytes(bytes.data(), bytes.size(), "converted", mesh));
  gfx3d::DeriveTriangleData(mesh);
  return mesh;
}

void ExpectSameShapes(const gfx3d::Mesh& mesh, bool exactNormals) {
  ASSERT_EQ(mesh.frames.size(), 1u);
  const auto& v = mesh.frames[0].vertices;
  ASSERT_EQ(v.size(), 15u);  // 2 + 3 triangles
  // The square's fan: corners 1, 2, 3 then 1, 3, 4.
  EXPECT_EQ(v[0].colour, 0x0000FFu);
  EXPECT_FLOAT_EQ(v[2].position[0], 1);
  EXPECT_FLOAT_EQ(v[2].position[1], 1);
  EXPECT_FLOAT_EQ(v[2].uv[0], 1);
  EXPECT_FLOAT_EQ(v[2].uv[1], 1);  // as the OBJ gave it
  EXPECT_FLOAT_EQ(v[5].uv[1], 1);
  EXPECT_FLOAT_EQ(v[1].uv[1], 0);
  EXPECT_EQ(v[6].colour, 0x808000u);
  EXPECT_FLOAT_EQ(v[14].position[0], 1.5f);
  if (exactNormals) {
    EXPECT_FLOAT_EQ(v[0].normal[2], 1);
    EXPECT_FLOAT_EQ(v[6].normal[2], -1);
  } else {
    EXPECT_GT(v[0].normal[2], 0.99f);
    EXPECT_LT(v[6].normal[2], -0.99f);
  }
}

TEST(ObjConv, TextFormTriangulatesGroupsByMaterialAndKeepsCoordinates) {
  std::string text, error;
  ASSERT_TRUE(objconv::WriteTextObject({Model(kShapes)}, text, error)) << error;
  const gfx3d::Mesh mesh = Load(std::vector<uint8_t>(text.begin(), text.end()));
  ExpectSameShapes(mesh, true);
  EXPECT_EQ(mesh.colours.size(), 2u);
}

TEST(ObjConv, BinaryFormMatchesTheTextForm) {
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(objconv::WriteBinaryObject({Model(kShapes)}, bytes, error)) << error;
  ExpectSameShapes(Load(bytes), false);
}

TEST(ObjConv, KeyFramesShareTheFirstFramesFaces) {
  std::string moved = kShapes;
  moved.replace(moved.find("v 0 0 0"), 7, "v 0 0 4");
  std::string text, error;
  ASSERT_TRUE(objconv::WriteTextObject({Model(kShapes), Model(moved)}, text, error));
  const gfx3d::Mesh mesh = Load(std::vector<uint8_t>(text.begin(), text.end()));
  ASSERT_EQ(mesh.frames.size(), 2u);
  EXPECT_FLOAT_EQ(mesh.frames[0].vertices[0].position[2], 0);
  EXPECT_FLOAT_EQ(mesh.frames[1].vertices[0].position[2], 4);

  std::string other = kShapes;
  other.replace(other.find("f 1/1/1 2/2/1 3/3/1 4/4/1"), 25, "f 1/1/1 2/2/1 3/3/1");
  EXPECT_FALSE(objconv::WriteTextObject({Model(kShapes), Model(other)}, text, error));
  EXPECT_EQ(error, "frame 2 does not have the faces of frame 1");
}

TEST(ObjConv, MissingNormalsAreSmoothedFromTheFaces) {
  const objconv::ObjModel model = Model("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 1\nf 1 2 3\nf 1 3 4\n");
  std::string text, error;
  ASSERT_TRUE(objconv::WriteTextObject({model}, text, error));
  const gfx3d::Mesh mesh = Load(std::vector<uint8_t>(text.begin(), text.end()));
  const auto& v = mesh.frames[0].vertices;
  // Corner 1 is shared: its normal leans between the two faces.
  EXPECT_NEAR(std::hypot(v[0].normal[0], v[0].normal[1], v[0].normal[2]), 1, 1e-5);
  EXPECT_GT(v[0].normal[2], 0.7f);
  EXPECT_LT(v[0].normal[2], 0.99f);
  EXPECT_EQ(v[0].colour, 0xFFFFFFu);
}

TEST(ObjConv, FilesItCannotConvertSayWhy) {
  objconv::ObjModel model;
  std::string error;
  std::vector<std::string> warnings;
  EXPECT_FALSE(objconv::ParseObj("v 0 0 0\nf 1 2 3\n", nullptr, model, error, warnings));
  EXPECT_EQ(error, "line 2: face corner \"2\" refers to nothing defined before it");
  EXPECT_FALSE(objconv::ParseObj("v 0 0 nan\n", nullptr, model, error, warnings));
  EXPECT_EQ(error, "line 1: a vertex needs three finite numbers");
  EXPECT_FALSE(objconv::ParseObj("v 0 0 0\nv 1 0 0\nf 1 2\n", nullptr, model, error, warnings));
  EXPECT_FALSE(objconv::ParseObj("# nothing\n", nullptr, model, error, warnings));
  EXPECT_EQ(error, "no faces");
  // An unknown library or material is only a warning.
  EXPECT_TRUE(objconv::ParseObj("mtllib x.mtl\nusemtl y\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\n",
                                nullptr, model, error, warnings));
  EXPECT_EQ(warnings.size(), 2u);

  std::string many = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
  for (int m = 0; m < 257; ++m) many += "usemtl m" + std::to_string(m) + "\nf 1 2 3\n";
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(objconv::WriteBinaryObject({Model(many)}, bytes, error));
  EXPECT_EQ(error, "257 materials; the binary form holds 256");
}

TEST(ObjConv, EachLibraryIsReadOnceAndEveryMaterialKeepsItsOwnColour) {
  // Two libraries, the first named many times over; "shared" is defined in
  // both and the later definition wins.
  std::string first, second = "newmtl shared\nKd 0 0 1\n";
  for (int i = 0; i < 3000; ++i) {
    first +=
        "newmtl m" + std::to_string(i) + "\nKd " + std::to_string((i % 256) / 255.0) + " 0 0\n";
  }
  first += "newmtl shared\nKd 1 0 0\n";
  std::string text = "mtllib";
  for (int i = 0; i < 50; ++i) text += " first.mtl";
  text += " second.mtl first.mtl\nmtllib second.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n";
  // Materials used in reverse order, each twice, and one nobody defined.
  for (int i = 2999; i >= 0; --i) text += "usemtl m" + std::to_string(i) + "\nf 1 2 3\n";
  for (int i = 0; i < 3000; ++i) text += "usemtl m" + std::to_string(i) + "\nf 1 2 3\n";
  text += "usemtl shared\nf 1 2 3\nusemtl nowhere\nf 1 2 3\nusemtl nowhere\nf 1 2 3\n";

  std::map<std::string, int> reads;
  objconv::ObjModel model;
  std::string error;
  std::vector<std::string> warnings;
  ASSERT_TRUE(objconv::ParseObj(
      text,
      [&](const std::string& name, std::string& mtl) {
        ++reads[name];
        mtl = name == "first.mtl" ? first : second;
        return true;
      },
      model, error, warnings))
      << error;
  EXPECT_EQ(reads, (std::map<std::string, int>{{"first.mtl", 1}, {"second.mtl", 1}}));
  ASSERT_EQ(model.materials.size(), 3002u);
  ASSERT_EQ(model.faces.size(), 6003u);
  for (int i = 0; i < 3000; ++i) {
    const int index = model.faces[2999 - i].material;
    ASSERT_EQ(model.faces[3000 + i].material, index) << i;
    EXPECT_EQ(model.materials[index].name, "m" + std::to_string(i));
    EXPECT_EQ(model.materials[index].colour, static_cast<uint32_t>(i % 256)) << i;
  }
  EXPECT_EQ(model.materials[model.faces[6000].material].colour, 0xFF0000u);
  EXPECT_EQ(model.faces[6001].material, model.faces[6002].material);
  EXPECT_EQ(model.materials[model.faces[6001].material].colour, 0xFFFFFFu);
  EXPECT_EQ(warnings, std::vector<std::string>{"material nowhere is not defined; it is white"});
}

TEST(ObjConv, NearestNormalFindsEachTableEntry) {
  for (int i = 0; i < gfx3d::kNormalTableSize; ++i) {
    EXPECT_EQ(objconv::NearestNormal(gfx3d::kNormalTable[i]), i);
  }
}

}  // namespace
