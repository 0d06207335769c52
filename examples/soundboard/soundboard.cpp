// Plays the game's effects, music and a generated movie from the keyboard.
// (Not named "sound": the run directory already has a "sound" folder.)
//
//   1..7          play an effect at the current pan and volume
//   Left / Right  pan -1 .. 1 in steps of 0.25
//   Up / Down     volume 0 .. 1 in steps of 0.1
//   M             next piece from sound.sbx, looping;  S  stop the music
//   + / -         music volume
//   V             play movie/pattern43.mkv (any key or button ends it)
//   Escape        quit
//
//   soundboard --tour  plays every effect, every piece briefly and the movie
//                      without a keyboard, printing what happens, then ends
//
// It takes the runtime's standard options too, so a session can be
// replayed and filmed with its sound:
//   soundboard --record-input keys.txt               (play, then Escape)
//   soundboard --replay keys.txt --unpaced --record board.mp4
#include <cstdio>
#include <string>

#include "runtime/runtime.h"

namespace {

const char* const kEffects[] = {
    "sound/paper.wav", "sound/selection1.wav", "sound/selection2.wav", "sound/selection3.wav",
    "sound/light.wav", "sound/boing.wav",      "sound/waterdrop.wav"};
const char* const kPieces[] = {"sound/menu.mp3", "sound/0.mp3", "sound/1.mp3",
                               "sound/2.mp3",    "sound/3.mp3", "sound/4.mp3"};
constexpr int kEffectCount = 7;
constexpr int kPieceCount = 6;

// "+" is the key it shares with "=" on a US keyboard.
constexpr int kKeyPlus = keys::kEquals;

void Say(const std::string& text) {
  StdOut(RtString((text + "\n").c_str()));
}

struct Controls {
  double pan = 0, volume = 1, musicVolume = 1;
  int piece = -1;
  bool previous[256] = {};

  static bool Held(int key) { return KeyDown(key) != 0; }
  bool Pressed(int key) const { return Held(key) && !previous[key]; }

  void PlayEffect(int n) {
    const int id = PlaySound(n, pan, volume);
    char line[128];
    std::snprintf(line, sizeof line, "%s pan %.2f volume %.1f -> channel %d", kEffects[n], pan,
                  volume, id);
    Say(line);
  }

  void NextPiece() {
    piece = (piece + 1) % kPieceCount;
    PlayMusic(kPieces[piece], 1);
    musicVolume = 1;
    Say(std::string(kPieces[piece]) + (MusicPlaying() ? " playing, looping" : " cannot play"));
  }

  void Step() {
    for (int n = 0; n < kEffectCount; ++n) {
      if (Pressed(keys::k1 + n)) PlayEffect(n);
    }
    if (Pressed(keys::kLeft) && pan > -1) pan -= 0.25;
    if (Pressed(keys::kRight) && pan < 1) pan += 0.25;
    if (Pressed(keys::kUp) && volume < 1) volume += 0.1;
    if (Pressed(keys::kDown) && volume > 0.05) volume -= 0.1;
    if (Pressed(keys::kM)) NextPiece();
    if (Pressed(keys::kS)) {
      StopMusic();
      Say("music stopped");
    }
    if (Pressed(kKeyPlus) || Pressed(keys::kMinus)) {
      musicVolume += Pressed(kKeyPlus) ? 0.1 : -0.1;
      musicVolume = musicVolume < 0 ? 0 : musicVolume > 1 ? 1 : musicVolume;
      SetMusicVolume(musicVolume);
      Say("music volume " + std::to_string(musicVolume));
    }
    if (Pressed(keys::kV)) {
      const int result = PlayMovie("movie/pattern43.mkv", 0);
      Say("movie ended: " + std::to_string(result));
    }
    for (int k = 0; k < 256; ++k) previous[k] = Held(k);
  }
};

void Tour() {
  for (int n = 0; n < kEffectCount; ++n) {
    const int id = PlaySound(n, n / 3.0 - 1, 1);
    int frames = 0;
    while (SoundPlaying(id) && frames < 120) {
      EndFrame();
      ++frames;
    }
    Say(std::string(kEffects[n]) + ": channel " + std::to_string(id) + ", played for " +
        std::to_string(frames) + " frames");
  }
  for (const char* piece : kPieces) {
    PlayMusic(piece, 1);
    for (int i = 0; i < 60; ++i) EndFrame();
    Say(std::string(piece) + ": MusicPlaying " + std::to_string(MusicPlaying()));
  }
  const double before = TimerNow();
  const int result = PlayMovie(RtString("movie/pattern43.mkv"), 0);
  Say("movie/pattern43.mkv: PlayMovie " + std::to_string(result) + " after " +
      std::to_string((TimerNow() - before) / 1000) + " s, music still playing " +
      std::to_string(MusicPlaying()));
  StopMusic();
  Say("MusicPlaying after StopMusic: " + std::to_string(MusicPlaying()));
}

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  const std::string own = UseStandardOptions(commandLine, "soundboard");
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Sound");
  SetArchiveFiles(RtString(""), RtString("sound.sbx"));
  for (int n = 0; n < kEffectCount; ++n) LoadSound(RtString(kEffects[n]), n, 2);

  if (own == "--tour") {
    Tour();
    End();
  }
  Say("1-7 effects, arrows pan/volume, M/S music, +/- music volume, V movie, Esc quits");
  Controls controls;
  for (;;) {
    controls.Step();
    EndFrame();
  }
}
