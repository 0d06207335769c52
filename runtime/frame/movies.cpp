#include "runtime/frame/movies.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "runtime/audio/music.h"
#include "runtime/files/archive.h"
#include "runtime/files/files_service.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/movie_screen.h"
#include "runtime/frame/movies_internal.h"
#include "runtime/input/keyboard.h"
#include "runtime/platform/clock.h"

namespace {

constexpr int kCannotPlay = 3;
// Without pictures to present there is no frame wait to pace the loop.
constexpr double kSoundOnlyPassMs = 10;

std::function<std::unique_ptr<plat::MoviePlayer>()> g_moviePlayers;
std::function<bool()> g_movieInterrupt;

bool UserInterrupts() {
  if (g_movieInterrupt) return g_movieInterrupt();
  for (int code = 0; code < 256; ++code)
    if (KeyDown(code)) return true;
  return false;
}

// One pass of waiting: the music keeps looping and the window stays alive.
void IdlePass() {
  ServiceMusicLoop();
  PumpMessages(g_engine.renderer);
  plat::SleepMs(kSoundOnlyPassMs);
}

}  // namespace

plat::PixelRect FitCentred(int pictureW, int pictureH, int areaW, int areaH) {
  plat::PixelRect r;
  if (pictureW <= 0 || pictureH <= 0 || areaW <= 0 || areaH <= 0) return r;
  const double scale =
      std::min(static_cast<double>(areaW) / pictureW, static_cast<double>(areaH) / pictureH);
  r.w = std::min(areaW, static_cast<int>(pictureW * scale + 0.5));
  r.h = std::min(areaH, static_cast<int>(pictureH * scale + 0.5));
  r.x = (areaW - r.w) / 2;
  r.y = (areaH - r.h) / 2;
  return r;
}

void SetMoviePlayerFactory(std::function<std::unique_ptr<plat::MoviePlayer>()> factory) {
  g_moviePlayers = std::move(factory);
}

void SetMovieInterruptCheck(std::function<bool()> check) {
  g_movieInterrupt = std::move(check);
}

int PlayMovie(const RtString& name, int loop) {
  std::string resolved;
  if (!ResolveAssetName(MusicArchive(), name.c_str(), resolved, false)) return kCannotPlay;
  MovieScreen screen;
  const bool haveScreen = CurrentMovieScreen(&screen);
  std::unique_ptr<plat::MoviePlayer> player =
      g_moviePlayers ? g_moviePlayers() : (haveScreen ? plat::CreateMpvMoviePlayer() : nullptr);
  if (!player || !player->Open(resolved)) return kCannotPlay;

  int pictureW = 0, pictureH = 0;
  const bool hasPicture = haveScreen && player->VideoSize(&pictureW, &pictureH);
  const plat::PixelRect dest =
      hasPicture ? FitCentred(pictureW, pictureH, screen.width, screen.height) : plat::PixelRect{};

  // A key still held from whatever started the movie must not end it.
  while (UserInterrupts()) IdlePass();

  if (player->Play()) {
    for (;;) {
      if (UserInterrupts()) break;
      ServiceMusicLoop();
      if (player->Ended()) {
        if (!loop) break;
        player->Restart();
      }
      if (hasPicture) {
        player->Render(screen.framebuffer, screen.width, screen.height, dest);
        RestoreScreenTarget();
        PresentFrame(g_engine.renderer);  // pumps messages and waits for the frame slot
      } else {
        // A sound-only file leaves the screen as it was.
        PumpMessages(g_engine.renderer);
        plat::SleepMs(kSoundOnlyPassMs);
      }
    }
  }
  player.reset();
  RestoreScreenTarget();
  return 0;
}
