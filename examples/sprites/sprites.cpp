// A tour of the 2D commands: generated images drawn plain, rotated, scaled,
// blended and animated, text in the built-in and a loaded font, primitives,
// an off-screen surface and a collision readout.
//
//   sprites                 run until Escape
//   sprites --shot FILE     run 90 frames, write the last one to FILE, end
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "image_builders.h"
#include "runtime/runtime.h"

namespace {

enum Slot { kBall = 1, kArrow, kStrip, kCanvas, kFontSheet };
// The images' backgrounds: transparent with the default colour key.
constexpr int kKeyColour = colours::kSpriteKey;

// Writes a 24-bit BMP whose pixel (x, y) is colour(x, y), packed like the
// runtime's colours.
void WriteBmp(const std::string& path, int w, int h,
              const std::function<uint32_t(int, int)>& colour) {
  testimg::WriteBytes(path, testimg::MakeBmp24(w, h, colour));
}

void MakeImages(const std::string& dir) {
  WriteBmp(dir + "ball.bmp", 32, 32, [](int x, int y) {
    const double d = std::hypot(x - 15.5, y - 15.5);
    if (d > 15) return kKeyColour;
    const int shade = static_cast<int>(255 - d * 8);
    return Rgb(shade, shade / 2 + 60, 40);
  });
  WriteBmp(dir + "arrow.bmp", 32, 16, [](int x, int y) {
    const bool shaft = y >= 6 && y < 10 && x < 22;
    const bool head = x >= 22 && std::abs(y - 8) < 32 - x;
    return shaft || head ? Rgb(80, 200, 255) : kKeyColour;
  });
  // Eight 16 x 16 frames of a turning bar.
  WriteBmp(dir + "strip.bmp", 128, 16, [](int x, int y) {
    const double angle = (x / 16) * 3.14159265 / 8;
    const double px = x % 16 - 7.5, py = y - 7.5;
    const double along = px * std::cos(angle) + py * std::sin(angle);
    const double across = -px * std::sin(angle) + py * std::cos(angle);
    return std::fabs(across) < 2 && std::fabs(along) < 7 ? Rgb(255, 220, 60) : kKeyColour;
  });
}

// The built-in font drawn at twice its size into a surface and written out
// becomes a 256 x 128 font file with 16 x 16 glyphs.
void MakeBigFont(const std::string& path) {
  CreateOffscreenSurface(0, kFontSheet, 256, 128);
  SelectSurface(0);
  FillRect(0, 0, 256, 128, colours::kBlack);
  SetSpriteFiltering(0);
  PutSpriteInRect(65504, 0, 0, 256, 128);
  SelectSurface(-1);
  SpriteToFile(RtString(path.c_str()), kFontSheet);
  FontFromFile(RtString(path.c_str()), 1);
  SelectFont(0);
}

void DrawFrame(int frame) {
  const double t = frame / 60.0;
  FillRect(0, 0, 320, 240, Rgb(24, 28, 48));

  // Plain, rotated, scaled.
  PutSprite(kBall, 8, 8);
  PutSpriteRotated(kArrow, 50, 16, frame * 3);
  PutSpriteScaled(kBall, 100, 8, 1 + 0.5 * std::sin(t * 3), 1 + 0.5 * std::sin(t * 3));
  // Blended over a bar: translucent, additive.
  FillRect(140, 14, 100, 20, Rgb(200, 60, 60));
  SetBlendMode(-0.5);
  PutSprite(kBall, 150, 8);
  SetBlendMode(1);
  PutSprite(kBall, 190, 8);
  SetBlendMode(-1);
  // Animated.
  PutAnimationFrame(kStrip, (frame / 4) % 8, 256, 16);
  PutAnimationFrameRotatedScaled(kStrip, (frame / 4) % 8, 280, 12, 0, 1.5);

  // Text.
  DrawText(RtString("Built-in font 8x8"), 8, 52);
  SelectFont(1);
  DrawText(RtString("LOADED 16x16"), 8, 64);
  SelectFont(0);

  // Primitives.
  for (int i = 0; i < 12; ++i)
    DrawLine(200, 60, 200 + static_cast<int>(40 * std::cos(i * 0.5236 + t)),
             60 + static_cast<int>(20 * std::sin(i * 0.5236 + t)), Rgb(120 + i * 10, 255, 120));
  for (int i = 0; i < 40; ++i)
    PlotPixel(250 + i, 90 + static_cast<int>(6 * std::sin(i * 0.4 + t * 4)), colours::kYellow);
  FillRect(300, 100, -30, -10, Rgb(60, 160, 255));

  // A surface with its own drawing, shown twice as large.
  SelectSurface(1);
  FillRect(0, 0, 64, 48, Rgb(10, 60, 30));
  PutSpriteRotated(kArrow, 16, 16, -frame * 4);
  DrawText(RtString("surf"), 2, 38);
  SelectSurface(-1);
  SetBlendMode(0);
  PutSpriteScaled(kCanvas, 40 + 32, 110 + 24, 2, 2);
  SetBlendMode(-1);
  DrawText(RtString("surface x2"), 44, 212);

  // Two balls sliding into each other; the readout uses pixel collision.
  const int x1 = 180 + static_cast<int>(30 * std::sin(t)),
            x2 = 250 - static_cast<int>(30 * std::sin(t));
  PutSprite(kBall, x1, 150);
  PutSprite(kBall, x2, 158);
  const bool hit = SpritesOverlap(kBall, x1, 150, kBall, x2, 158);
  DrawText(RtString(hit ? "overlap: YES" : "overlap: no"), 180, 200);
}

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Sprites");
  if (!MainWindowHandle()) End();

  // A folder of this process's own, so two copies running at once never
  // write over each other's pictures.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("sprites_example." + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string dir = folder.string() + "/";
  MakeImages(dir);
  SpriteFromFile(RtString((dir + "ball.bmp").c_str()), kBall);
  SpriteFromFile(RtString((dir + "arrow.bmp").c_str()), kArrow);
  AnimationFromFile(RtString((dir + "strip.bmp").c_str()), kStrip, 16, 16);
  MakeBigFont(dir + "bigfont.bmp");
  CreateOffscreenSurface(1, kCanvas, 64, 48);
  // Loaded: the files are no longer needed.
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);

  const bool shot = std::strncmp(commandLine, "--shot ", 7) == 0;
  for (int frame = 0;; ++frame) {
    SetBlendMode(-1);
    DrawFrame(frame);
    if (shot && frame == 90) {
      ScreenToFile(RtString(commandLine + 7));
      End();
    }
    EndFrame();
  }
}
