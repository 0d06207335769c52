// Object file parsing: both binary versions, the text form, and files built
// to break the reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "engine_fixture.h"
#include "object_bytes.h"
#include "runtime/core/error_log.h"
#include "runtime/core/runtime_error.h"
#include "runtime/gfx3d/normal_table.h"
#include "runtime/gfx3d/object_file.h"

using namespace gfx3d;
using namespace testobj;

namespace {

struct Parsed {
  bool ok = false;
  Mesh mesh;
  std::string messages;
};

Parsed Parse(const std::vector<uint8_t>& bytes, const char* name = "thing.ddd") {
  Parsed p;
  testing::internal::CaptureStderr();
  p.ok = ParseObjectBytes(bytes.data(), bytes.size(), name, p.mesh);
  p.messages = testing::internal::GetCapturedStderr();
  if (p.ok) DeriveTriangleData(p.mesh);
  return p;
}

void ExpectAllFinite(const Mesh& mesh) {
  for (const KeyFrame& f : mesh.frames) {
    for (const MeshVertex& v : f.vertices) {
      for (float x : v.position) EXPECT_TRUE(std::isfinite(x));
      for (float x : v.normal) EXPECT_TRUE(std::isfinite(x));
      for (float x : v.uv) EXPECT_TRUE(std::isfinite(x));
    }
    for (const Vec3& n : f.faceNormals) {
      EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
    }
  }
}

TEST(BinaryObject, Version2TakesPositionsNormalsColoursAndCoordinatesAsStored) {
  Bytes b = BinaryHeader(2.0, 1, {0x0000FF, 0x00FF00, 0xFFFFFFFF}, {0.25f, 0.75f, 1, 0.5f});
  AddFrameV2(b, {{1, 2, 3, 0, 1}, {4, 5, 6, 2, 2}, {7, 8, 9, 161, 0}});
  const Parsed p = Parse(b.data);
  ASSERT_TRUE(p.ok) << p.messages;
  ASSERT_EQ(p.mesh.frames.size(), 1u);
  const auto& v = p.mesh.frames[0].vertices;
  ASSERT_EQ(v.size(), 3u);
  EXPECT_FLOAT_EQ(v[1].position[2], 6);
  EXPECT_FLOAT_EQ(v[0].normal[0], -0.525731f);
  EXPECT_FLOAT_EQ(v[1].normal[2], 0.955423f);  // entry 2
  EXPECT_FLOAT_EQ(v[2].normal[0], kNormalTable[161][0]);
  // Colour index c takes entry c.
  EXPECT_EQ(v[0].colour, 0x00FF00u);
  EXPECT_EQ(v[0].colourIndex, 1u);
  EXPECT_FLOAT_EQ(v[0].rgb[1], 1);
  EXPECT_FLOAT_EQ(v[0].rgb[0], 0);
  EXPECT_EQ(v[2].colour, 0x0000FFu);
  // 0xFFFFFFFF is white.
  EXPECT_FLOAT_EQ(v[1].rgb[0], 1);
  EXPECT_FLOAT_EQ(v[1].rgb[1], 1);
  EXPECT_FLOAT_EQ(v[1].rgb[2], 1);
  // Coordinates by the vertex's place in the frame, v as stored; past the
  // table they stay at 0.
  EXPECT_FLOAT_EQ(v[0].uv[1], 0.75f);
  EXPECT_FLOAT_EQ(v[1].uv[0], 1);
  EXPECT_FLOAT_EQ(v[2].uv[0], 0);
  EXPECT_FLOAT_EQ(v[2].uv[1], 0);
  EXPECT_TRUE(p.mesh.loaded);
}

TEST(BinaryObject, CompressedFramesMapBytesThroughOffsetAndScale) {
  Bytes b = BinaryHeader(1.02, 2, {0x123456}, {0.5f, 0.25f});
  for (int frame = 0; frame < 2; ++frame) {
    b.U32(3);
    for (int i = 0; i < 3; ++i) b.F32(128);
    for (int i = 0; i < 3; ++i) b.F32(0.5f);
    b.U8(0).U8(255).U8(128).U8(3).U8(0);
    b.U8(255).U8(0).U8(0).U8(3).U8(0);
    b.U8(0).U8(0).U8(255).U8(3).U8(0);
  }
  const Parsed p = Parse(b.data);
  ASSERT_TRUE(p.ok) << p.messages;
  ASSERT_EQ(p.mesh.frames.size(), 2u);
  const auto& v = p.mesh.frames[1].vertices;
  EXPECT_FLOAT_EQ(v[0].position[0], -64);
  EXPECT_FLOAT_EQ(v[0].position[1], 63.5f);
  EXPECT_FLOAT_EQ(v[0].position[2], 0);
  EXPECT_FLOAT_EQ(v[1].position[0], 63.5f);
  // The compressed form stores v upside down.
  EXPECT_FLOAT_EQ(v[0].uv[0], 0.5f);
  EXPECT_FLOAT_EQ(v[0].uv[1], -0.25f);
  EXPECT_EQ(v[0].colour, 0x123456u);
}

TEST(BinaryObject, VersionsOutsideTheRangeAreRefusedWithBothMessages) {
  for (double version : {1.01, 2.01}) {
    Bytes b = BinaryHeader(version, 1, {}, {});
    AddFrameV2(b, FlatTriangle());
    const Parsed p = Parse(b.data, "old.ddd");
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.messages, "Wrong .ddd version.\n# read error old.ddd\n") << version;
    EXPECT_TRUE(p.mesh.frames.empty());
  }
}

