// assetgen: writes the game's art, fonts, sound effects and music.
//
//   assetgen --out RUN_DIR --music MUSIC_DIR [--sheets DIR] [--jobs N] [--no-music]
//   assetgen --sdk DIR     the game's desktop icon and the program template's
//                          sprite, for the packages
//
// Pictures, fonts and sounds go below RUN_DIR ("gfx/...", "sound/..."); the
// MP3 pieces go to MUSIC_DIR, from where they are packed into the music
// archive. With --sheets, two contact sheets are written there as well.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "assets.h"
#include "contact.h"
#include "game/asset_manifest.h"
#include "output.h"

namespace {

using namespace assetgen;

struct Options {
  std::string out, music, sheets, sdk;
  int jobs = 2;
  bool with_music = true;
};

bool ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& dst) {
      if (i + 1 >= argc) return false;
      dst = argv[++i];
      return true;
    };
    if (a == "--out") {
      if (!value(o.out)) return false;
    } else if (a == "--music") {
      if (!value(o.music)) return false;
    } else if (a == "--sheets") {
      if (!value(o.sheets)) return false;
    } else if (a == "--jobs") {
      std::string n;
      if (!value(n)) return false;
      o.jobs = std::max(1, std::atoi(n.c_str()));
    } else if (a == "--sdk") {
      if (!value(o.sdk)) return false;
    } else if (a == "--no-music") {
      o.with_music = false;
    } else {
      return false;
    }
  }
  if (!o.sdk.empty()) return o.out.empty() && o.music.empty() && o.sheets.empty();
  return !o.out.empty() && (!o.with_music || !o.music.empty());
}

// The game's icon and the template's sprite. The template's program draws
// with the runtime's default colour key, 0x8000FF packed as red | green << 8
// | blue << 16, so its clear pixels are written as red 255, green 0, blue 128.
void WriteSdkPictures(const std::string& dir) {
  WritePng(dir + "/zelvo2.png", AppIcon().ToImage(), PngKind::kOpaque);
  Image sprite = TemplateSprite().ToImage();
  for (size_t i = 0; i + 3 < sprite.rgba.size(); i += 4) {
    uint8_t* p = &sprite.rgba[i];
    if (p[3] == 0) {
      p[0] = 255;
      p[1] = 0;
      p[2] = 128;
      p[3] = 255;
    }
  }
  WritePng(dir + "/sprite.png", sprite, PngKind::kOpaque);
}

class Collector {
 public:
  void Add(SheetEntry e) {
    std::lock_guard<std::mutex> lock(mu_);
    entries_.push_back(std::move(e));
  }
  std::vector<SheetEntry>& entries() { return entries_; }

 private:
  std::mutex mu_;
  std::vector<SheetEntry> entries_;
};

void WriteImages(const std::string& root, ImageList list, Collector& sheet) {
  for (ImageOut& img : list) {
    Image pixels = img.canvas.ToImage();
    WritePng(root + "/" + img.path, pixels, img.kind);
    sheet.Add({img.path, std::move(pixels), img.frame_w, img.frame_h});
  }
}

// What differs between the files written and the game's asset manifest
// (the build's list of outputs, and what the game loads): a file missing or
// extra, or a sprite of another size or frame layout. Empty when they agree.
std::string ManifestMismatch(const std::vector<SheetEntry>& images,
                             const std::vector<std::string>& others, bool with_music) {
  std::set<std::string> expected, written(others.begin(), others.end());
  std::map<std::string, const manifest::Picture*> sized;
  for (const manifest::Picture& p : manifest::kLoadedSprites) sized[p.file] = &p;
  for (const manifest::Picture& p : manifest::kScreenPictures) sized[p.file] = &p;
  for (const auto& [file, picture] : sized) expected.insert(file);
  for (const char* file : manifest::kRoomPictures) expected.insert(file);
  for (const char* file : manifest::kFonts) expected.insert(file);
  for (const char* file : manifest::kSounds) expected.insert(file);
  if (with_music) {
    for (const char* file : manifest::kMusic) expected.insert(file);
  }
  for (const SheetEntry& e : images) {
    written.insert(e.path);
    auto it = sized.find(e.path);
    if (it == sized.end()) continue;
    const manifest::Picture& p = *it->second;
    const int frames = p.frames > 0 ? p.frames : 1;
    const bool strip = p.frames > 0;
    if (e.image.w != p.width * frames || e.image.h != p.height ||
        (strip ? e.frame_w != p.width || e.frame_h != p.height : e.frame_w != 0)) {
      return e.path + " is not drawn as the manifest sizes it";
    }
  }
  for (const std::string& file : expected) {
    if (!written.count(file)) return file + " is in the manifest but was not written";
  }
  for (const std::string& file : written) {
    if (!expected.count(file)) return file + " was written but is not in the manifest";
  }
  return "";
}

