// PNG files through libpng. libpng reports errors by longjmp, so the frame
// that calls setjmp and everything libpng calls back into hold no objects
// with destructors: buffers live in the caller and are reached by pointer.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include "runtime/core/load_budget.h"
#include "runtime/gfx2d/gfx2d_state.h"
#include "runtime/gfx2d/image_decode.h"

namespace gfx2d {
namespace {

constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t position;
};

void ReadFromSource(png_structp png, png_bytep out, png_size_t count) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  // A short read is an error, not a silently zero-filled row.
  if (count > src->size - src->position) png_error(png, "truncated");
  std::memcpy(out, src->data + src->position, count);
  src->position += count;
}

void QuietError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void QuietWarning(png_structp, png_const_charp) {}

struct PngResult {
  int width = 0, height = 0, channels = 0;
  size_t rowBytes = 0;
};

// Returns false on any failure. rows is sized here and filled by libpng.
bool ReadPngRows(PngSource* src, const char* name, int maxSide, std::vector<uint8_t>* rows,
                 std::vector<png_bytep>* rowPointers, PngResult* result) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, src, ReadFromSource);
  png_set_user_limits(png, static_cast<png_uint_32>(maxSide), static_cast<png_uint_32>(maxSide));
  // libpng allocates a text, profile or palette-suggestion chunk whole at
  // the length it declares, past its own chunk size limit: a 56-byte file
  // claiming a 2 GB text chunk took 2 GB. None of them changes the picture
  // we decode, so they are skipped unread; the limit covers the rest.
  static const png_byte kSkipped[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0pCAL\0sCAL";
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkipped, 8);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_read_info(png, info);
  const int colourType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_expand(png);
  png_set_strip_16(png);
  png_set_packing(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const int channels = png_get_channels(png, info);
  const int finalDepth = png_get_bit_depth(png, info);
  const int finalType = png_get_color_type(png, info);
  // Standard output is the program's: the loading command reports the
  // failure in the error log.
  const bool ok = (channels == 1 || channels == 3 || channels == 4) && finalDepth == 8 &&
                  (finalType == PNG_COLOR_TYPE_GRAY || finalType == PNG_COLOR_TYPE_RGB ||
                   finalType == PNG_COLOR_TYPE_RGB_ALPHA);
  if (!ok) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  result->width = static_cast<int>(png_get_image_width(png, info));
  result->height = static_cast<int>(png_get_image_height(png, info));
  result->channels = channels;
  result->rowBytes = png_get_rowbytes(png, info);
  // The header alone decides the rows and the RGBA picture made from them;
  // a tiny file can claim gigabytes, so they are counted before either is
  // allocated.
  const uint64_t pixels = uint64_t(result->width) * uint64_t(result->height);
  if (!budget::Fits("image", name, uint64_t(result->rowBytes) * result->height + pixels * 4,
                    budget::kImageBytes)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  // The sizes are bounded by the user limits above, so this cannot overflow.
  // A size within the budget can still ask for more memory than there is;
  // libpng's structures must be freed before that failure leaves this frame.
  try {
    rows->resize(result->rowBytes * static_cast<size_t>(result->height));
    rowPointers->resize(static_cast<size_t>(result->height));
  } catch (const std::bad_alloc&) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  for (int y = 0; y < result->height; ++y)
    (*rowPointers)[y] = rows->data() + static_cast<size_t>(y) * result->rowBytes;
  png_read_image(png, rowPointers->data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, const char* name, int32_t key, int maxSide,
               ImageBuffer& image) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  PngSource src{data, size, 0};
  std::vector<uint8_t> rows;
  std::vector<png_bytep> rowPointers;
  PngResult r;
  if (!ReadPngRows(&src, name ? name : "", maxSide, &rows, &rowPointers, &r)) return false;
  if (r.width <= 0 || r.height <= 0) return false;

  try {
    image.pixels.assign(static_cast<size_t>(r.width) * r.height * 4, 0);
  } catch (const std::bad_alloc&) {
    image = ImageBuffer{};
    return false;
  }
  image.width = r.width;
  image.height = r.height;
  for (int y = 0; y < r.height; ++y) {
    const uint8_t* in = rowPointers[y];
    uint8_t* out = image.Pixel(0, y);
    for (int x = 0; x < r.width; ++x, out += 4) {
      if (r.channels == 4) {
        std::memcpy(out, in + x * 4, 4);
      } else if (r.channels == 3) {
        const uint8_t* px = in + x * 3;
        if (key != kNoColourKey && (px[0] | px[1] << 8 | px[2] << 16) == key) continue;
        std::memcpy(out, px, 3);
        out[3] = 255;
      } else {
        out[0] = out[1] = out[2] = in[x];
        out[3] = 255;
      }
    }
  }
  return true;
}

}  // namespace gfx2d
