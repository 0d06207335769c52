// The BMP and PNG readers on crafted files: every supported layout, and
// hostile headers that must fail without reading outside the file.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "engine_fixture.h"
#include "image_builders.h"
#include "runtime/core/error_log.h"
#include "runtime/core/load_budget.h"
#include "runtime/core/runtime_error.h"
#include "runtime/files/file_stream.h"
#include "runtime/gfx2d/image_decode.h"

using gfx2d::DecodeBmp;
using gfx2d::DecodePng;
using gfx2d::ImageBuffer;
using testimg::BmpFields;
using testimg::MakeBmp;
using testimg::PngFields;

namespace {

constexpr int kMaxSide = 4096;
constexpr int32_t kKey = 0x8000FF;

bool Bmp(const std::vector<uint8_t>& file, ImageBuffer& image, int32_t key = -1) {
  return DecodeBmp(file.data(), file.size(), key, kMaxSide, image);
}

uint32_t Rgba(const ImageBuffer& image, int x, int y) {
  const uint8_t* p = image.Pixel(x, y);
  return p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

TEST(BmpReader, KeyColourPixelsOfA24BitFileBecomeFullyTransparent) {
  const auto file = testimg::MakeBmp24(
      3, 2, [](int x, int y) { return x == 1 && y == 0 ? 0x8000FFu : 0x102030u; });
  ImageBuffer image;
  ASSERT_TRUE(Bmp(file, image, kKey));
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(Rgba(image, 1, 0), 0u);
  EXPECT_EQ(Rgba(image, 0, 0), 0x302010FFu);  // red 0x30, green 0x20, blue 0x10
  EXPECT_EQ(Rgba(image, 1, 1), 0x302010FFu);
}

TEST(BmpReader, RowStridesRoundUpToWholeWords) {
  // 5 pixels of 32 bits: 20 bytes a row; the fourth byte is not alpha.
  BmpFields s32;
  s32.width = 5;
  s32.height = 2;
  s32.bitCount = 32;
  for (int i = 0; i < 10; ++i) s32.pixelData.insert(s32.pixelData.end(), {1, 2, uint8_t(i), 0});
  ImageBuffer image;
  ASSERT_TRUE(Bmp(MakeBmp(s32), image));
  EXPECT_EQ(Rgba(image, 4, 1), 0x040201FFu);  // file row 0 is the bottom row
  EXPECT_EQ(Rgba(image, 0, 0), 0x050201FFu);

  // 4 pixels of 1 bit: one byte used, 4 bytes stored per row.
  BmpFields s1;
  s1.width = 4;
  s1.height = 2;
  s1.bitCount = 1;
  s1.palette = {0x000000, 0xFFFFFF};
  s1.pixelData = {0xA0, 0xEE, 0xEE, 0xEE, 0x50, 0xEE, 0xEE, 0xEE};
  ASSERT_TRUE(Bmp(MakeBmp(s1), image));
  EXPECT_EQ(Rgba(image, 0, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Rgba(image, 1, 1), 0x000000FFu);
  EXPECT_EQ(Rgba(image, 1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Rgba(image, 3, 0), 0xFFFFFFFFu);
  // A short file fails instead of reading past the end.
  auto cut = MakeBmp(s1);
  cut.pop_back();
  EXPECT_FALSE(Bmp(cut, image));
}

TEST(BmpReader, PaletteDepthsLookUpTheirEntries) {
  BmpFields s4;
  s4.width = 3;
  s4.height = 1;
  s4.bitCount = 4;
  s4.palette = {0x000000, 0x112233, 0x445566};
  s4.pixelData = {0x12, 0x10, 0, 0};
  ImageBuffer image;
  ASSERT_TRUE(Bmp(MakeBmp(s4), image));
  EXPECT_EQ(Rgba(image, 0, 0), 0x112233FFu);
  EXPECT_EQ(Rgba(image, 1, 0), 0x445566FFu);
  EXPECT_EQ(Rgba(image, 2, 0), 0x112233FFu);

  // An index past a two-entry palette reads black, not memory after it.
  BmpFields s8;
  s8.width = 2;
  s8.height = 1;
  s8.bitCount = 8;
  s8.palette = {0xFF0000, 0x00FF00};
  s8.pixelData = {1, 200, 0, 0};
  ASSERT_TRUE(Bmp(MakeBmp(s8), image));
  EXPECT_EQ(Rgba(image, 0, 0), 0x00FF00FFu);
  EXPECT_EQ(Rgba(image, 1, 0), 0x000000FFu);
}

TEST(BmpReader, CoreHeaderFilesUseTheirThreeBytePalette) {
  BmpFields s;
  s.headerSize = 12;
  s.width = 2;
  s.height = 1;
  s.bitCount = 1;
  s.palette = {0x0000FF, 0xFF0000};  // blue, red
  s.pixelData = {0x40, 0, 0, 0};
  ImageBuffer image;
  ASSERT_TRUE(Bmp(MakeBmp(s), image));
  EXPECT_EQ(Rgba(image, 0, 0), 0x0000FFFFu);
  EXPECT_EQ(Rgba(image, 1, 0), 0xFF0000FFu);
}

TEST(BmpReader, TopDownFilesLoadTheRightWayUp) {
  BmpFields s;
  s.width = 1;
  s.height = -2;
  s.pixelData = {0, 0, 255, 0, 0, 255, 0, 0};  // red row first, then green
  ImageBuffer image;
  ASSERT_TRUE(Bmp(MakeBmp(s), image));
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(Rgba(image, 0, 0), 0xFF0000FFu);
  EXPECT_EQ(Rgba(image, 0, 1), 0x00FF00FFu);
}

TEST(BmpReader, RefusesWhatItCannotDecodeFaithfully) {
  auto base = [] {
    BmpFields s;
    s.width = 2;
    s.height = 2;
    s.pixelData.assign(16, 0x40);
    return s;
  };
  ImageBuffer image;
  ASSERT_TRUE(Bmp(MakeBmp(base()), image));
  for (uint32_t header : {108u, 124u, 0u, 64u}) {
    BmpFields s = base();
    s.headerSize = header;
    EXPECT_FALSE(Bmp(MakeBmp(s), image)) << "header " << header;
  }
  for (uint16_t bits : {0, 2, 16, 33}) {
    BmpFields s = base();
    s.bitCount = bits;
    EXPECT_FALSE(Bmp(MakeBmp(s), image)) << "bits " << bits;
  }
  for (uint32_t compression : {1u, 2u, 3u}) {
    BmpFields s = base();
    s.compression = compression;
    EXPECT_FALSE(Bmp(MakeBmp(s), image)) << "compression " << compression;
  }
  for (int32_t width : {0, -2, INT_MIN}) {
    BmpFields s = base();
    s.width = width;
    EXPECT_FALSE(Bmp(MakeBmp(s), image)) << "width " << width;
  }
  for (int32_t height : {0, INT_MIN}) {
    BmpFields s = base();
    s.height = height;
    EXPECT_FALSE(Bmp(MakeBmp(s), image)) << "height " << height;
  }
}

TEST(BmpReader, HostileSizesFailWithoutHugeAllocationsOrOutOfBoundsReads) {
  ImageBuffer image;
  // Pixel offset inside the headers (block size underflow) or past the end.
  for (uint32_t offset : {1u, 13u, 20u, 53u, 0xFFFFFFF0u}) {
    BmpFields s;
    s.pixelData.assign(16, 0);
    s.pixelOffset = offset;
    EXPECT_FALSE(Bmp(MakeBmp(s), image)) << "offset " << offset;
  }
  // Dimensions whose pixel data the file cannot hold, and ones beyond the
  // texture limit.
  for (auto [w, h] : {std::pair{100000, 100000}, std::pair{0x7FFFFFFF, 1}, std::pair{5000, 1}}) {
    BmpFields s;
    s.width = w;
    s.height = h;
    s.pixelData.assign(64, 0);
    EXPECT_FALSE(Bmp(MakeBmp(s), image)) << w << "x" << h;
  }
  // Truncations at every length of a valid file.
  const auto whole = testimg::MakeBmp24(3, 3, [](int, int) { return 0x123456u; });
  for (size_t n = 0; n < whole.size(); ++n) {
    std::vector<uint8_t> part(whole.begin(), whole.begin() + n);
    EXPECT_FALSE(Bmp(part, image)) << "length " << n;
  }
}

bool Png(const std::vector<uint8_t>& file, ImageBuffer& image, int32_t key = -1) {
  return DecodePng(file.data(), file.size(), "test.png", key, kMaxSide, image);
}

TEST(PngReader, SixteenBitSamplesAreStrippedAndRgbTakesTheColourKey) {
  PngFields s;
  s.width = 2;
  s.height = 1;
  s.bitDepth = 16;
  s.rows = {0xFF, 0x01, 0x00, 0x02, 0x80, 0x03, 0x12, 0, 0x34, 0, 0x56, 0};
  ImageBuffer image;
  ASSERT_TRUE(Png(testimg::MakePng(s), image, kKey));
  EXPECT_EQ(Rgba(image, 0, 0), 0u);  // 0xFF, 0x00, 0x80 is the key
  EXPECT_EQ(Rgba(image, 1, 0), 0x123456FFu);
}

TEST(PngReader, PaletteWithTransparencyLoadsAsRgbaWithoutKeying) {
  PngFields s;
  s.width = 2;
  s.height = 1;
  s.colourType = PNG_COLOR_TYPE_PALETTE;
  s.palette = {{0xFF, 0x00, 0x80}, {0x10, 0x20, 0x30}};
  s.transparency = {0xFF, 0x40};
  s.rows = {0, 1};
  ImageBuffer image;
  ASSERT_TRUE(Png(testimg::MakePng(s), image, kKey));
  EXPECT_EQ(Rgba(image, 0, 0), 0xFF0080FFu);
  EXPECT_EQ(Rgba(image, 1, 0), 0x10203040u);
}

TEST(PngReader, GreyExpandsAndGreyWithAlphaFailsSilently) {
  PngFields grey;
  grey.width = 4;
  grey.height = 1;
  grey.bitDepth = 2;
  grey.colourType = PNG_COLOR_TYPE_GRAY;
  grey.rows = {0x1B};  // 0, 1, 2, 3
  ImageBuffer image;
  ASSERT_TRUE(Png(testimg::MakePng(grey), image));
  EXPECT_EQ(Rgba(image, 1, 0), 0x555555FFu);
  EXPECT_EQ(Rgba(image, 3, 0), 0xFFFFFFFFu);

  PngFields greyAlpha;
  greyAlpha.width = 1;
  greyAlpha.height = 1;
  greyAlpha.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha.rows = {0x80, 0xFF};
  testing::internal::CaptureStdout();
  EXPECT_FALSE(Png(testimg::MakePng(greyAlpha), image));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(PngReader, InterlacedFilesLoadWhole) {
  PngFields s;
  s.width = 9;
  s.height = 9;
  s.interlaced = true;
  for (int i = 0; i < 81; ++i) s.rows.insert(s.rows.end(), {uint8_t(i), uint8_t(2 * i), 7});
  ImageBuffer image;
  ASSERT_TRUE(Png(testimg::MakePng(s), image));
  EXPECT_EQ(Rgba(image, 8, 8), 0x50A007FFu);
  EXPECT_EQ(Rgba(image, 3, 5), 0x306007FFu);
}

TEST(PngReader, TruncatedAndCorruptFilesFail) {
  PngFields s;
  s.width = 16;
  s.height = 16;
  s.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  for (int i = 0; i < 16 * 16 * 4; ++i) s.rows.push_back(static_cast<uint8_t>(i * 7));
  const auto whole = testimg::MakePng(s);
  ImageBuffer image;
  ASSERT_TRUE(Png(whole, image));
  for (size_t n = 0; n + 1 < whole.size(); n += 5) {
    std::vector<uint8_t> part(whole.begin(), whole.begin() + n);
    EXPECT_FALSE(Png(part, image)) << "length " << n;
  }
  auto corrupt = whole;
  for (size_t i = 40; i < corrupt.size(); i += 3) corrupt[i] ^= 0x5A;
  EXPECT_FALSE(Png(corrupt, image));
  // Bigger than the texture limit: refused before any row is allocated.
  EXPECT_FALSE(DecodePng(whole.data(), whole.size(), "x", -1, 8, image));
}

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void AppendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  const uint32_t n = static_cast<uint32_t>(body.size());
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(n >> shift));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  const uint32_t crc = Crc32(&out[typeAt], 4 + body.size());
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(crc >> shift));
}

// A PNG that is all header: width x height RGBA and the start of a pixel
// stream that never delivers.
std::vector<uint8_t> PngHeaderOnly(uint32_t width, uint32_t height) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  for (uint32_t v : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) ihdr.push_back(static_cast<uint8_t>(v >> shift));
  }
  ihdr.insert(ihdr.end(), {8, PNG_COLOR_TYPE_RGB_ALPHA, 0, 0, 0});
  AppendChunk(out, "IHDR", ihdr);
  AppendChunk(out, "IDAT", {0x78, 0x9C, 0x00, 0x00, 0x00, 0xFF, 0xFF});
  return out;
}

