#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

struct SheetEntry {
  std::string path;
  Image image;
  int frame_w = 0, frame_h = 0;
};

Canvas SpriteSheet(const std::vector<const SheetEntry*>& entries);
Canvas RoomSheet(const std::vector<const SheetEntry*>& rooms, const Image& hud_font);
// Each room picture with the objects of a room that uses it, the plane and
// the display: the closest thing to a screenshot.
Canvas PlaySheet(const std::vector<SheetEntry>& all);
// Menu, options, hiscores, game over, pause and credits composed the way the
// game draws them, blend modes included.
Canvas ScreensSheet(const std::vector<SheetEntry>& all);

}  // namespace assetgen