TEST(BinaryObject, BadIndicesFallBackInsteadOfReadingPastTables) {
  // No colours, no coordinates, a normal index past the table.
  Bytes b = BinaryHeader(2.0, 1, {}, {});
  AddFrameV2(b, FlatTriangle(200, 7));
  const Parsed p = Parse(b.data);
  ASSERT_TRUE(p.ok);
  for (const MeshVertex& v : p.mesh.frames[0].vertices) {
    EXPECT_EQ(v.colour, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(v.rgb[0], 1);
    // The face normal stands in for the missing one.
    EXPECT_FLOAT_EQ(v.normal[2], 1);
    EXPECT_FLOAT_EQ(v.uv[0], 0);
  }
}

TEST(BinaryObject, CountsBeyondTheFileAreRejectedBeforeAllocating) {
  // Huge colour and coordinate counts.
  Bytes colours;
  colours.U32(13021975).F64(2.0).U32(1).U32(0x40000000).U32(0x20000000);
  EXPECT_FALSE(Parse(colours.data).ok);
  // A vertex count whose byte size overflows 32 bits.
  Bytes vertices = BinaryHeader(2.0, 1, {}, {});
  vertices.U32(0xFFFFFFFF);
  const Parsed p = Parse(vertices.data, "big.ddd");
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.messages, "# read error big.ddd\n");
  // Frame counts the bytes cannot hold, in both forms.
  EXPECT_FALSE(Parse(BinaryHeader(2.0, 0xFFFFFFFF, {}, {}).data).ok);
  EXPECT_FALSE(Parse(BinaryHeader(1.5, 0x10000000, {}, {}).data).ok);
}

TEST(BinaryObject, EveryTruncationFailsCleanly) {
  Bytes b = BinaryHeader(1.5, 2, {1, 2}, {0, 0, 1, 1});
  for (int frame = 0; frame < 2; ++frame) {
    b.U32(3);
    for (int i = 0; i < 6; ++i) b.F32(1);
    for (int i = 0; i < 15; ++i) b.U8(static_cast<uint8_t>(i));
  }
  ASSERT_TRUE(Parse(b.data).ok);
  for (size_t n = 0; n < b.data.size(); ++n) {
    std::vector<uint8_t> cut(b.data.begin(), b.data.begin() + n);
    const Parsed p = Parse(cut);
    EXPECT_FALSE(p.ok) << n;
    EXPECT_TRUE(p.mesh.frames.empty());
  }
}