// Runtime error 7 and the error log's last line, both cleared after.
std::string Refusal() {
  testenv::PrivateTempDir();
  const std::vector<std::string> lines = testenv::LogLines();
  const bool recorded = static_cast<int>(RuntimeErrors().errorCode) == kErrInvalidArgument;
  ClearRuntimeError();
  std::remove(ErrorLogPath().c_str());
  return recorded && !lines.empty() ? lines.back() : std::string();
}

TEST(ImageBudget, HeadersClaimingMoreThanTheBudgetAreRefusedBeforeAllocating) {
  testenv::PrivateTempDir();
  std::remove(ErrorLogPath().c_str());
  ImageBuffer image;
  // 8192 x 8192 RGBA: a few dozen bytes asking for half a gigabyte.
  const auto huge = PngHeaderOnly(8192, 8192);
  EXPECT_FALSE(DecodePng(huge.data(), huge.size(), "huge.png", -1, 16384, image));
  const std::string line = Refusal();
  EXPECT_NE(line.find("Load refused: image huge.png"), std::string::npos) << line;
  EXPECT_NE(line.find(std::to_string(budget::kImageBytes)), std::string::npos) << line;
  // Within the budget the header passes and the missing pixels fail the
  // load as before, without a refusal.
  const auto small = PngHeaderOnly(64, 64);
  EXPECT_FALSE(DecodePng(small.data(), small.size(), "small.png", -1, 16384, image));
  EXPECT_EQ(Refusal(), "");

  // A BMP of one bit a pixel grows 32 times: 8 MB of file would decode to
  // more than 256 MiB.
  BmpFields s;
  s.bitCount = 1;
  s.width = 8192;
  s.height = 8200;
  s.palette = {0, 0xFFFFFF};
  s.pixelData.assign(size_t{8192} / 8 * 8200, 0);
  const auto bmp = MakeBmp(s);
  EXPECT_FALSE(DecodeBmp(bmp.data(), bmp.size(), -1, 16384, image));
  EXPECT_NE(Refusal().find("Load refused: image needs"), std::string::npos);
}

