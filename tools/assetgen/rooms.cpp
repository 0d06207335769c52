// The bands every room shares, and the rooms of each world as the game's
// pictures (rooms_<world>.cpp draws them).
#include "rooms.h"

#include <algorithm>
#include <cmath>

#include "assets.h"

namespace assetgen {

namespace rooms {

void Backdrop(Canvas& c, int x, int y, Canvas&& part, Rgb haze, double amount) {
  part.Tint(0, 0, part.w(), part.h(), haze, amount);
  c.Blit(part, x, y);
}

void WallShade(Canvas& c, int y0, int y1, double strength) {
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < 320; ++x) {
      double top = std::max(0.0, 1 - (y - y0) / 14.0);
      double side = std::pow(std::abs(x - 160) / 160.0, 3);
      double t = std::min(1.0, top * 0.9 + side * 0.6) * strength;
      double q = t * 4;
      int lo = static_cast<int>(q);
      double level = (lo + ((q - lo) > (bayer[y & 3][x & 3] + 0.5) / 16 ? 1 : 0)) / 4.0;
      if (level > 0) c.Put(x, y, Scale(c.At(x, y), 1 - 0.22 * level));
    }
}

}  // namespace rooms

ImageList MakeRooms(int world) {
  using namespace rooms;
  static const int kCounts[6] = {0, 4, 5, 4, 3, 1};
  ImageList out;
  for (int i = 0; i < kCounts[world]; ++i) {
    Canvas c = world == 1   ? StudyRoom(i)
               : world == 2 ? HouseRoom(i)
               : world == 3 ? SpaceRoom(i)
               : world == 4 ? CryptRoom(i)
                            : ToonRoom();
    out.push_back({"gfx/level" + std::to_string(world) + "/" + std::to_string(i + 1) + ".png",
                   std::move(c), PngKind::kOpaque});
  }
  return out;
}

}  // namespace assetgen
