// A world inside the data archive (entries are found by their base name):
// its folder comes from the name the program gave, not from the in-memory
// name the archive hands back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "runtime/files/archive_format.h"
#include "scene_fixture.h"

using namespace scenetest;

namespace {

std::vector<uint8_t> Archive(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<sbx::PackedFile> packed;
  for (const auto& [name, bytes] : files) {
    packed.push_back(
        {name, sbx::PackEntry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())});
  }
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_TRUE(sbx::BuildArchive(packed, false, 0, &out, &error)) << error;
  return out;
}

TEST(WorldInArchive, FindsItsObjectsBesideItsOwnName) {
  scenetest::SharedScene();
  const std::string square = SquareObject({{0, 0, -5, 1}}, {255, 255, 255});
  const std::vector<uint8_t> bytes = Archive(
      {{"world", ";DDW\r\n[objects]\r\ncount=1\r\n1=square.dda\r\n"}, {"square.dda", square}});
  char tmpl[] = "/tmp/rt_world_archive_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string path = std::string(tmpl) + "/data.sbx";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  SetArchiveFiles(RtString(path.c_str()), RtString(""));

  ObjectFromFile(RtString("levels/world"), 9);
  const gfx3d::ObjectSlot* slot = gfx3d::Gfx3d().objects[9].get();
  ASSERT_NE(slot, nullptr);
  EXPECT_TRUE(slot->isWorld);
  ASSERT_EQ(slot->worldObjects.size(), 1u);
  EXPECT_EQ(slot->worldObjects[0].mesh.FirstFrameVertexCount(), 6u);

  // And it draws, untextured.
  ClearToBlack();
  BeginScene3D(1, 100, 45);
  PutObject(9, 0);
  EXPECT_EQ(ReadScreen().At(160, 120).g, 255);
  EndScene3D();

  gfx3d::FreeAllObjects();
  SetArchiveFiles(RtString(""), RtString(""));
  ASSERT_EQ(std::system((std::string("rm -rf '") + tmpl + "'").c_str()), 0);
}

}  // namespace
