#include "game/screens.h"

#include "game/course.h"
#include "game/game_io.h"
#include "game/hiscores.h"
#include "game/play.h"
#include "game/settings_file.h"
#include "game/startup.h"

namespace zelvo {

namespace {

bool Held(int scanCode) {
  return Io().KeyDown(scanCode);
}

double Clamp(double value, double low, double high) {
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

// Plays the confirm sound and holds until it has ended, presenting frames
// (drawn by drawFrame) meanwhile; never longer than the sound lasts plus a
// margin, in case the sound layer never reports the end.
template <typename Draw>
void WaitForConfirmSound(Draw&& drawFrame) {
  const int channel = PlayEffect(slot::kSoundConfirm);
  const int limit = Game().confirmWaitFrames;
  for (int frame = 0; frame < limit && Io().SoundPlaying(channel); ++frame) {
    drawFrame();
    Io().EndFrame();
  }
}

// Game over and Game complete share everything but the picture, the text
// and their state number.
void RunEndScreen(int screen, const char* picture, bool drawRunText) {
  GameState& g = Game();
  Run& r = g.run;
  Io().BackgroundFromFile(picture);
  // A run can end below zero (a long stay in the last room); the table and
  // the screen never see a negative score.
  if (r.score < 0) r.score = 0;
  auto drawText = [&r, drawRunText] {
    if (!drawRunText) return;
    const int minutes = Trunc(r.playTime / 60 * 100) / 100;
    Io().DrawText(
        RtString("You reached ") + r.roomIndex + " in " + r.playTime + "s (" + minutes + "min)", 30,
        197);
    Io().DrawText(RtString("Score: ") + r.score, 30, 213);
  };
  while (g.gameState == screen) {
    r.score = Trunc(r.score * 100) / 100;
    drawText();
    const int released = KeyReleased(key::kReturn) | KeyReleased(key::kX) | KeyReleased(key::kS);
    if (released) {
      const bool entersTable = !(RecordArrayAt(Hiscores(), 0).score > r.score);
      WaitForConfirmSound(drawText);
      g.gameState = entersTable ? kNameEntry : kMenu;
    }
    HandleVolumeKeys();
    Io().EndFrame();
  }
}

}  // namespace

void StepCursor(int& selection, int last, CursorKeys& keys) {
  if (Held(key::kDown)) {
    PlayEffect(slot::kSoundCursor);
    if (selection < last && !keys.downHeld) {
      selection += 1;
      keys.downHeld = true;
    }
  } else {
    keys.downHeld = false;
  }
  if (Held(key::kUp)) {
    PlayEffect(slot::kSoundCursor);
    if (selection > 0 && !keys.upHeld) {
      selection -= 1;
      keys.upHeld = true;
    }
  } else {
    keys.upHeld = false;
  }
}

void GameMain(const std::function<void()>& afterSetUp) {
  GameSetUp();
  if (afterSetUp) afterSetUp();
  for (;;) DispatchOnce();
}

void DispatchOnce() {
  GameState& g = Game();
  LoadHiscores(kHiscoreRows);
  Io().PlayMusic("", false);
  switch (Trunc(g.gameState)) {
    case kLoading:
      Io().SelectFont(0);
      LoadAssets();
      // Still the Loading screen: the first run's pictures, so that its
      // first frame has nothing to load, and the play display's text and
      // bars once, since the renderer's first text costs it a few
      // milliseconds of set-up.
      PreloadRoomPictures();
      DrawHud();
      Io().ClearScreen();
      break;
    case kMenu:
      Io().SelectFont(0);
      RunMenu();
      break;
    case kOptions:
      Io().SelectFont(0);
      RunOptions();
      break;
    case kHiscoreView:
      Io().SelectFont(1);
      RunHiscoreView();
      break;
    case kNameEntry:
      Io().SelectFont(1);
      RunNameEntry();
      break;
    case kGameOver:
      Io().SelectFont(0);
      RunGameOver();
      break;
    case kPlay:
      Io().SelectFont(0);
      StartNewGame();
      break;
    case kQuit:
      Io().SelectFont(0);
      Io().End();
      break;
    case kComplete:
      Io().SelectFont(0);
      RunGameComplete();
      break;
    case kCredits:
      Io().SelectFont(2);
      RunCredits();
      break;
    default:
      break;
  }
}

void RunMenu() {
  GameState& g = Game();
  Io().BackgroundFromFile("gfx/menu.png");
  Io().CopyScreenToSprite(0, 0, 0, 128, 14);
  Io().CopyScreenToSprite(1, 0, 22, 128, 14);
  Io().CopyScreenToSprite(2, 0, 44, 128, 14);
  Io().CopyScreenToSprite(3, 0, 66, 128, 14);
  Io().CopyScreenToSprite(4, 0, 80, 128, 80);
  Io().SpriteFromFile("gfx/menbg.png", 5);
  Io().PlayMusic("sound/menu.mp3", false);
  int selection = 0;
  CursorKeys cursor;
  static constexpr int kChoices[4] = {kPlay, kOptions, kHiscoreView, kQuit};
  while (g.gameState == kMenu) {
    HandleVolumeKeys();
    Io().BackgroundFromFile("gfx/splash.png");
    // Confirmed on the press, not the release.
    if (Held(key::kX) || Held(key::kReturn)) {
      Io().StopMusic();
      WaitForConfirmSound([] { Io().PutSprite(slot::kSplash2, 0, 0); });
      g.gameState = kChoices[selection];
    }
    StepCursor(selection, 3, cursor);
    if (KeyReleased(key::kTab)) g.gameState = kCredits;
    Io().SetBlendMode(0.5);
    Io().PutSprite(5, 20, 130);
    Io().SetBlendMode(0);
    Io().PutSprite(4, 10, 140);
    Io().PutSprite(selection, 10, 140 + 22 * selection);
    Io().EndFrame();
  }
}

void HandleOptionKeys() {
  Settings& s = Game().settings;
  OptionsState& o = Game().options;
  const int row = o.optionRow;
  auto change = [&s, row](double sign, double effectsStep) {
    if (row == 0) s.masterVolume += sign * 0.1;
    if (row == 1) s.musicLevel += sign * 0.05;
    if (row == 2) {
      s.effectsLevel += sign * effectsStep;
      PlayEffect(slot::kSoundDrip);
    }
    if (row == 3) s.gameSpeed += sign * 0.1;
  };
  if (KeyReleased(key::kRight)) change(+1, 0.01);
  if (KeyReleased(key::kLeft)) change(-1, 0.01);

  // X raises and S lowers the row that was selected both when the key went
  // down and when it came up.
  const int keys[2] = {key::kX, key::kS};
  const double signs[2] = {+1, -1};
  for (int k = 0; k < 2; ++k) {
    if (Held(keys[k])) {
      if (o.pressRow[k] < 0) o.pressRow[k] = row;
    } else if (o.pressRow[k] >= 0) {
      if (o.pressRow[k] == row) {
        if (row == 0) s.masterVolume += signs[k] * 0.1;
        if (row == 2) {
          s.effectsLevel += signs[k] * 0.05;
          PlayEffect(slot::kSoundDrip);
        }
        if (row == 1) s.musicLevel += signs[k] * 0.05;
        if (row == 3) s.gameSpeed += signs[k] * 0.1;
      }
      o.pressRow[k] = -1;
    }
  }
  s.masterVolume = Clamp(s.masterVolume, 0, 1);
  Io().SetMusicVolume(s.masterVolume * s.musicLevel);
  s.effectsLevel = Clamp(s.effectsLevel, 0, 2);
  s.musicLevel = Clamp(s.musicLevel, 0, 1);
  s.gameSpeed = Clamp(s.gameSpeed, 0.5, 1.5);
  SaveSettingsIfChanged();
}

void RunOptions() {
  GameState& g = Game();
  OptionsState& o = g.options;
  const Settings& s = g.settings;
  Io().BackgroundFromFile("gfx/omen.png");
  // Every visit cuts its labels into new slots; the last visit's are freed.
  TakeSpriteBlock(o.labels, 8);
  for (int k = 0; k < 8; ++k) Io().CopyScreenToSprite(o.labels.first + k, 0, 12 * k, 50, 12);
  Io().PlayMusic("sound/0.mp3", false);
  CursorKeys cursor;
  while (g.gameState == kOptions) {
    HandleOptionKeys();
    Io().PutSprite(slot::kOptions, 0, 0);
    StepCursor(o.optionRow, 3, cursor);
    for (int r = 0; r < 4; ++r) Io().PutSprite(o.labels.first + 4 + r, 30, 80 + 30 * r);
    Io().PutSprite(o.labels.first + o.optionRow, 30, 80 + 30 * o.optionRow);

    const double widths[4] = {s.masterVolume * 150, s.musicLevel * 150, s.effectsLevel * 75,
                              s.gameSpeed * 100};
    for (int r = 0; r < 4; ++r) {
      const double y = 80 + 30 * r;
      const bool selected = r == o.optionRow;
      // The unfilled part and the fill colour lag one frame behind.
      Io().FillRect(90 + o.barWidth[r], y, 150 - o.barWidth[r], 12, kWhite);
      Io().SetBlendMode(selected ? 1 : 0);
      Io().FillRect(90, y, widths[r], 12, o.barColour[r]);
      Io().SetBlendMode(0);
      o.barWidth[r] = widths[r];
      o.barColour[r] = selected ? 150 : 0;
    }

    o.previewY += 2 * s.gameSpeed;
    o.previewX += 3 * s.gameSpeed;
    if (o.previewX > 320) {
      o.previewX = 0;
      o.previewY = 0;
    }
    if (o.optionRow == 3) Io().PutSprite(slot::kPlane, o.previewX, o.previewY);

    const int released =
        KeyReleased(key::kTab) | KeyReleased(key::kCapsLock) | KeyReleased(key::kReturn);
    if (released) {
      g.gameState = kMenu;
      PlayEffect(slot::kSoundBack);
    }
    Io().DrawNumber(s.masterVolume, 245, 80);
    Io().DrawNumber(s.musicLevel, 245, 110);
    Io().DrawNumber(s.effectsLevel, 245, 140);
    Io().DrawNumber(s.gameSpeed, 245, 170);
    Io().EndFrame();
  }
}

void RunHiscoreView() {
  GameState& g = Game();
  while (g.gameState == kHiscoreView) {
    Io().FillRect(0, 0, 320, 240, kWhite);
    DrawHiscoreTable();
    HandleVolumeKeys();
    Io().EndFrame();
    const int released = KeyReleased(key::kTab) | KeyReleased(key::kReturn);
    if (released) {
      PlayEffect(slot::kSoundBack);
      g.gameState = kMenu;
    }
  }
}

void RunGameOver() {
  RunEndScreen(kGameOver, "gfx/gameover.png", true);
}

void RunGameComplete() {
  RunEndScreen(kComplete, "gfx/gcomplete.png", false);
}

void RunCredits() {
  GameState& g = Game();
  static const char* const kLines[6] = {
      "ZELVO2: A PAPER PLANE'S LONG FLIGHT",
      "GAME AND PICTURES: THE ZELVO TEAM",
      "MUSIC AND SOUNDS: MADE BY OUR OWN",
      "SYNTHESISER, NOTE BY NOTE",
      "THANKS FOR FLYING!",
      "TAB OR RETURN: BACK TO THE MENU",
  };
  static constexpr double kLineY[6] = {50, 62, 86, 98, 122, 134};
  while (g.gameState == kCredits) {
    Io().ClearScreen();
    for (int i = 0; i < 6; ++i) Io().DrawText(kLines[i], 10, kLineY[i]);
    const int released =
        KeyReleased(key::kTab) | KeyReleased(key::kCapsLock) | KeyReleased(key::kReturn);
    if (released) {
      g.gameState = kMenu;
      PlayEffect(slot::kSoundBack);
    }
    HandleVolumeKeys();
    Io().EndFrame();
  }
}

}  // namespace zelvo
