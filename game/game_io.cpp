// The game's drawing, keys and sound bound to the runtime's commands, and the
// slot through which the game reaches whichever GameIo is installed.
#include "game/game_io.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "game/zelvo.h"

namespace zelvo {

namespace {
GameIo* g_io = nullptr;
}

GameIo& Io() {
  if (!g_io) {
    // The program installs the runtime's at start; a test forgot its own.
    std::fputs("zelvo2: no GameIo installed\n", stderr);
    std::abort();
  }
  return *g_io;
}

void SetIo(GameIo* io) {
  g_io = io;
}

GameIo& RuntimeIo() {
  static GameIo io;
  return io;
}

bool GameIo::KeyDown(int scanCode) {
  return ::KeyDown(scanCode) != 0 || PadHoldsKey(scanCode);
}

PadReading GameIo::ReadPads() {
  PadReading pad;
  // Without a pad (the usual case) one look at the devices is enough.
  if (::PadCount() == 0) return pad;
  for (int p = 0; p < pads::kSlots; ++p) {
    if (::PadConnected(p) == 0) continue;
    for (int b = 0; b < pads::kButtonCount; ++b)
      if (::PadButton(p, b) != 0) pad.buttons |= 1u << b;
    const double x = ::PadAxis(p, pads::kLeftX), y = ::PadAxis(p, pads::kLeftY);
    if (std::fabs(x) > std::fabs(pad.stickX)) pad.stickX = x;
    if (std::fabs(y) > std::fabs(pad.stickY)) pad.stickY = y;
  }
  return pad;
}

void GameIo::EndFrame() {
  ::EndFrame();
}
double GameIo::FrameTime() {
  return ::FrameTime();
}
double GameIo::ElapsedTime() {
  return ::ElapsedTime();
}
void GameIo::End() {
  ::End();
}

void GameIo::SpriteFromFile(const RtString& file, double slot) {
  ::SpriteFromFile(file, Trunc(slot));
}
void GameIo::AnimationFromFile(const RtString& file, double slot, double frameWidth,
                               double frameHeight) {
  ::AnimationFromFile(file, Trunc(slot), Trunc(frameWidth), Trunc(frameHeight));
}
// Loading nothing into a slot empties it and gives its texture back.
void GameIo::FreeSprite(double slot) {
  ::SpriteFromFile(RtString(""), Trunc(slot));
}
void GameIo::BackgroundFromFile(const RtString& file) {
  ::BackgroundFromFile(file);
}
void GameIo::PreloadSprite(const RtString& file) {
  ::PreloadSpriteFile(file);
}
void GameIo::PreloadBackground(const RtString& file) {
  ::PreloadBackgroundFile(file);
}
void GameIo::FadeToImage(const RtString& file) {
  ::FadeToImage(file);
}
void GameIo::CopyScreenToSprite(double slot, double x, double y, double width, double height) {
  ::CopyScreenToSprite(Trunc(slot), Trunc(x), Trunc(y), Trunc(width), Trunc(height));
}
void GameIo::PutSprite(double slot, double x, double y) {
  ::PutSprite(Trunc(slot), Trunc(x), Trunc(y));
}
void GameIo::PutAnimationFrame(double slot, double frame, double x, double y) {
  ::PutAnimationFrame(Trunc(slot), Trunc(frame), Trunc(x), Trunc(y));
}
void GameIo::SetBlendMode(double value) {
  ::SetBlendMode(value);
}
bool GameIo::AnimationFramesOverlap(double slot1, double frame1, double x1, double y1, double slot2,
                                    double frame2, double x2, double y2) {
  return ::AnimationFramesOverlap(Trunc(slot1), Trunc(frame1), Trunc(x1), Trunc(y1), Trunc(slot2),
                                  Trunc(frame2), Trunc(x2), Trunc(y2));
}
void GameIo::FillRect(double x, double y, double width, double height, int colour) {
  ::FillRect(Trunc(x), Trunc(y), Trunc(width), Trunc(height), colour);
}
void GameIo::ClearScreen() {
  ::ClearScreen();
}
void GameIo::SetColourKey(int colour) {
  ::SetColourKey(colour);
}
bool GameIo::ScreenToFile(const RtString& file) {
  return ::ScreenToFile(file);
}

void GameIo::FontFromFile(const RtString& file, int font) {
  ::FontFromFile(file, font);
}
void GameIo::SelectFont(int font) {
  ::SelectFont(font);
}
void GameIo::DrawText(const RtString& text, double x, double y) {
  ::DrawText(text, x, y);
}
void GameIo::DrawNumber(double value, double x, double y) {
  ::DrawNumber(value, x, y);
}

void GameIo::LoadSound(const RtString& file, double slot) {
  ::LoadSound(file, slot, 1);
}
int GameIo::PlaySound(double slot, double volume) {
  return ::PlaySound(slot, 0, volume);
}
bool GameIo::SoundPlaying(int channel) {
  return ::SoundPlaying(channel) != 0;
}
void GameIo::PlayMusic(const RtString& file, bool loop) {
  ::PlayMusic(file, loop ? 1 : 0);
}
void GameIo::StopMusic() {
  ::StopMusic();
}
void GameIo::SetMusicVolume(double volume) {
  ::SetMusicVolume(volume);
}

}  // namespace zelvo
