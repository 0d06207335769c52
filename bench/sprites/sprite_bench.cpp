// Throughput of the 2D renderer as a program sees it:
// - sprites per ms: N copies of a 32 x 32 alpha-blended sprite (blend -1)
//   per frame, frames unpaced, timed from EndFrame to EndFrame;
// - DrawText characters per ms;
// - AnimationFramesOverlap, first call (mask read-back) and cached;
// - loading a 320 x 240 PNG, split into decode, edge fill, mipmaps and
//   upload, and 60 such images through SpriteFromFile.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "image_builders.h"
#include "runtime/gfx2d/gfx2d_service.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/texture_upload.h"
#include "runtime/platform/process.h"
#include "runtime/platform/test_backend.h"
#include "runtime/render/textures.h"
#include "runtime/runtime.h"

namespace {

std::vector<uint8_t> EncodePng(int w, int h, const std::vector<uint8_t>& rgba) {
  testimg::PngFields png;
  png.width = w;
  png.height = h;
  png.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  png.rows = rgba;
  return testimg::MakePng(png);
}

std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = plat::TempDirectory() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// A round 32 x 32 ball with a soft edge: alpha falls off towards the rim.
std::vector<uint8_t> Ball() {
  std::vector<uint8_t> rgba(32 * 32 * 4);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const double d = std::hypot(x - 15.5, y - 15.5) / 16;
      uint8_t* p = &rgba[(y * 32 + x) * 4];
      p[0] = 255;
      p[1] = static_cast<uint8_t>(100 + x * 4);
      p[2] = static_cast<uint8_t>(50 + y * 5);
      p[3] = d >= 1 ? 0 : static_cast<uint8_t>(255 * (1 - d * d));
    }
  return rgba;
}

// A 320 x 240 picture with some structure, so the PNG is not trivially small.
std::vector<uint8_t> Scene() {
  std::vector<uint8_t> rgba(320 * 240 * 4);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      uint8_t* p = &rgba[(y * 320 + x) * 4];
      p[0] = static_cast<uint8_t>(x * 7 ^ y * 3);
      p[1] = static_cast<uint8_t>((x + y) / 3);
      p[2] = static_cast<uint8_t>(y);
      p[3] = (x / 20 + y / 20) % 5 == 0 ? 0 : 255;
    }
  return rgba;
}

// The same quads straight to the driver, for comparison, the texture bound
// once a frame. The frame's end leaves texturing off, so each frame turns it
// on again (a ceiling of untextured quads would be no ceiling for textured
// sprites).
// - Immediate: one glBegin/glEnd a quad under the state sprites had before
//   the runtime batched them (linear filtering, texels modulated by white);
//   kept to compare with earlier figures.
// - OneArray: every quad of the frame in one client-array draw, under the
//   state the runtime draws these sprites with (nearest filtering, which
//   gives the same pixels at one texel a pixel, and texels replaced): the
//   ceiling the driver allows for the same pixels.
enum class Raw { Off, Immediate, OneArray };
Raw g_raw = Raw::Off;
std::vector<float> g_rawCorners;

void BindRawTexture() {
  if (g_raw == Raw::Off) return;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, SpriteTextureId(1));
  render::ForgetBoundTexture();
}

void DrawRawArray() {
  if (g_raw != Raw::OneArray || g_rawCorners.empty()) return;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), g_rawCorners.data());
  glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(float), g_rawCorners.data() + 2);
  glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(g_rawCorners.size() / 4));
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  // The runtime's own draws find the texture and environment as they left
  // them.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  g_rawCorners.clear();
}

void RawQuad(int x, int y) {
  if (g_raw == Raw::OneArray) {
    const float l = static_cast<float>(x), t = static_cast<float>(y);
    g_rawCorners.insert(g_rawCorners.end(),
                        {l + 32, t, 1, 1, l, t, 0, 1, l, t + 32, 0, 0, l + 32, t + 32, 1, 0});
    return;
  }
  glBegin(GL_QUADS);
  glTexCoord2f(1, 1);
  glVertex2i(x + 32, y);
  glTexCoord2f(0, 1);
  glVertex2i(x, y);
  glTexCoord2f(0, 0);
  glVertex2i(x, y + 32);
  glTexCoord2f(1, 0);
  glVertex2i(x + 32, y + 32);
  glEnd();
}

