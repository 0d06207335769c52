#include "asset_io.h"

#include <mpg123.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "runtime/core/byte_order.h"

namespace assettest {

std::string RunDir() {
  return ASSET_RUN_DIR;
}
std::string MusicDir() {
  return ASSET_MUSIC_DIR;
}

bool Png::Transparent(int x, int y) const {
  const uint8_t* p = At(x, y);
  if (has_alpha) return p[3] == 0;
  return p[0] == 64 && p[1] == 0 && p[2] == 123;
}

bool ReadPng(const std::string& path, Png& out, std::string& error) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) {
    error = path + ": " + img.message;
    return false;
  }
  out.w = static_cast<int>(img.width);
  out.h = static_cast<int>(img.height);
  out.has_alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  out.colour = (img.format & PNG_FORMAT_FLAG_COLOR) != 0;
  out.bit_depth = (img.format & PNG_FORMAT_FLAG_LINEAR) ? 16 : 8;
  img.format = PNG_FORMAT_RGBA;
  out.rgba.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, out.rgba.data(), 0, nullptr)) {
    error = path + ": " + img.message;
    png_image_free(&img);
    return false;
  }
  return true;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

bool ReadWav(const std::string& path, Wav& out, std::string& error) {
  std::vector<uint8_t> b = ReadBytes(path);
  auto u32 = [&](size_t at) { return Le32At(b, at); };
  auto u16 = [&](size_t at) { return Le16At(b, at); };
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4)) {
    error = path + ": not RIFF/WAVE";
    return false;
  }
  // Walk the chunks the way the game's loader does: fmt first, then data.
  bool have_fmt = false;
  size_t at = 12;
  while (at + 8 <= b.size()) {
    uint32_t size = u32(at + 4);
    const uint8_t* id = &b[at];
    size_t body = at + 8;
    if (body + size > b.size()) {
      error = path + ": chunk runs past the end of the file";
      return false;
    }
    if (!std::memcmp(id, "fmt ", 4) && size >= 16) {
      out.format = u16(body);
      out.channels = u16(body + 2);
      out.rate = u32(body + 4);
      out.bits = u16(body + 14);
      have_fmt = true;
    } else if (!std::memcmp(id, "data", 4) && have_fmt) {
      out.has_data = true;
      if (out.format == 1 && out.bits == 16)
        for (size_t i = 0; i + 1 < size; i += 2)
          out.samples.push_back(static_cast<int16_t>(u16(body + i)));
      return true;
    }
    at = body + size + (size & 1);
  }
  error = path + (have_fmt ? ": no data chunk" : ": no fmt chunk");
  return false;
}

bool DecodeMp3(const std::string& path, Mp3Info& out, std::string& error) {
  static const bool init = mpg123_init() == MPG123_OK;
  if (!init) {
    error = "mpg123_init failed";
    return false;
  }
  int err = 0;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) {
    error = "mpg123_new failed";
    return false;
  }
  mpg123_param(mh, MPG123_FLAGS, MPG123_QUIET, 0);
  if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
    error = path + ": " + mpg123_strerror(mh);
    mpg123_delete(mh);
    return false;
  }
  int enc = 0;
  mpg123_getformat(mh, &out.rate, &out.channels, &enc);
  mpg123_format_none(mh);
  mpg123_format(mh, out.rate, out.channels, MPG123_ENC_SIGNED_16);
  std::vector<unsigned char> buf(1 << 16);
  for (;;) {
    size_t done = 0;
    int r = mpg123_read(mh, buf.data(), buf.size(), &done);
    const int16_t* s = reinterpret_cast<const int16_t*>(buf.data());
    out.pcm.insert(out.pcm.end(), s, s + done / 2);
    if (r == MPG123_DONE) break;
    if (r != MPG123_OK && r != MPG123_NEW_FORMAT) {
      error = path + ": " + mpg123_strerror(mh);
      mpg123_close(mh);
      mpg123_delete(mh);
      return false;
    }
  }
  mpg123_close(mh);
  mpg123_delete(mh);
  out.frames = out.channels > 0 ? out.pcm.size() / out.channels : 0;
  return true;
}

}  // namespace assettest
