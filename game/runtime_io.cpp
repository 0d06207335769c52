// The game's drawing, keys and sound bound to the runtime's commands.
#include "game/game_io.h"
#include "game/zelvo.h"

namespace zelvo {

namespace {

class RuntimeBackedIo final : public GameIo {
 public:
  bool KeyDown(int scanCode) override { return ::KeyDown(scanCode) != 0; }

  void EndFrame() override { ::EndFrame(); }
  double FrameTime() override { return ::FrameTime(); }
  double ElapsedTime() override { return ::ElapsedTime(); }
  void End() override { ::End(); }

  void SpriteFromFile(const RtString& file, double slot) override {
    ::SpriteFromFile(file, Trunc(slot));
  }
  void AnimationFromFile(const RtString& file, double slot, double frameWidth,
                         double frameHeight) override {
    ::AnimationFromFile(file, Trunc(slot), Trunc(frameWidth), Trunc(frameHeight));
  }
  // Loading nothing into a slot empties it and gives its texture back.
  void FreeSprite(double slot) override { ::SpriteFromFile(RtString(""), Trunc(slot)); }
  void BackgroundFromFile(const RtString& file) override { ::BackgroundFromFile(file); }
  void FadeToImage(const RtString& file) override { ::FadeToImage(file); }
  void PreloadSprite(const RtString& file) override { ::PreloadSpriteFile(file); }
  void PreloadBackground(const RtString& file) override { ::PreloadBackgroundFile(file); }
  void CopyScreenToSprite(double slot, double x, double y, double width, double height) override {
    ::CopyScreenToSprite(Trunc(slot), Trunc(x), Trunc(y), Trunc(width), Trunc(height));
  }
  void PutSprite(double slot, double x, double y) override {
    ::PutSprite(Trunc(slot), Trunc(x), Trunc(y));
  }
  void PutAnimationFrame(double slot, double frame, double x, double y) override {
    ::PutAnimationFrame(Trunc(slot), Trunc(frame), Trunc(x), Trunc(y));
  }
  void SetBlendMode(double value) override { ::SetBlendMode(value); }
  bool AnimationFramesOverlap(double slot1, double frame1, double x1, double y1, double slot2,
                              double frame2, double x2, double y2) override {
    return ::AnimationFramesOverlap(Trunc(slot1), Trunc(frame1), Trunc(x1), Trunc(y1), Trunc(slot2),
                                    Trunc(frame2), Trunc(x2), Trunc(y2));
  }
  void FillRect(double x, double y, double width, double height, int colour) override {
    ::FillRect(Trunc(x), Trunc(y), Trunc(width), Trunc(height), colour);
  }
  void ClearScreen() override { ::ClearScreen(); }
  void SetColourKey(int colour) override { ::SetColourKey(colour); }
  bool ScreenToFile(const RtString& file) override { return ::ScreenToFile(file); }

  void FontFromFile(const RtString& file, int font) override { ::FontFromFile(file, font); }
  void SelectFont(int font) override { ::SelectFont(font); }
  void DrawText(const RtString& text, double x, double y) override { ::DrawText(text, x, y); }
  void DrawNumber(double value, double x, double y) override { ::DrawNumber(value, x, y); }

  void LoadSound(const RtString& file, double slot) override { ::LoadSound(file, slot, 1); }
  int PlaySound(double slot, double volume) override { return ::PlaySound(slot, 0, volume); }
  bool SoundPlaying(int channel) override { return ::SoundPlaying(channel) != 0; }
  void PlayMusic(const RtString& file, bool loop) override { ::PlayMusic(file, loop ? 1 : 0); }
  void StopMusic() override { ::StopMusic(); }
  void SetMusicVolume(double volume) override { ::SetMusicVolume(volume); }
};

}  // namespace

GameIo& RuntimeIo() {
  static RuntimeBackedIo io;
  return io;
}

}  // namespace zelvo