TEST(BinaryObject, NoFramesNonFiniteValuesAndFlatTrianglesGiveAFiniteMesh) {
  EXPECT_TRUE(Parse(BinaryHeader(2.0, 0, {}, {}).data).mesh.frames.empty());

  const float nan = std::nanf(""), inf = INFINITY;
  Bytes b = BinaryHeader(2.0, 1, {}, {nan, inf});
  // A NaN corner, then a triangle whose corners coincide.
  AddFrameV2(b, {{nan, 0, 0, 255, 0}, {1, inf, 0, 255, 0}, {0, 1, -inf, 255, 0}});
  AddFrameV2(b, {});
  b.data.resize(b.data.size() - 4);
  AddFrameV2(b, {});
  Bytes flat = BinaryHeader(2.0, 1, {}, {});
  AddFrameV2(flat, {{1, 1, 1, 255, 0}, {1, 1, 1, 255, 0}, {2, 2, 2, 255, 0}});
  for (const Bytes* file : {&b, &flat}) {
    const Parsed p = Parse(file->data);
    ASSERT_TRUE(p.ok) << p.messages;
    ExpectAllFinite(p.mesh);
  }
  const Parsed flatMesh = Parse(flat.data);
  EXPECT_FLOAT_EQ(flatMesh.mesh.frames[0].faceNormals[0].x, 0);
  EXPECT_FLOAT_EQ(flatMesh.mesh.frames[0].faceNormals[0].z, 0);
}

TEST(BinaryObject, PartialTrianglesAreDropped) {
  Bytes b = BinaryHeader(2.0, 1, {}, {});
  auto vertices = FlatTriangle();
  vertices.push_back({5, 5, 5, 0, 0});
  AddFrameV2(b, vertices);
  const Parsed p = Parse(b.data);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.mesh.frames[0].vertices.size(), 3u);
  EXPECT_EQ(p.mesh.frames[0].faceNormals.size(), 1u);
}

// ---- text form ----

const char* kTextCube =
    "# made by hand\n"
    "DDDA 1.1\n"
    "2  0 0  1 0.5   # coordinates\n"
    "2\n"
    "255 0 0  3  0 0  1 1  2 0\n"
    "0 0 255  3  0 1  2 1  3 0\n"
    "2\n"
    "4  0 0 0 0 0 1   1 0 0 0 0 1   0 1 0 0 0 1   1 1 0 0 0 1\n"
    "4  0 0 5 0 1 0   1 0 5 0 1 0   0 1 5 0 1 0   1 1 5 0 1 0\n";

TEST(TextObject, GroupsBecomeTrianglesOfEveryFrame) {
  const Parsed p = Parse(Text(kTextCube));
  ASSERT_TRUE(p.ok) << p.messages;
  ASSERT_EQ(p.mesh.frames.size(), 2u);
  const auto& f1 = p.mesh.frames[1].vertices;
  ASSERT_EQ(f1.size(), 6u);
  EXPECT_FLOAT_EQ(f1[1].position[0], 1);
  EXPECT_FLOAT_EQ(f1[1].position[2], 5);
  EXPECT_FLOAT_EQ(f1[1].normal[1], 1);  // normals from 1.1 on
  EXPECT_FLOAT_EQ(f1[1].uv[0], 1);
  EXPECT_FLOAT_EQ(f1[1].uv[1], -0.5f);  // v negated
  EXPECT_EQ(f1[0].colour, 0x0000FFu);
  EXPECT_EQ(f1[3].colour, 0xFF0000u);
  // The colour table holds each colour once, in order of first use.
  ASSERT_EQ(p.mesh.colours.size(), 2u);
  EXPECT_EQ(f1[3].colourIndex, 1u);
  EXPECT_EQ(p.mesh.colours[1], 0xFF0000u);
}

