#include "output.h"

#include <lame/lame.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "runtime/core/byte_order.h"

namespace assetgen {

namespace fs = std::filesystem;

void MakeDirs(const std::string& path) {
  fs::path dir = fs::path(path).parent_path();
  if (!dir.empty()) fs::create_directories(dir);
}

void WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  MakeDirs(path);
  // A build interrupted half-way must not leave a truncated asset that looks
  // finished, so write beside the target and rename over it.
  std::string tmp = path + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot create " + tmp);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) {
    std::remove(tmp.c_str());
    throw std::runtime_error("cannot write " + tmp);
  }
  fs::rename(tmp, path);
}

namespace {

void PngWriteToVector(png_structp png, png_bytep data, png_size_t len) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + len);
}

void PngFlush(png_structp) {}

[[noreturn]] void PngError(png_structp, png_const_charp msg) {
  throw std::runtime_error(msg);
}

}  // namespace

void WritePng(const std::string& path, const Image& img, PngKind kind) {
  std::vector<uint8_t> rgb(static_cast<size_t>(img.w) * img.h * 3);
  for (size_t i = 0; i < static_cast<size_t>(img.w) * img.h; ++i) {
    const uint8_t* p = &img.rgba[i * 4];
    uint8_t* q = &rgb[i * 3];
    if (p[3] == 0) {
      if (kind == PngKind::kOpaque)
        throw std::runtime_error(path + ": transparent pixel in opaque image");
      q[0] = kKey.r;
      q[1] = kKey.g;
      q[2] = kKey.b;
      continue;
    }
    q[0] = p[0];
    q[1] = p[1];
    q[2] = p[2];
    // A drawn pixel that happens to hit the key colour would vanish in game;
    // nudge it by one step of blue, which nobody can see.
    if (q[0] == kKey.r && q[1] == kKey.g && q[2] == kKey.b) q[2] = kKey.b - 1;
  }

  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, nullptr);
  png_infop info = png_create_info_struct(png);
  try {
    png_set_write_fn(png, &out, PngWriteToVector, PngFlush);
    png_set_IHDR(png, info, img.w, img.h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < img.h; ++y) png_write_row(png, &rgb[static_cast<size_t>(y) * img.w * 3]);
    png_write_end(png, info);
  } catch (...) {
    png_destroy_write_struct(&png, &info);
    throw;
  }
  png_destroy_write_struct(&png, &info);
  WriteFileAtomically(path, out);
}

void WriteWav(const std::string& path, const std::vector<int16_t>& samples, int rate) {
  const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> b(44 + data_bytes);
  size_t at = 0;
  auto u32 = [&](uint32_t v) {
    StoreLe32(&b[at], v);
    at += 4;
  };
  auto u16 = [&](uint16_t v) {
    StoreLe16(&b[at], v);
    at += 2;
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) b[at++] = static_cast<uint8_t>(t[i]);
  };
  tag("RIFF");
  u32(36 + data_bytes);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  tag("data");
  u32(data_bytes);
  for (int16_t s : samples) u16(static_cast<uint16_t>(s));
  WriteFileAtomically(path, b);
}

void WriteMp3(const std::string& path, const std::vector<float>& left,
              const std::vector<float>& right, int kbps) {
  lame_global_flags* gf = lame_init();
  if (!gf) throw std::runtime_error("lame_init");
  lame_set_num_channels(gf, 2);
  lame_set_in_samplerate(gf, 44100);
  lame_set_out_samplerate(gf, 44100);
  lame_set_brate(gf, kbps);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_quality(gf, 5);
  // The Info frame carries encoder delay and padding, so decoders that honour
  // it reproduce the exact sample count and the loop point stays on the beat.
  lame_set_bWriteVbrTag(gf, 1);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    throw std::runtime_error("lame_init_params");
  }
  std::vector<uint8_t> out;
  const int kChunk = 8192;
  std::vector<unsigned char> buf(kChunk * 5 / 4 + 7200);
  for (size_t pos = 0; pos < left.size(); pos += kChunk) {
    int n = static_cast<int>(std::min<size_t>(kChunk, left.size() - pos));
    int got = lame_encode_buffer_ieee_float(gf, &left[pos], &right[pos], n, buf.data(),
                                            static_cast<int>(buf.size()));
    if (got < 0) {
      lame_close(gf);
      throw std::runtime_error("lame encode failed");
    }
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  int got = lame_encode_flush(gf, buf.data(), static_cast<int>(buf.size()));
  if (got > 0) out.insert(out.end(), buf.begin(), buf.begin() + got);
  size_t tag_len = lame_get_lametag_frame(gf, buf.data(), buf.size());
  if (tag_len > 0 && tag_len <= out.size()) std::memcpy(out.data(), buf.data(), tag_len);
  lame_close(gf);
  WriteFileAtomically(path, out);
}

}  // namespace assetgen