void WriteSheets(const std::string& dir, std::vector<SheetEntry>& all) {
  // Stable, readable order: screens, then strips and sprites by name, fonts.
  std::sort(all.begin(), all.end(), [](const SheetEntry& a, const SheetEntry& b) {
    auto rank = [](const SheetEntry& e) {
      if (e.path.find("/level") != std::string::npos) return 3;
      if (e.path.find("/font/") != std::string::npos) return 2;
      if (e.image.w == 320 && e.image.h == 240) return 0;
      return 1;
    };
    int ra = rank(a), rb = rank(b);
    return ra != rb ? ra < rb : a.path < b.path;
  });
  std::vector<const SheetEntry*> sprites, rooms;
  const Image* hud_font = nullptr;
  for (const SheetEntry& e : all) {
    if (e.path.find("/level") != std::string::npos) {
      rooms.push_back(&e);
    } else {
      sprites.push_back(&e);
    }
    if (e.path == "gfx/font/black.png") hud_font = &e.image;
  }
  WritePng(dir + "/contact_sprites.png", SpriteSheet(sprites).ToImage(), PngKind::kOpaque);
  if (hud_font)
    WritePng(dir + "/contact_rooms.png", RoomSheet(rooms, *hud_font).ToImage(), PngKind::kOpaque);
  WritePng(dir + "/contact_play.png", PlaySheet(all).ToImage(), PngKind::kOpaque);
  WritePng(dir + "/contact_screens.png", ScreensSheet(all).ToImage(), PngKind::kOpaque);
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (!ParseArgs(argc, argv, opt)) {
    std::fprintf(stderr,
                 "usage: assetgen --out RUN_DIR --music MUSIC_DIR [--sheets DIR] [--jobs N] "
                 "[--no-music]\n"
                 "       assetgen --sdk DIR\n");
    return 2;
  }
  if (!opt.sdk.empty()) {
    try {
      WriteSdkPictures(opt.sdk);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "assetgen: %s\n", e.what());
      return 1;
    }
    return 0;
  }
  const auto t0 = std::chrono::steady_clock::now();
  Collector sheet;
  // Sounds and music by the names the game plays them under.
  std::vector<std::string> others;
  std::mutex others_mu;
  auto wrote = [&](const std::string& name) {
    std::lock_guard<std::mutex> lock(others_mu);
    others.push_back(name);
  };
  std::vector<std::function<void()>> jobs;
  // Longest first, so two workers finish close together.
  if (opt.with_music) {
    for (int i = 0; i < kSongCount; ++i)
      jobs.push_back([&opt, &wrote, i] {
        SongAudio a = RenderSong(i);
        WriteMp3(opt.music + "/" + SongFileName(i), a.left, a.right, 128);
        wrote("sound/" + SongFileName(i));
      });
  }
  for (int w = 1; w <= 5; ++w)
    jobs.push_back([&, w] { WriteImages(opt.out, MakeRooms(w), sheet); });
  jobs.push_back([&] { WriteImages(opt.out, MakeScreens(), sheet); });
  jobs.push_back([&] { WriteImages(opt.out, MakeSprites(), sheet); });
  jobs.push_back([&] { WriteImages(opt.out, MakeFonts(), sheet); });
  jobs.push_back([&] {
    for (const SoundOut& s : MakeSounds()) {
      WriteWav(opt.out + "/" + s.path, s.samples, kSfxRate);
      wrote(s.path);
    }
  });

  std::atomic<size_t> next{0};
  std::mutex err_mu;
  std::string error;
  auto worker = [&] {
    for (size_t i; (i = next++) < jobs.size();) {
      try {
        jobs[i]();
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(err_mu);
        if (error.empty()) error = e.what();
      }
    }
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < opt.jobs; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  if (!error.empty()) {
    std::fprintf(stderr, "assetgen: %s\n", error.c_str());
    return 1;
  }
  const std::string mismatch = ManifestMismatch(sheet.entries(), others, opt.with_music);
  if (!mismatch.empty()) {
    std::fprintf(stderr, "assetgen: %s (game/asset_manifest.h)\n", mismatch.c_str());
    return 1;
  }
  if (!opt.sheets.empty()) {
    try {
      WriteSheets(opt.sheets, sheet.entries());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "assetgen: contact sheets: %s\n", e.what());
      return 1;
    }
  }
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("assetgen: %zu jobs in %.1f s\n", jobs.size(), secs);
  return 0;
}
