// Padding, edge fill, mipmaps and normal maps on the processor side.
#include <gtest/gtest.h>

#include "runtime/gfx2d/texture_upload.h"

using gfx2d::TexelBuffer;

namespace {

TEST(Padding, SidesArePowersOfTwoOfAtLeastTwo) {
  EXPECT_EQ(gfx2d::PaddedSize(1), 2);
  EXPECT_EQ(gfx2d::PaddedSize(2), 2);
  EXPECT_EQ(gfx2d::PaddedSize(3), 4);
  EXPECT_EQ(gfx2d::PaddedSize(60), 64);
  EXPECT_EQ(gfx2d::PaddedSize(100), 128);
  EXPECT_EQ(gfx2d::PaddedSize(512), 512);
}

TEST(Padding, TheImageSitsInTheLowerLeftWithItsTopRowHighest) {
  gfx2d::ImageBuffer image;
  image.width = 2;
  image.height = 3;
  for (int i = 0; i < 6; ++i) image.pixels.insert(image.pixels.end(), {uint8_t(i), 0, 0, 255});
  const TexelBuffer t = gfx2d::PadRegion(image, 0, 0, 2, 3, 4, 4);
  EXPECT_EQ(t.At(0, 2)[0], 0);  // image row 0 -> texture row 2
  EXPECT_EQ(t.At(1, 2)[0], 1);
  EXPECT_EQ(t.At(0, 0)[0], 4);  // image row 2 -> texture row 0
  EXPECT_EQ(t.At(0, 3)[3], 0);  // padding above
  EXPECT_EQ(t.At(2, 0)[3], 0);  // padding to the right
  // A region reaching past the image leaves zeros there.
  const TexelBuffer r = gfx2d::PadRegion(image, 1, 1, 4, 4, 4, 4);
  EXPECT_EQ(r.At(0, 3)[0], 3);
  EXPECT_EQ(r.At(1, 3)[3], 0);
  EXPECT_EQ(r.At(0, 0)[3], 0);
}

TEST(EdgeFill, TransparentTexelsTakeTheMeanOfInnerOpaqueNeighbours) {
  TexelBuffer b;
  b.width = b.height = 4;
  b.texels.assign(64, 0);
  auto set = [&](int x, int y, uint8_t r, uint8_t g) {
    uint8_t* p = b.At(x, y);
    p[0] = r;
    p[1] = g;
    p[3] = 255;
  };
  set(1, 1, 100, 10);
  set(2, 1, 51, 20);
  set(0, 0, 200, 200);  // on the outer ring: never counted
  gfx2d::FillTransparentEdges(b);
  EXPECT_EQ(b.At(1, 2)[0], 75);  // (100 + 51) / 2 truncated
  EXPECT_EQ(b.At(1, 2)[1], 15);
  EXPECT_EQ(b.At(1, 2)[3], 0);
  EXPECT_EQ(b.At(0, 1)[0], 100);  // sees (1,1) only; (0,0) is on the ring
  EXPECT_EQ(b.At(3, 3)[0], 0);    // no opaque inner neighbour
  EXPECT_EQ(b.At(0, 0)[0], 200);  // opaque texels keep their colour
}

TEST(Mipmaps, SquareFirstThenWeightedHalvingDownToOneTexel) {
  TexelBuffer b;
  b.width = 4;
  b.height = 2;
  for (int i = 0; i < 8; ++i) b.texels.insert(b.texels.end(), {uint8_t(i * 30), 90, 0, 255});
  const auto levels = gfx2d::BuildMipLevels(b);
  ASSERT_EQ(levels.size(), 2u);
  EXPECT_EQ(levels[0].width, 2);
  EXPECT_EQ(levels[0].height, 2);
  EXPECT_EQ(levels[0].At(0, 0)[0], 15);   // (0 + 30) / 2
  EXPECT_EQ(levels[0].At(1, 1)[0], 195);  // (180 + 210) / 2
  // (4 x 15 + 2 x 75 + 2 x 135 + 195) / 9 = 75
  EXPECT_EQ(levels[1].At(0, 0)[0], 75);
  EXPECT_EQ(levels[1].At(0, 0)[1], 90);
}

TEST(NormalMap, FlatHeightPointsStraightOutAndSlopesTilt) {
  TexelBuffer flat;
  flat.width = flat.height = 4;
  flat.texels.assign(64, 128);
  gfx2d::MakeNormalMap(flat);
  EXPECT_EQ(flat.At(1, 1)[0], 127);
  EXPECT_EQ(flat.At(1, 1)[1], 127);
  EXPECT_EQ(flat.At(1, 1)[2], 255);
  EXPECT_EQ(flat.At(1, 1)[3], 128);  // alpha untouched

  TexelBuffer ramp;
  ramp.width = ramp.height = 4;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) ramp.texels.insert(ramp.texels.end(), {0, 0, uint8_t(x * 60), 255});
  gfx2d::MakeNormalMap(ramp);
  // Height rising to the right tilts the normal to the left.
  EXPECT_LT(ramp.At(1, 1)[0], 127);
  EXPECT_EQ(ramp.At(1, 1)[1], 127);
}

}  // namespace