TEST(ImageLoading, BmpNamedPngAndPngNamedBmpBothLoad) {
  const std::string dir = testing::TempDir();
  testimg::WriteBytes(dir + "really_bmp.png",
                      testimg::MakeBmp24(2, 2, [](int, int) { return 1u; }));
  PngFields s;
  s.rows.assign(12, 7);
  testimg::WriteBytes(dir + "really_png.bmp", testimg::MakePng(s));
  ImageBuffer image;
  EXPECT_TRUE(gfx2d::LoadImageFile((dir + "really_bmp.png").c_str(), -1, image));
  EXPECT_TRUE(gfx2d::LoadImageFile((dir + "really_png.bmp").c_str(), -1, image));
  EXPECT_FALSE(gfx2d::LoadImageFile((dir + "missing.png").c_str(), -1, image));
  // A 108-byte header fails as BMP and the PNG reader rejects it too.
  BmpFields v4;
  v4.headerSize = 108;
  v4.pixelData.assign(16, 0);
  testimg::WriteBytes(dir + "v4.bmp", MakeBmp(v4));
  EXPECT_FALSE(gfx2d::LoadImageFile((dir + "v4.bmp").c_str(), -1, image));
}

TEST(ImageLoading, InMemoryFilesLoadAndShortOnesFail) {
  const auto file = testimg::MakeBmp24(3, 2, [](int, int) { return 0x0000FFu; });
  ImageBuffer image;
  EXPECT_TRUE(gfx2d::LoadImageFile(MemoryName(file.data(), file.size()).c_str(), -1, image));
  EXPECT_EQ(Rgba(image, 2, 1), 0xFF0000FFu);
  EXPECT_FALSE(gfx2d::LoadImageFile(MemoryName(file.data(), file.size() - 1).c_str(), -1, image));
}

}  // namespace