TEST(TextObject, VersionsBelowOneOneHaveNoNormalsAndAboveAreRefused) {
  const Parsed old = Parse(Text("DDDA 1.0  0  1 9 9 9 3 0 0 1 0 2 0  1  3 0 0 0 0 1 0 1 0 0"));
  ASSERT_TRUE(old.ok) << old.messages;
  // Face normal of the triangle (0,0,0) (0,1,0) (1,0,0) is -z.
  EXPECT_FLOAT_EQ(old.mesh.frames[0].vertices[0].normal[2], -1);
  EXPECT_FALSE(Parse(Text("DDDA 1.11 0 0 0")).ok);
  EXPECT_FALSE(Parse(Text("DDDB 1.0 0 0 0")).ok);
  EXPECT_FALSE(Parse(Text("DDDA nan 0 0 0")).ok);
  EXPECT_TRUE(Parse(Text("#\n#DDDA\nDDDA 1.1 0 0 0")).ok);
}

TEST(TextObject, MissingOrMalformedNumbersFailTheLoad) {
  const std::string good = kTextCube;
  for (size_t n = 0; n + 1 < good.size(); ++n) {
    // Cutting at a blank drops whole tokens; every such prefix is short.
    if (good[n] != ' ' && good[n] != '\n') continue;
    EXPECT_FALSE(Parse(Text(good.substr(0, n))).ok) << n;
  }
  for (const char* bad :
       {"DDDA 1.1 1 0 x 0 0", "DDDA 1.1 -1 0 0", "DDDA 1.1 0.5 0 0", "DDDA 1.1 0 99999999999 0",
        "DDDA 1.1 0 0 1e300", "DDDA 1.1 0 1 0 0 0 3 0 0 1 0 -2 0 0", "DDDA 1.1 0 0 1 -3"}) {
    const Parsed p = Parse(Text(bad), "bad.dda");
    EXPECT_FALSE(p.ok) << bad;
    EXPECT_EQ(p.messages, "# read error bad.dda\n") << bad;
  }
}

TEST(TextObject, IndicesColoursAndLeftoverEntriesAreHandledSafely) {
  // A vertex index past the frame fails.
  EXPECT_FALSE(Parse(Text("DDDA 1.0 0 1 0 0 0 3 0 0 1 0 3 0  1 3 0 0 0 1 0 0 0 1 0")).ok);
  // A coordinate index past the table gives (0, 0); colours are clamped;
  // the fourth entry cannot make a triangle and is dropped.
  const Parsed p =
      Parse(Text("DDDA 1.0 1 0.5 0.5  1  300 -4 127.9 4  0 0 1 7 2 0 1 0  1  3 0 0 0 1 0 0 0 1 0"));
  ASSERT_TRUE(p.ok) << p.messages;
  const auto& v = p.mesh.frames[0].vertices;
  ASSERT_EQ(v.size(), 3u);
  EXPECT_FLOAT_EQ(v[0].uv[0], 0.5f);
  EXPECT_FLOAT_EQ(v[1].uv[0], 0);
  EXPECT_FLOAT_EQ(v[1].uv[1], 0);
  EXPECT_EQ(v[0].colour, 0x7F00FFu);
}

TEST(TextObject, MoreThan256ColoursKeepDistinctIndices) {
  std::string text = "DDDA 1.0 0 300 ";
  for (int g = 0; g < 300; ++g)
    text += std::to_string(g % 256) + " " + std::to_string(g / 256) + " 0 3 0 0 1 0 2 0 ";
  text += "1 3 0 0 0 1 0 0 0 1 0";
  const Parsed p = Parse(Text(text));
  ASSERT_TRUE(p.ok) << p.messages;
  EXPECT_EQ(p.mesh.colours.size(), 300u);
  const auto& v = p.mesh.frames[0].vertices;
  EXPECT_EQ(v[299 * 3].colourIndex, 299u);
  EXPECT_EQ(p.mesh.colours[v[299 * 3].colourIndex], v[299 * 3].colour);
}

TEST(TextObject, GroupsTimesFramesBeyondTheCapAreAnAllocationFailure) {
  // 3000 entries in each of 6000 one-vertex frames: a small file that
  // would expand to 18 million vertices.
  std::string text = "DDDA 1.0 0 1 0 0 0 3000";
  for (int e = 0; e < 3000; ++e) text += " 0 0";
  text += " 6000";
  for (int f = 0; f < 6000; ++f) text += " 1 0 0 0";
  const Parsed p = Parse(Text(text), "many.dda");
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.messages, "# malloc error many.dda\n");
}

