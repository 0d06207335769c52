// World files: an INI list of object files and textures found next to the
// world file, loaded into one object slot.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "engine_fixture.h"
#include "runtime/core/error_log.h"
#include "runtime/core/runtime_error.h"
#include "runtime/files/ini_files.h"
#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/object_file.h"
#include "runtime/gfx3d/object_store.h"
#include "runtime/gfx3d/objects3d.h"

using namespace gfx3d;

namespace {

const char* kTriangle = "DDDA 1.0 0 1 255 255 255 3 0 0 1 0 2 0 1 3 0 0 0 1 0 0 0 1 0";

class WorldFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/rt_world_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    mkdir((dir_ + "/levels").c_str(), 0755);
  }
  void TearDown() override {
    FreeAllObjects();
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
  }
  ObjectSlot* Load(const std::string& name, int n) {
    testing::internal::CaptureStderr();
    ObjectFromFile(RtString(name.c_str()), n);
    messages_ = testing::internal::GetCapturedStderr();
    return ValidObjectSlot(n) ? Gfx3d().objects[n].get() : nullptr;
  }

  std::string dir_;
  std::string messages_;
};

TEST_F(WorldFiles, ObjectsAndTheirTextureNumbersComeFromTheWorldsFolder) {
  Write("levels/box.dda", kTriangle);
  Write("levels/world",
        ";DDW world\r\n[objects]\r\ncount=3\r\n1=box.dda\r\n1ta=2\r\n2=box.dda\r\n"
        "3=missing.dda\r\n3ta=1\r\n3tb=-4\r\n");
  ObjectSlot* slot = Load(dir_ + "/levels/world", 7);
  ASSERT_NE(slot, nullptr);
  EXPECT_TRUE(slot->inUse);
  EXPECT_TRUE(slot->isWorld);
  ASSERT_EQ(slot->worldObjects.size(), 3u);
  EXPECT_EQ(slot->worldObjects[0].mesh.frames.size(), 1u);
  EXPECT_EQ(slot->worldObjects[0].textureA, 1);
  // No 2ta: entry 0.
  EXPECT_EQ(slot->worldObjects[1].textureA, 0);
  EXPECT_EQ(slot->worldObjects[1].mesh.frames[0].vertices.size(), 3u);
  // A missing object stays empty; 1 and 0 both mean entry 0, negatives stay.
  EXPECT_TRUE(slot->worldObjects[2].mesh.frames.empty());
  EXPECT_EQ(slot->worldObjects[2].textureA, 0);
  EXPECT_EQ(slot->worldObjects[2].textureB, -4);
  EXPECT_TRUE(slot->worldTextures.empty());
}

TEST_F(WorldFiles, ABareNameLooksInTheWorkingDirectory) {
  Write("box.dda", kTriangle);
  Write("world", ";DDW\n[objects]\ncount=1\n1=box.dda\n");
  char* previous = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  ObjectSlot* slot = Load("world", 0);
  ASSERT_EQ(chdir(previous), 0);
  free(previous);
  ASSERT_NE(slot, nullptr);
  ASSERT_EQ(slot->worldObjects.size(), 1u);
  EXPECT_EQ(slot->worldObjects[0].mesh.frames.size(), 1u);
}

TEST_F(WorldFiles, HostileCountsAreBoundByTheEntriesPresent) {
  Write("levels/world",
        ";DDW\n[textures]\ncount=2000000000\n1=a.png\n[objects]\ncount=-5\n1=box.dda\n");
  ObjectSlot* slot = Load(dir_ + "/levels/world", 1);
  ASSERT_NE(slot, nullptr);
  EXPECT_TRUE(slot->isWorld);
  EXPECT_LE(slot->worldTextures.size(), 2u);
  EXPECT_TRUE(slot->worldObjects.empty());
}

TEST_F(WorldFiles, OnlyTheFullSignatureMakesAWorld) {
  Write("levels/notworld", ";DDX\n[objects]\ncount=1\n1=box.dda\n");
  ObjectSlot* slot = Load(dir_ + "/levels/notworld", 2);
  ASSERT_NE(slot, nullptr);
  EXPECT_FALSE(slot->inUse);
  EXPECT_FALSE(slot->isWorld);
  EXPECT_NE(messages_.find("# read error"), std::string::npos);
}

