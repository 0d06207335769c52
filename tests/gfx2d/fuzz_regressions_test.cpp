// Inputs the fuzzers found to crash, hang or blow up the image loader, kept
// in regressions/ beside this file. Each is a damaged file: the sprite
// loader's decode must fail on it, quickly and without ending the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "image_builders.h"
#include "runtime/gfx2d/image_decode.h"

namespace {

namespace fs = std::filesystem;

TEST(ImageFuzzRegressions, EveryKeptInputFailsToLoad) {
  const fs::path folder = fs::path(TEST_SOURCE_DIR) / "regressions";
  int seen = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(bytes.empty()) << entry.path();
    gfx2d::ImageBuffer image;
    for (const int32_t key : {-1, 0xFF00FF}) {
      EXPECT_FALSE(gfx2d::DecodeImageBytes(bytes, entry.path().c_str(), key, image))
          << entry.path();
      EXPECT_TRUE(image.pixels.empty()) << entry.path();
    }
    ++seen;
  }
  EXPECT_GE(seen, 1);
}

// The loader skips text chunks unread (a declared length is allocated
// whole otherwise); a picture carrying them still loads, before and after
// its data.
TEST(ImageFuzzRegressions, PicturesWithTextChunksStillLoad) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  ASSERT_EQ(setjmp(png_jmpbuf(png)), 0);
  testimg::WritePngInto(png, &out);
  png_set_IHDR(png, info, 2, 1, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  char key[] = "Comment", plain[] = "plain text", zipped[] = "zipped text", intl[] = "intl";
  png_text texts[3] = {};
  texts[0] = {PNG_TEXT_COMPRESSION_NONE, key, plain, sizeof plain - 1, 0, nullptr, nullptr};
  texts[1] = {PNG_TEXT_COMPRESSION_zTXt, key, zipped, sizeof zipped - 1, 0, nullptr, nullptr};
  texts[2] = {PNG_ITXT_COMPRESSION_NONE, key, intl, 0, sizeof intl - 1, nullptr, nullptr};
  png_set_text(png, info, texts, 3);
  png_write_info(png, info);
  png_byte row[6] = {255, 0, 0, 0, 0, 255};
  png_write_row(png, row);
  png_set_text(png, info, texts, 1);  // once more after the data
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);

  gfx2d::ImageBuffer image;
  ASSERT_TRUE(gfx2d::DecodeImageBytes(out, "text.png", -1, image));
  ASSERT_EQ(image.width, 2);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 255, 255}));
}

}  // namespace
