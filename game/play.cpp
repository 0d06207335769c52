#include "game/play.h"

#include "game/course.h"
#include "game/game_io.h"
#include "game/startup.h"

namespace zelvo {

namespace {

NumberArray g_timers;
bool g_timersMade = false;

bool Held(int scanCode) {
  return Io().KeyDown(scanCode);
}

}  // namespace

bool StartsLevelSet(double room) {
  return room == 11 || room == 21 || room == 31 || room == 41 || room == 51;
}

int SecondsTimer(int slot, double seconds) {
  if (!g_timersMade) {
    DimNumberArray(g_timers, 100, 2);
    g_timersMade = true;
  }
  if (slot <= -1) return 0;
  const double frameTime = Io().FrameTime();
  NumberArrayAt(g_timers, slot, 0) = frameTime;
  double& gathered = NumberArrayAt(g_timers, slot, 1);
  gathered += frameTime;
  if (Trunc(gathered / 1000) >= seconds) {
    NumberArrayAt(g_timers, slot, 0) = 0;
    gathered = 0;
    return 1;
  }
  return 0;
}

double SecondsTimerGathered(int slot) {
  if (!g_timersMade || slot < 0) return 0;
  return NumberArrayAt(g_timers, slot, 1);
}

void SetSecondsTimerGathered(int slot, double ms) {
  if (!g_timersMade) {
    DimNumberArray(g_timers, 100, 2);
    g_timersMade = true;
  }
  if (slot < 0) return;
  NumberArrayAt(g_timers, slot, 1) = ms;
}

void ResetSecondsTimers() {
  g_timersMade = false;
  DimNumberArray(g_timers, 0);
}

void ResetRun() {
  Run& r = Game().run;
  const Run previous = r;
  r = Run();
  // Carried over from the run before.
  r.windForce = previous.windForce;
  r.planeSprite = previous.planeSprite;
  r.planeFrame = previous.planeFrame;
  r.meteorCounter = previous.meteorCounter;
  r.meteorFrame = previous.meteorFrame;
  r.pauseLatch = previous.pauseLatch;
  r.explosionCounter = previous.explosionCounter;
  r.crashChannel = previous.crashChannel;
  BuildCourse();
  ResetGhostCycle();
}

void StartNewGame() {
  ResetRun();
  PlayLoop();
}

bool StartLevelSet() {
  GameState& g = Game();
  Run& r = g.run;
  r.planeForm = 0;
  const char* music = nullptr;
  if (r.roomIndex == 0) music = "sound/0.mp3";
  if (r.roomIndex == 11) music = "sound/1.mp3";
  if (r.roomIndex == 21) music = "sound/2.mp3";
  if (r.roomIndex == 31) music = "sound/3.mp3";
  if (r.roomIndex == 41) music = "sound/4.mp3";
  if (music) Io().PlayMusic(music, true);
  if (r.roomIndex == 51) g.gameState = kComplete;
  Io().ClearScreen();
  // The first collision tests of a set run before the plane control picks
  // the plane's sprite; without this they would test whatever the slot
  // held last (on the first run the menu's cut in slot 0).
  r.planeSprite = slot::kPlane;
  r.planeFrame = 0;
  return g.gameState == kPlay;
}

void ChangeLevelSet() {
  PlayEffect(slot::kSoundConfirm);
  Io().StopMusic();
  // The old screen fades out while the sign fades in, then the sign stays
  // as the background.
  Io().FadeToImage("gfx/complete.png");
}

void PlayLoop() {
  for (;;) {
    if (!StartLevelSet()) return;
    for (;;) {
      const FrameEnd end = PlayFrame();
      if (end == FrameEnd::kLevelSetDone) {
        ChangeLevelSet();
        break;
      }
      Io().EndFrame();
      if (AfterFrameStep() == FrameEnd::kScreenChanged) return;
    }
  }
}

FrameEnd AfterFrameStep() {
  return Game().gameState == kPlay ? FrameEnd::kContinue : FrameEnd::kScreenChanged;
}

FrameEnd PlayFrame() {
  GameState& g = Game();
  Run& r = g.run;
  Course& c = TheCourse();
  const double speed = g.settings.gameSpeed;

  if (r.score < 0) r.score = 0;

  Io().PutSprite(NumberArrayAt(c.roomImage, r.roomIndex),
                 NumberArrayAt(c.roomX, r.roomIndex) - r.scrollX,
                 NumberArrayAt(c.roomY, r.roomIndex) - r.scrollY);
  // Room 0's previous room is the last one (a negative index counts from the
  // end).
  const double previous = r.roomIndex - 1;
  Io().PutSprite(NumberArrayAt(c.roomImage, previous),
                 NumberArrayAt(c.roomX, previous) - r.scrollX - 320,
                 NumberArrayAt(c.roomY, previous) - r.scrollY);

  if (r.frozen == 0 && r.scrollX == 0 && SecondsTimer(0, 1) == 1) {
    r.playTime += 1;
    r.roomTime += 1;
  }

  if (r.scrollX + r.planeX > 320) {
    r.scrollX = -320;
    r.roomIndex += 1;
    r.windForce = 0;
    r.planeX = 0;
    Objects().jumperCounter = 0;
    Objects().jumperAngle = 0;
    r.score = r.score + 10 * r.roomIndex + 50 - 5 * r.roomTime;
    if (StartsLevelSet(r.roomIndex)) return FrameEnd::kLevelSetDone;
  }

  if (r.scrollX < 0) {
    r.scrollX += 2.5;
    r.frozen = 1;
    if (StartsLevelSet(r.roomIndex)) {
      const double before = r.roomIndex - 1;
      Io().PutSprite(slot::kComplete, NumberArrayAt(c.roomX, before) - r.scrollX - 320,
                     NumberArrayAt(c.roomY, before) - r.scrollY);
    }
    if (r.scrollX > -5) r.roomTime = 0;
  }

  r.score = Trunc(r.score * 100) / 100;

  if (r.planeX < 0) r.planeX = 0;

  if (r.windCounter > 30) {
    r.windFrame = r.windFrame >= 3 ? 0 : r.windFrame + 1;
    r.windCounter = 0;
  }
  r.windCounter += 1;
  if (r.meteorCounter > 10) {
    r.meteorFrame = r.meteorFrame >= 3 ? 0 : r.meteorFrame + 1;
    r.meteorCounter = 0;
  }
  r.meteorCounter += 1;

  WindPass();
  ObstaclePass();
  PickupPass();

  if (r.frozen == 0) UpdatePlaneControl();
  if (r.frozen == 0) UpdateCrash();

  DrawStartPrompt();

  if (r.planeActive == 0) {
    if (Held(key::kUp)) r.planeY -= 2 * speed;
    if (Held(key::kDown)) r.planeY += 2 * speed;
  }

  DrawHud();
  HandleVolumeKeys();
  UpdatePause();

  GhostCycle();

  if (r.planeActive == 1) {
    Io().PutAnimationFrame(r.planeSprite, r.planeFrame, r.planeX - r.scrollX, r.planeY - r.scrollY);
  }
  return FrameEnd::kContinue;
}

void UpdatePlaneControl() {
  Run& r = Game().run;
  const double g = Game().settings.gameSpeed;
  if (r.planeActive != 1) return;
  const bool flying = r.crashed == 0;
  if (r.planeForm == 0) {
    if (flying && Held(key::kLeft)) r.planeX -= 3 * g;
    if (flying && Held(key::kRight)) r.planeX += 3 * g;
    r.planeFrame = 0;
  } else {
    const bool left = Held(key::kLeft);
    const bool right = Held(key::kRight);
    if (flying && Held(key::kUp)) r.planeY -= 2 * g;
    if (flying && Held(key::kDown)) r.planeY += 2 * g;
    if (flying && left) r.planeX -= g;
    if (flying && right) r.planeX += 3 * g;
    r.planeFrame = left ? 0 : (right ? 2 : 1);
  }
  if (flying) {
    if (r.windForce == 1) r.planeY -= 3 * g;
    if (r.windForce == -1) r.planeY += 4 * g;
    if (r.windForce == 0 && r.planeForm == 0) r.planeY += 2 * g;
  }
  r.planeSprite = r.planeForm == 0 ? slot::kPlane : slot::kCloud;
}

void UpdateCrash() {
  GameState& g = Game();
  Run& r = g.run;
  if (r.planeY < 50) r.planeY = 50;
  if (r.planeActive != 1) return;
  if (r.planeY > 225) r.crashed = 1;
  if (r.crashed != 1) return;
  r.windForce = -2;
  if (r.explosionCounter > 10) {
    r.explosionStep += 1;
    r.explosionFrame += 1;
    r.explosionCounter = 1;
  } else {
    r.explosionCounter += 1;
  }
  if (r.explosionStep < 3) {
    Io().PutAnimationFrame(r.planeForm == 0 ? slot::kExplosion : slot::kCloudExplosion,
                           r.explosionFrame, r.planeX - r.scrollX, r.planeY - r.scrollY);
    if (!Io().SoundPlaying(Trunc(r.crashChannel))) r.crashChannel = PlayEffect(slot::kSoundCrash);
  }
  if (r.explosionFrame >= 3) {
    if (r.planes > 0) {
      r.planes -= 1;
      r.planeActive = 0;
      r.planeX = 0;
      r.planeY = 50;
      r.explosionStep = 0;
      r.explosionFrame = 0;
      r.explosionCounter = 0;
      r.score -= 50;
      r.crashed = 0;
    } else {
      g.gameState = kGameOver;
    }
  }
}

void DrawStartPrompt() {
  Run& r = Game().run;
  if (r.planeActive != 0) return;
  Io().SetBlendMode(1);
  Io().PutAnimationFrame(r.planeSprite, r.planeFrame, r.planeX - r.scrollX, r.planeY - r.scrollY);
  Io().SetBlendMode(0);
  Io().DrawText("PRESS B", 260, 25);
  if (Held(key::kReturn) || Held(key::kX)) r.planeActive = 1;
  r.crashed = 0;
}

void DrawHud() {
  const GameState& g = Game();
  const Run& r = g.run;
  Io().DrawText(RtString("Level ") + r.roomIndex + "  Score:" + r.score, 40, 9);
  Io().DrawText(
      RtString("Planes:") + r.planes + "  Time:" + r.playTime + "s TimeL:" + r.roomTime + "s", 40,
      25);
  Io().FillRect(280 - r.scrollX, 9, 30, 14, kWhite);
  Io().FillRect(280 - r.scrollX, 9, 30 * g.settings.masterVolume, 14, kBlue);
  Io().DrawText("VOL", 285 - r.scrollX, 9);
}

void UpdatePause() {
  GameState& g = Game();
  Run& r = g.run;
  const bool tab = Held(key::kTab);
  if (r.frozen == 0) {
    if (tab && r.pauseLatch == 0) {
      r.pauseLatch = 1;
      PlayEffect(slot::kSoundBack);
    }
    if (!tab && r.pauseLatch == 1) r.frozen = 1;
  } else if (tab && r.pauseLatch == 1) {
    r.pauseLatch = 0;
    PlayEffect(slot::kSoundBack);
  }
  // Also ends the hold a room slide set earlier in this frame.
  if (r.pauseLatch == 0 && !tab) r.frozen = 0;
  if (r.frozen == 1) Io().PutSprite(slot::kPause, 70, 90);
  if (Held(key::kLeftShift) && Held(key::kRightShift)) {
    r.frozen = 0;
    PlayEffect(slot::kSoundBack);
    g.gameState = kMenu;
  }
}

}  // namespace zelvo