TEST_F(WorldFiles, TheProgramsOpenIniFileIsLeftAlone) {
  Write("settings.ini", "[game]\nlevel=3\n");
  IniOpen(RtString((dir_ + "/settings.ini").c_str()));
  IniPut(RtString("game"), RtString("lives"), RtString("5"));
  Write("levels/world", ";DDW\n[game]\nlevel=9\n[objects]\ncount=0\n");
  Load(dir_ + "/levels/world", 3);
  EXPECT_EQ(IniGet(RtString("game"), RtString("level")), "3");
  EXPECT_EQ(IniGet(RtString("game"), RtString("lives")), "5");
  IniOpen(RtString(""));
}

TEST_F(WorldFiles, ReloadingASlotReplacesWhatItHeld) {
  Write("levels/box.dda", kTriangle);
  Write("levels/world", ";DDW\n[objects]\ncount=1\n1=box.dda\n");
  Load(dir_ + "/levels/world", 4);
  ObjectSlot* slot = Load(dir_ + "/levels/box.dda", 4);
  ASSERT_NE(slot, nullptr);
  EXPECT_TRUE(slot->inUse);
  EXPECT_FALSE(slot->isWorld);
  EXPECT_TRUE(slot->worldObjects.empty());
  // A failed load empties the slot; a name that resolves nowhere keeps it.
  Load(dir_ + "/levels/nothing.dda", 4);
  EXPECT_TRUE(slot->inUse);
  Write("levels/broken.dda", "DDDA 1.0 0 0 zz");
  Load(dir_ + "/levels/broken.dda", 4);
  EXPECT_FALSE(slot->inUse);
  // Slots outside the table are ignored.
  Load(dir_ + "/levels/box.dda", -1);
  Load(dir_ + "/levels/box.dda", kObjectSlots);
}

TEST_F(WorldFiles, AllObjectsTogetherStayWithinTheWorldsBudget) {
  // 300 corners in one frame; the world names the file four times but
  // has room for three copies.
  std::string object = "DDDA 1.0 0 1 255 255 255 300";
  for (int e = 0; e < 300; ++e) object += " 0 0";
  object += " 1 3 0 0 0 1 0 0 0 1 0";
  Write("levels/big.dda", object);
  const std::string world =
      ";DDW\n[objects]\ncount=4\n1=big.dda\n2=big.dda\n3=big.dda\n4=big.dda\n";
  testenv::PrivateTempDir();
  std::remove(ErrorLogPath().c_str());
  ObjectSlot slot;
  testing::internal::CaptureStderr();
  LoadWorldFile((dir_ + "/levels/world").c_str(), reinterpret_cast<const uint8_t*>(world.data()),
                world.size(), slot, -1, MeshBytes(300) * 3);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "# malloc error " + dir_ + "/levels/big.dda\n");
  ASSERT_EQ(slot.worldObjects.size(), 4u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(slot.worldObjects[k].mesh.FirstFrameVertexCount(), 300u);
  EXPECT_TRUE(slot.worldObjects[3].mesh.frames.empty());
  EXPECT_EQ(static_cast<int>(RuntimeErrors().errorCode), kErrInvalidArgument);
  ClearRuntimeError();
  const std::vector<std::string> log = testenv::LogLines();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find("Load refused: object"), std::string::npos) << log.back();
  std::remove(ErrorLogPath().c_str());
  FreeObjectSlot(slot);
}

TEST(WorldFolder, FolderComesFromTheNameAsGiven) {
  EXPECT_EQ(FolderOf("levels/world"), "levels/");
  EXPECT_EQ(FolderOf("a\\b/c\\world"), "a\\b/c\\");
  EXPECT_EQ(FolderOf("world"), "");
  EXPECT_EQ(FolderOf("mem://       10.            1000"), "");
}

}  // namespace