void Put(int x, int y) {
  if (g_raw != Raw::Off)
    RawQuad(x, y);
  else
    PutSprite(1, x, y);
}

// Per wall-clock ms and per ms of the process's CPU time (the rasteriser's
// threads included): on a shared machine the second is the steadier figure.
struct Rate {
  double wall = 0, cpu = 0;
};

double CpuMs() {
  return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

Rate SpritesPerMs(int count, int frames) {
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  SetBlendMode(-1);
  BindRawTexture();
  for (int f = 0; f < 5; ++f) {
    for (int i = 0; i < count; ++i) Put(next() % 300 - 10, next() % 220 - 10);
    DrawRawArray();
    EndFrame();
    SetBlendMode(-1);
    BindRawTexture();
  }
  const double start = TimerNow(), startCpu = CpuMs();
  for (int f = 0; f < frames; ++f) {
    for (int i = 0; i < count; ++i) Put(next() % 300 - 10, next() % 220 - 10);
    DrawRawArray();
    EndFrame();
    SetBlendMode(-1);
    BindRawTexture();
  }
  const double sprites = static_cast<double>(count) * frames;
  return {sprites / (TimerNow() - start), sprites / (CpuMs() - startCpu)};
}

Rate CharactersPerMs() {
  const RtString line("The quick brown fox jumps over the lazy dog 0123");  // 48 characters
  constexpr int kLines = 500, kFrames = 30;
  const double start = TimerNow(), startCpu = CpuMs();
  for (int f = 0; f < kFrames; ++f) {
    for (int i = 0; i < kLines; ++i) DrawText(line, i % 7, (i * 8) % 232);
    EndFrame();
  }
  const double characters = 48.0 * kLines * kFrames;
  return {characters / (TimerNow() - start), characters / (CpuMs() - startCpu)};
}

void CollisionTimes() {
  // A 256 x 256 strip of 32 x 32 frames, every frame a ball.
  std::vector<uint8_t> strip(256 * 256 * 4);
  const std::vector<uint8_t> ball = Ball();
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      std::copy_n(&ball[((y % 32) * 32 + x % 32) * 4], 4, &strip[(y * 256 + x) * 4]);
  const std::string path = WriteTemp("bench_strip.png", EncodePng(256, 256, strip));
  AnimationFromFile(RtString(path.c_str()), 2, 32, 32);
  // Rims just touching through transparent corners: a full scan, no hit.
  double t = TimerNow();
  const bool first = AnimationFramesOverlap(2, 9, 0, 0, 2, 18, 27, 27);
  const double firstMs = TimerNow() - t;
  constexpr int kRepeats = 10000;
  int hits = 0;
  t = TimerNow();
  for (int i = 0; i < kRepeats; ++i) hits += AnimationFramesOverlap(2, 9, 0, 0, 2, 18, 27, 27);
  const double cachedUs = (TimerNow() - t) * 1000 / kRepeats;
  t = TimerNow();
  for (int i = 0; i < kRepeats; ++i) hits += AnimationFramesOverlap(2, 9, 0, 0, 2, 18, 10, 10);
  const double hitUs = (TimerNow() - t) * 1000 / kRepeats;
  std::printf(
      "AnimationFramesOverlap 32x32 frames: first call %.3f ms (result %d), cached miss"
      " %.2f us, cached hit %.3f us (%d hits)\n",
      firstMs, first, cachedUs, hitUs, hits);
}

void ImageLoadTimes() {
  const std::vector<uint8_t> file = EncodePng(320, 240, Scene());
  constexpr int kRepeats = 20;
  double decode = 0, fill = 0, mips = 0, upload = 0;
  for (int i = 0; i < kRepeats; ++i) {
    gfx2d::ImageBuffer image;
    double t = TimerNow();
    gfx2d::DecodePng(file.data(), file.size(), "scene", 0x8000FF, 4096, image);
    decode += TimerNow() - t;
    gfx2d::TexelBuffer padded = gfx2d::PadRegion(image, 0, 0, 320, 240, 512, 256);
    t = TimerNow();
    gfx2d::FillTransparentEdges(padded);
    fill += TimerNow() - t;
    t = TimerNow();
    const auto levels = gfx2d::BuildMipLevels(padded);
    mips += TimerNow() - t;
    t = TimerNow();
    GLuint names[2];
    glGenTextures(2, names);
    glBindTexture(GL_TEXTURE_2D, names[0]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 512, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 padded.texels.data());
    glBindTexture(GL_TEXTURE_2D, names[1]);
    for (size_t l = 0; l < levels.size(); ++l)
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(l), GL_RGBA8, levels[l].width,
                   levels[l].height, 0, GL_RGBA, GL_UNSIGNED_BYTE, levels[l].texels.data());
    glFinish();
    upload += TimerNow() - t;
    glDeleteTextures(2, names);
  }
  std::printf(
      "320x240 PNG load: decode %.2f ms, edge fill %.2f ms, mipmaps %.2f ms, upload"
      " %.2f ms\n",
      decode / kRepeats, fill / kRepeats, mips / kRepeats, upload / kRepeats);

  std::vector<std::string> paths;
  for (int i = 0; i < 60; ++i)
    paths.push_back(WriteTemp("bench_scene" + std::to_string(i) + ".png", file));
  const double t = TimerNow();
  for (int i = 0; i < 60; ++i) SpriteFromFile(RtString(paths[i].c_str()), 100 + i);
  glFinish();
  std::printf("60 images of 320x240 through SpriteFromFile: %.1f ms\n", TimerNow() - t);
  for (const auto& p : paths) std::remove(p.c_str());
}

