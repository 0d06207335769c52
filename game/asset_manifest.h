// The game's generated files and what the game knows of them (one table, as
// course_layout.h is for the course): the Loading screen loads its sprites
// from it, the course names its objects and room pictures from it, the asset
// generator checks every file it writes against it, the build takes its list
// of generated files from it (tools/assetgen/CMakeLists.txt reads every
// quoted "gfx/", "sound/" path below, so write paths nowhere else in this
// file), and the tests size their stand-in sprites from it.
#pragma once

namespace manifest {

struct Picture {
  const char* file;  // relative to the run directory
  int width;         // of one frame
  int height;
  int frames;  // 0: a plain sprite; else an animation strip of frames side by side
};

// What the Loading screen loads, in slot order from slot::kSplash.
inline constexpr Picture kLoadedSprites[] = {
    {"gfx/splash.png", 320, 240, 0},
    {"gfx/splash2.png", 320, 240, 0},
    {"gfx/scores.png", 320, 240, 0},
    {"gfx/high.png", 320, 240, 0},
    {"gfx/options.png", 320, 240, 0},
    {"gfx/pause.png", 180, 60, 0},
    {"gfx/complete.png", 320, 240, 0},
    {"gfx/tisch.png", 48, 65, 0},
    {"gfx/regal.png", 48, 14, 0},
    {"gfx/stachel.png", 14, 24, 0},
    {"gfx/stachel1.png", 14, 20, 0},
    {"gfx/stachel2.png", 24, 14, 0},
    {"gfx/globus.png", 28, 44, 0},
    {"gfx/tropfen.png", 16, 14, 0},
    {"gfx/redplaneleft.png", 28, 13, 0},
    {"gfx/redplaneright.png", 28, 13, 0},
    {"gfx/schalter.png", 14, 20, 0},
    {"gfx/schalter1.png", 14, 20, 0},
    {"gfx/dummy.png", 25, 194, 0},
    {"gfx/1up.png", 20, 16, 0},
    {"gfx/up1.png", 20, 16, 0},
    {"gfx/ring.png", 20, 20, 0},
    {"gfx/wolkeitem.png", 24, 18, 0},
    {"gfx/planeitem.png", 24, 16, 0},
    {"gfx/planewolke.png", 43, 30, 0},
    {"gfx/planet1.png", 48, 40, 0},
    {"gfx/planet2.png", 32, 32, 0},
    {"gfx/toonbrettgross.png", 72, 10, 0},
    {"gfx/toonbrettklein.png", 40, 10, 0},
    {"gfx/toonwuerfel.png", 24, 24, 0},
    {"gfx/toonwuerfelklein.png", 16, 16, 0},
    {"gfx/invibrett.png", 40, 10, 0},
    {"gfx/inviwuerfelklein.png", 16, 16, 0},
    {"gfx/inviwuerfelmittel.png", 24, 24, 0},
    {"gfx/invivulkan.png", 64, 108, 0},
    {"gfx/inviwuerfelgross.png", 40, 40, 0},
    {"gfx/explosion.png", 25, 12, 3},
    {"gfx/up.png", 25, 194, 4},
    {"gfx/down.png", 25, 194, 4},
    {"gfx/quak.png", 21, 43, 2},
    {"gfx/meteor.png", 28, 31, 4},
    {"gfx/meteory.png", 28, 31, 4},
    {"gfx/wolkeanim.png", 43, 30, 3},
    {"gfx/wexplosion.png", 43, 30, 3},
    {"gfx/planesprite.png", 25, 12, 1},
};
inline constexpr int kLoadedSpriteCount = sizeof kLoadedSprites / sizeof kLoadedSprites[0];

// The pictures a course may place, by name (gfx/NAME.png): kLoadedSprites
// from the table (the first after the screens) to the rising meteor.
inline constexpr int kFirstCourseObject = 7;
inline constexpr int kCourseObjectEnd = 42;

// Pictures the screens load by name as backgrounds or panels.
inline constexpr Picture kScreenPictures[] = {
    {"gfx/menu.png", 320, 240, 0},     {"gfx/omen.png", 320, 240, 0},
    {"gfx/gameover.png", 320, 240, 0}, {"gfx/gcomplete.png", 320, 240, 0},
    {"gfx/menbg.png", 150, 100, 0},
};

// Room pictures, 320 x 240, numbered as course::kRoomImage numbers them.
inline constexpr int kRoomPictureCount = 17;
inline constexpr const char* kRoomPictures[kRoomPictureCount] = {
    "gfx/level1/1.png", "gfx/level1/2.png", "gfx/level1/3.png", "gfx/level1/4.png",
    "gfx/level2/1.png", "gfx/level2/2.png", "gfx/level2/3.png", "gfx/level2/4.png",
    "gfx/level2/5.png", "gfx/level3/1.png", "gfx/level3/2.png", "gfx/level3/3.png",
    "gfx/level3/4.png", "gfx/level4/1.png", "gfx/level4/2.png", "gfx/level4/3.png",
    "gfx/level5/1.png",
};

// Fonts, in font number order.
inline constexpr const char* kFonts[] = {
    "gfx/font/black.png",
    "gfx/font/white.png",
    "gfx/font/credits.png",
};

inline constexpr const char* kSounds[] = {
    "sound/paper.wav", "sound/selection1.wav", "sound/selection2.wav", "sound/selection3.wav",
    "sound/light.wav", "sound/boing.wav",      "sound/waterdrop.wav",
};

// The music as the game plays it, from the music archive the build packs
// (the generator writes the pieces under their bare names).
inline constexpr const char* kMusic[] = {
    "sound/menu.mp3", "sound/0.mp3", "sound/1.mp3", "sound/2.mp3", "sound/3.mp3", "sound/4.mp3",
};

}  // namespace manifest
