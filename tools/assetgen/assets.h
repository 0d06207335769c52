// What each part of the generator produces. Every function here is pure: the
// same call yields the same pixels and samples, whatever thread runs it.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"
#include "output.h"

namespace assetgen {

struct ImageOut {
  std::string path;  // relative to the run directory, e.g. "gfx/tisch.png"
  Canvas canvas;
  PngKind kind = PngKind::kKeyed;
  int frame_w = 0;  // animation strips: size of one frame
  int frame_h = 0;
};
using ImageList = std::vector<ImageOut>;

ImageList MakeSprites();         // obstacles, pickups, wind columns, animations
ImageList MakeFonts();           // gfx/font/*.png
ImageList MakeScreens();         // full-screen pictures, menu sheets, overlays
ImageList MakeRooms(int world);  // gfx/level<world>/*.png, world 1..5
// Pictures of the packages rather than the game: the game's desktop icon
// (opaque, 64 x 64) and the sprite the program template ships (transparent
// pixels left clear for the writer to key).
Canvas AppIcon();
Canvas TemplateSprite();

struct SoundOut {
  std::string path;
  std::vector<int16_t> samples;  // mono, kSfxRate
};
inline constexpr int kSfxRate = 22050;
std::vector<SoundOut> MakeSounds();

// Music: six looping pieces.
inline constexpr int kSongCount = 6;
std::string SongFileName(int index);  // "menu.mp3", "0.mp3", ... "4.mp3"
struct SongAudio {
  std::vector<float> left, right;  // 44.1 kHz
};
SongAudio RenderSong(int index);

// The font cell sizes, shared with the contact sheet.
struct FontSpec {
  const char* path;
  int cell_w, cell_h;
};
extern const FontSpec kFontSpecs[3];

}  // namespace assetgen