// Every .png under dir (the game's images, say) through SpriteFromFile.
void LoadDirectory(const std::string& dir) {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, error))
    if (entry.path().extension() == ".png") paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  int loaded = 0;
  const double t = TimerNow();
  for (size_t i = 0; i < paths.size(); ++i)
    loaded += SpriteFromFile(RtString(paths[i].c_str()), 1000 + static_cast<int>(i));
  glFinish();
  std::printf("%d of %zu images under %s through SpriteFromFile: %.1f ms\n", loaded, paths.size(),
              dir.c_str(), TimerNow() - t);
}

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  plat::SetMessageBoxRecorder([](plat::BoxIcon, const std::string&, const std::string&) {});
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Sprite bench");
  if (!MainWindowHandle()) {
    std::printf("bench_sprites: no window\n");
    End();
  }
  if (std::strncmp(commandLine, "--images ", 9) == 0) {
    LoadDirectory(commandLine + 9);
    End();
  }
  // Far beyond what the machine reaches: frames run unpaced.
  SetFrameRate(100000);
  const std::string ball = WriteTemp("bench_ball.png", EncodePng(32, 32, Ball()));
  SpriteFromFile(RtString(ball.c_str()), 1);
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  const int counts[3] = {1000, 5000, 20000};
  Rate sprites[3];
  for (int i = 0; i < 3; ++i) {
    const int n = counts[i];
    sprites[i] = SpritesPerMs(n, n >= 20000 ? 20 : 60);
    std::printf("N = %5d: %.1f sprites/ms, %.1f per CPU ms\n", n, sprites[i].wall, sprites[i].cpu);
  }
  // The driver's own calls from here on; EndFrame left nothing waiting in
  // the runtime's vertex stream.
  g_raw = Raw::Immediate;
  const Rate immediate = SpritesPerMs(1000, 60);
  std::printf("immediate-mode quads, N = 1000: %.1f sprites/ms, %.1f per CPU ms\n", immediate.wall,
              immediate.cpu);
  g_raw = Raw::OneArray;
  for (int i = 0; i < 3; ++i) {
    const int n = counts[i];
    const Rate bare = SpritesPerMs(n, n >= 20000 ? 20 : 60);
    std::printf(
        "bare quads (one array), N = %5d: %.1f sprites/ms, %.1f per CPU ms; sprites reach"
        " %.0f%% wall, %.0f%% CPU of it\n",
        n, bare.wall, bare.cpu, 100 * sprites[i].wall / bare.wall, 100 * sprites[i].cpu / bare.cpu);
  }
  g_raw = Raw::Off;
  render::ForgetBoundTexture();
  SetBlendMode(-1);
  const Rate text = CharactersPerMs();
  std::printf("DrawText: %.0f characters/ms, %.0f per CPU ms\n", text.wall, text.cpu);
  CollisionTimes();
  ImageLoadTimes();
  std::remove(ball.c_str());
  End();
}