// The error log line and runtime error 7 a refused load leaves behind;
// both are cleared for the next test.
std::string RefusalLogged() {
  testenv::PrivateTempDir();
  const std::vector<std::string> lines = testenv::LogLines();
  const bool error = static_cast<int>(RuntimeErrors().errorCode) == kErrInvalidArgument;
  ClearRuntimeError();
  std::remove(ErrorLogPath().c_str());
  if (!error || lines.empty()) return std::string();
  return lines.back();
}

TEST(ObjectBudget, TextFramesTimesCornersBeyondTheBudgetAreRefusedBeforeAllocating) {
  testenv::PrivateTempDir();
  std::remove(ErrorLogPath().c_str());
  // 1500 corners in each of 3300 frames: 4.95 million vertices, about
  // 277 MB once loaded, from a file of a few kilobytes and below the vertex
  // cap.
  std::string text = "DDDA 1.0 0 1 0 0 0 1500";
  for (int e = 0; e < 1500; ++e) text += " 0 0";
  text += " 3300";
  for (int f = 0; f < 3300; ++f) text += " 1 0 0 0";
  const Parsed p = Parse(Text(text), "wide.dda");
  EXPECT_FALSE(p.ok);
  EXPECT_TRUE(p.mesh.frames.empty());
  EXPECT_EQ(p.messages, "# malloc error wide.dda\n");
  const std::string line = RefusalLogged();
  EXPECT_NE(line.find("wide.dda"), std::string::npos) << line;
  EXPECT_NE(line.find(std::to_string(budget::kObjectBytes)), std::string::npos) << line;
  EXPECT_GT(MeshBytes(1500 * 3300), budget::kObjectBytes);

  // The same file within a caller's larger limit loads; one frame fewer
  // than the limit allows passes, one more is refused.
  const uint64_t oneFrame = MeshBytes(1500);
  const uint64_t limit = oneFrame * 10;
  std::string small = "DDDA 1.0 0 1 0 0 0 1500";
  for (int e = 0; e < 1500; ++e) small += " 0 0";
  std::string ten = small + " 10", eleven = small + " 11";
  for (int f = 0; f < 10; ++f) ten += " 1 0 0 0";
  for (int f = 0; f < 11; ++f) eleven += " 1 0 0 0";
  Mesh mesh;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ParseObjectBytes(Text(ten).data(), ten.size(), "ten", mesh, limit));
  EXPECT_EQ(mesh.frames.size(), 10u);
  EXPECT_FALSE(ParseObjectBytes(Text(eleven).data(), eleven.size(), "eleven", mesh, limit));
  testing::internal::GetCapturedStderr();
  EXPECT_NE(RefusalLogged().find("eleven"), std::string::npos);
}

TEST(ObjectBudget, BinaryFramesAreCountedTogetherAgainstTheBudget) {
  testenv::PrivateTempDir();
  std::remove(ErrorLogPath().c_str());
  // Three frames of 300 vertices: each alone fits a two-frame limit, the
  // third frame does not.
  Bytes b = BinaryHeader(2.0, 3, {}, {});
  std::vector<V2Vertex> frame;
  for (int i = 0; i < 100; ++i) {
    for (const V2Vertex& v : FlatTriangle()) frame.push_back(v);
  }
  for (int f = 0; f < 3; ++f) AddFrameV2(b, frame);
  Mesh mesh;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ParseObjectBytes(b.data.data(), b.data.size(), "three", mesh, MeshBytes(900)));
  EXPECT_FALSE(ParseObjectBytes(b.data.data(), b.data.size(), "three", mesh, MeshBytes(600)));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "# malloc error three\n");
  EXPECT_TRUE(mesh.frames.empty());
  EXPECT_NE(RefusalLogged().find("three"), std::string::npos);
}

}  // namespace
