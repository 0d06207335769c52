// What the game asks of the machine: keys, the frame step, sprites, fonts,
// primitives and sound. The game calls these instead of the runtime's
// commands directly so that its rules can run against a stand-in (tests, the
// course solver, the replay harness) as well as against the runtime.
//
// GameIo itself is the runtime-backed implementation (game_io.cpp); a
// stand-in derives from it and overrides only what it records or replaces,
// so a new call is one declaration here and one definition there.
//
// Numbers arrive as the game keeps them (doubles); where the runtime takes an
// integer the implementation truncates toward zero.
#pragma once

#include "game/pad_controls.h"
#include "runtime/runtime.h"

namespace zelvo {

class GameIo {
 public:
  virtual ~GameIo() = default;

  // Keys, by scan code: true while held (or tapped since last asked), on
  // the keyboard or through a gamepad's stand-in for the key.
  virtual bool KeyDown(int scanCode);
  // The plugged-in gamepads, all together.
  virtual PadReading ReadPads();

  // Frames and time.
  virtual void EndFrame();
  // Milliseconds between the last two frames.
  virtual double FrameTime();
  // Milliseconds since start.
  virtual double ElapsedTime();
  virtual void End();

  // Sprites and backgrounds.
  virtual void SpriteFromFile(const RtString& file, double slot);
  virtual void AnimationFromFile(const RtString& file, double slot, double frameWidth,
                                 double frameHeight);
  virtual void FreeSprite(double slot);
  // Loads the picture as the background that every frame starts from.
  virtual void BackgroundFromFile(const RtString& file);
  // Reads and prepares a picture for a later SpriteFromFile or
  // BackgroundFromFile of it, which then costs no decoding (the Loading
  // screen does this so that play never stalls on a picture).
  virtual void PreloadSprite(const RtString& file);
  virtual void PreloadBackground(const RtString& file);
  // Cross-fades from the screen as it stands to the picture over 1500 ms of
  // frames, then keeps the picture as the background.
  virtual void FadeToImage(const RtString& file);
  virtual void CopyScreenToSprite(double slot, double x, double y, double width, double height);
  virtual void PutSprite(double slot, double x, double y);
  virtual void PutAnimationFrame(double slot, double frame, double x, double y);
  virtual void SetBlendMode(double value);
  virtual bool AnimationFramesOverlap(double slot1, double frame1, double x1, double y1,
                                      double slot2, double frame2, double x2, double y2);
  virtual void FillRect(double x, double y, double width, double height, int colour);
  virtual void ClearScreen();
  virtual void SetColourKey(int colour);
  // Writes the screen as it stands to a picture file.
  virtual bool ScreenToFile(const RtString& file);

  // Fonts and text.
  virtual void FontFromFile(const RtString& file, int font);
  virtual void SelectFont(int font);
  virtual void DrawText(const RtString& text, double x, double y);
  virtual void DrawNumber(double value, double x, double y);

  // Sound effects and music.
  virtual void LoadSound(const RtString& file, double slot);
  // Returns the channel of the started copy, -1 when nothing started.
  virtual int PlaySound(double slot, double volume);
  virtual bool SoundPlaying(int channel);
  virtual void PlayMusic(const RtString& file, bool loop);
  virtual void StopMusic();
  virtual void SetMusicVolume(double volume);
};

// The implementation in use: the program installs the runtime's at start, a
// test its own stand-in.
GameIo& Io();
// Installs io (not owned).
void SetIo(GameIo* io);

// The plain runtime-backed implementation, shared by the program.
GameIo& RuntimeIo();

}  // namespace zelvo
