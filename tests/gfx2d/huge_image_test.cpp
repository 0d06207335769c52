// Pictures too large for memory: the load fails and the program goes on.
// Nothing here holds gigabytes: the padded file is sparse, and the large
// decode runs in a child whose address space is capped.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image_builders.h"
#include "runtime/gfx2d/image_decode.h"

namespace {

// A width x height grey PNG of zeros, written row by row so the rows never
// exist in memory at once.
[[maybe_unused]] std::vector<uint8_t> ZeroPng(int width, int height) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  testimg::WritePngInto(png, &out);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Runs of zeros: the quickest way through zlib for a picture this size.
  png_set_filter(png, 0, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(width), 0);
  for (int y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

[[maybe_unused]] size_t AddressSpaceInUse() {
  unsigned long pages = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

TEST(HugeImages, ALegalSizeTooLargeForTheMemoryLeftIsAFailedLoad) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a capped address space cannot hold the sanitizer's shadow memory";
#else
  const std::vector<uint8_t> file = ZeroPng(16384, 16384);
  ASSERT_FALSE(file.empty());
  ASSERT_LT(file.size(), 2u << 20);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The rows alone need 256 MiB and the picture 1 GiB; leave less.
    const rlim_t cap = AddressSpaceInUse() + (128u << 20);
    const rlimit limit{cap, cap};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
    gfx2d::ImageBuffer image;
    const bool loaded = gfx2d::DecodePng(file.data(), file.size(), "huge", -1, 16384, image);
    _exit(loaded ? 1 : image.pixels.empty() && image.width == 0 ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the decode ended the process (signal "
                                 << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

TEST(HugeImages, AFilePaddedToGibibytesIsRefusedBeforeItIsRead) {
  testimg::PngFields s;
  s.rows.assign(12, 7);
  const std::vector<uint8_t> png = testimg::MakePng(s);
  const std::string path = testing::TempDir() + "padded_" + std::to_string(getpid()) + ".png";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, png.data(), png.size()), static_cast<ssize_t>(png.size()));
  gfx2d::ImageBuffer image;
  EXPECT_TRUE(gfx2d::LoadImageFile(path.c_str(), -1, image));
  EXPECT_EQ(image.width, 2);
  for (const off_t size : {off_t{3} << 29, (off_t{1} << 32) + 1}) {
    ASSERT_EQ(ftruncate(fd, size), 0);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(gfx2d::ReadImageBytes(path.c_str(), bytes)) << size;
    EXPECT_EQ(bytes.capacity(), 0u);
    EXPECT_FALSE(gfx2d::LoadImageFile(path.c_str(), -1, image)) << size;
  }
  close(fd);
  unlink(path.c_str());
}

}  // namespace
