// The asset manifest against the game's slot numbers and the course: an
// entry moved, added or dropped in the table must not change what a named
// slot holds or which pictures a course may place.
#include "game/asset_manifest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "game/course.h"
#include "game/course_layout.h"
#include "game/zelvo.h"

namespace zelvo {
namespace {

std::string FileInSlot(int s) {
  return manifest::kLoadedSprites[s - slot::kSplash].file;
}

TEST(AssetManifest, EveryNamedSlotHoldsItsPicture) {
  const std::pair<int, const char*> named[] = {
      {slot::kSplash, "gfx/splash.png"},          {slot::kSplash2, "gfx/splash2.png"},
      {slot::kScores, "gfx/scores.png"},          {slot::kHigh, "gfx/high.png"},
      {slot::kOptions, "gfx/options.png"},        {slot::kPause, "gfx/pause.png"},
      {slot::kComplete, "gfx/complete.png"},      {slot::kDrop, "gfx/tropfen.png"},
      {slot::kPlaneLeft, "gfx/redplaneleft.png"}, {slot::kPlaneRight, "gfx/redplaneright.png"},
      {slot::kSwitchOff, "gfx/schalter.png"},     {slot::kWindShape, "gfx/dummy.png"},
      {slot::kExplosion, "gfx/explosion.png"},    {slot::kUpdraft, "gfx/up.png"},
      {slot::kDowndraft, "gfx/down.png"},         {slot::kJumper, "gfx/quak.png"},
      {slot::kMeteor, "gfx/meteor.png"},          {slot::kRisingMeteor, "gfx/meteory.png"},
      {slot::kCloud, "gfx/wolkeanim.png"},        {slot::kCloudExplosion, "gfx/wexplosion.png"},
      {slot::kPlane, "gfx/planesprite.png"},
  };
  for (const auto& [s, file] : named) EXPECT_EQ(FileInSlot(s), file) << "slot " << s;
  EXPECT_EQ(slot::kFirstCounted, slot::kSplash + manifest::kLoadedSpriteCount);
}

TEST(AssetManifest, OnlyTheCourseObjectsResolveByName) {
  for (int i = manifest::kFirstCourseObject; i < manifest::kCourseObjectEnd; ++i) {
    const std::string file = manifest::kLoadedSprites[i].file;
    const std::string name = file.substr(4, file.size() - 8);
    EXPECT_EQ(SpriteSlotOf(name), slot::kSplash + i) << name;
  }
  // Screens, the player's own strips and spellings with a folder are no
  // objects a room can place.
  for (const char* name : {"splash", "complete", "wolkeanim", "wexplosion", "planesprite",
                           "gfx/tisch.png", "tisch.png", ""}) {
    EXPECT_EQ(SpriteSlotOf(name), -1) << name;
  }
  EXPECT_EQ(manifest::kLoadedSprites[manifest::kFirstCourseObject].file,
            std::string("gfx/tisch.png"));
  EXPECT_EQ(manifest::kLoadedSprites[manifest::kCourseObjectEnd - 1].file,
            std::string("gfx/meteory.png"));
}

TEST(AssetManifest, EveryFileOnceEverySpriteSizedAndEveryRoomPictured) {
  std::set<std::string> files;
  size_t listed = 0;
  auto add = [&](const char* file) {
    files.insert(file);
    ++listed;
  };
  for (const manifest::Picture& p : manifest::kLoadedSprites) {
    add(p.file);
    EXPECT_GT(p.width, 0) << p.file;
    EXPECT_GT(p.height, 0) << p.file;
    EXPECT_GE(p.frames, 0) << p.file;
  }
  for (const manifest::Picture& p : manifest::kScreenPictures) {
    add(p.file);
    EXPECT_EQ(p.frames, 0) << p.file;
  }
  for (const char* file : manifest::kRoomPictures) add(file);
  for (const char* file : manifest::kFonts) add(file);
  for (const char* file : manifest::kSounds) add(file);
  for (const char* file : manifest::kMusic) add(file);
  // A second entry for a file would be loaded twice into different slots.
  EXPECT_EQ(files.size(), listed);
  const int highest =
      *std::max_element(std::begin(course::kRoomImage), std::end(course::kRoomImage));
  EXPECT_EQ(highest, manifest::kRoomPictureCount - 1);
}

}  // namespace
}  // namespace zelvo
