#include "game/startup.h"

#include <algorithm>
#include <cmath>

#include "game/asset_manifest.h"
#include "game/course.h"
#include "game/game_io.h"
#include "game/hiscores.h"
#include "game/settings_file.h"

namespace zelvo {

namespace {

GameState g_game;

// Latch index of each volume hotkey in VolumeLatches.
enum Hotkey { kPageUpLatch, kPageDownLatch, kQLatch, kWLatch, kELatch, kRLatch };

// One release-triggered hotkey step: true on the first call at which the key
// is no longer held after a call that saw it held. fresh reports a press
// latched in this call.
bool HotkeyReleased(int scanCode, double& latch, bool* fresh = nullptr) {
  if (Io().KeyDown(scanCode)) {
    if (latch == 0 && fresh) *fresh = true;
    latch = 1;
    return false;
  }
  if (latch == 1) {
    latch = 0;
    return true;
  }
  return false;
}

double Clamp(double value, double low, double high) {
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

// Little-endian 32-bit value of four bytes read from the channel.
bool ReadU32(int channel, int64_t size, uint32_t& value) {
  if (FilePosition(channel) + 4 > size) return false;
  int v = 0;
  ReadLong(channel, v);
  value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

GameState& Game() {
  return g_game;
}

void ResetGame() {
  g_game = GameState();
  KeepSettingsIn("", g_game.settings);
  ThePadKeys().Reset();
}

double EffectVolume() {
  const Settings& s = g_game.settings;
  return s.effectsLevel * s.masterVolume;
}

int PlayEffect(int soundSlot) {
  return Io().PlaySound(soundSlot, EffectVolume());
}

int Trunc(double value) {
  if (!(value > -2147483648.0)) return value != value ? 0 : INT32_MIN;
  if (value >= 2147483647.0) return INT32_MAX;
  return static_cast<int>(value);
}

void GameSetUp() {
  GameState& g = g_game;
  SetFrameRate(60);
  Io().SetColourKey(kKeyColour);
  SetEscapeQuits(1);
  SetArchiveFiles(RtString(""), RtString("sound.sbx"));
  Io().FontFromFile("gfx/font/black.png", 0);
  Io().FontFromFile("gfx/font/white.png", 1);
  Io().FontFromFile("gfx/font/credits.png", 2);
  g.gameState = kLoading;
  g.nextSpriteSlot = 10;
  g.nextSoundSlot = 10;
  DimIntArray(g.keyLatch, 14);
  LoadDefaultHiscores();
}

int KeyReleased(int scanCode) {
  int index = -1;
  for (int i = 0; i < 14; ++i) {
    if (kTrackedKeys[i] == scanCode) index = i;
  }
  if (index < 0) return 0;
  int32_t& latch = IntArrayAt(g_game.keyLatch, index);
  if (Io().KeyDown(scanCode)) latch = 1;
  if (latch == 1 && !Io().KeyDown(scanCode)) {
    latch = 0;
    if (scanCode == key::kUp || scanCode == key::kDown) PlayEffect(slot::kSoundCursor);
    return 1;
  }
  return 0;
}

void HandleVolumeKeys() {
  Settings& s = g_game.settings;
  double* latch = g_game.volumeLatches.latch;
  bool freshPageUp = false;
  if (HotkeyReleased(key::kPageUp, latch[kPageUpLatch], &freshPageUp)) s.masterVolume += 0.1;
  // A Page Up press latched in this call leaves Page Down's latch alone.
  if (!freshPageUp && HotkeyReleased(key::kPageDown, latch[kPageDownLatch])) {
    s.masterVolume -= 0.1;
  }
  s.masterVolume = Clamp(s.masterVolume, 0, 1);
  Io().SetMusicVolume(s.masterVolume * s.musicLevel);

  if (HotkeyReleased(key::kQ, latch[kQLatch])) s.effectsLevel += 1;
  if (HotkeyReleased(key::kW, latch[kWLatch])) s.effectsLevel -= 1;
  s.effectsLevel = Clamp(s.effectsLevel, 0, 10);

  if (HotkeyReleased(key::kE, latch[kELatch])) s.musicLevel += 0.01;
  if (HotkeyReleased(key::kR, latch[kRLatch])) s.musicLevel -= 0.01;
  s.musicLevel = Clamp(s.musicLevel, 0, 1);
  SaveSettingsIfChanged();
}

void LoadAssets() {
  GameState& g = g_game;
  // The Loading screen numbers them as it goes.
  for (const manifest::Picture& asset : manifest::kLoadedSprites) {
    if (asset.frames > 0) {
      Io().AnimationFromFile(asset.file, g.nextSpriteSlot, asset.width, asset.height);
    } else {
      Io().SpriteFromFile(asset.file, g.nextSpriteSlot);
    }
    g.nextSpriteSlot += 1;
  }
  Io().LoadSound("sound/paper.wav", slot::kSoundCrash);
  Io().LoadSound("sound/selection1.wav", slot::kSoundCursor);
  Io().LoadSound("sound/selection2.wav", slot::kSoundConfirm);
  Io().LoadSound("sound/selection3.wav", slot::kSoundBack);
  for (const char* file : {"sound/light.wav", "sound/boing.wav", "sound/waterdrop.wav"}) {
    Io().LoadSound(file, g.nextSoundSlot);
    g.nextSoundSlot += 1;
  }
  // The confirm sound holds the Game over screen; wait no longer than it
  // lasts, even if the sound layer never reports its end.
  g.confirmWaitFrames = SoundWaitFrames(WaveLengthMs("sound/selection2.wav"));
  // The Menu loads its pictures as it opens; prepared now, those loads cost
  // only the upload, and its first frame keeps its slot.
  Io().PreloadBackground("gfx/menu.png");
  Io().PreloadBackground("gfx/splash.png");
  Io().PreloadSprite("gfx/menbg.png");

  Io().PutSprite(slot::kSplash, 0, 0);
  g.gameState = kMenu;
  Io().EndFrame();
}

int TakeSlotNumbers(int count) {
  GameState& g = g_game;
  if (g.nextSpriteSlot + count - 1 > kLastBlockSlot) g.nextSpriteSlot = slot::kFirstCounted;
  const int first = Trunc(g.nextSpriteSlot);
  g.nextSpriteSlot += count;
  return first;
}

void TakeSpriteBlock(SlotBlock& block, int count) {
  GameState& g = g_game;
  for (int i = 0; i < block.count; ++i) Io().FreeSprite(block.first + i);
  block.first = TakeSlotNumbers(count);
  block.count = count;
  if (&block != &g.roomImages) {
    // Another block may land on the room pictures: the ones loaded ahead
    // for the first run, or those a run keeps for the next.
    g.preloadedRooms = -1;
    const SlotBlock& rooms = g.roomImages;
    if (block.first < rooms.first + rooms.count && rooms.first < block.first + block.count) {
      g.roomImagesKept = false;
    }
  }
}

double WaveLengthMs(const RtString& file) {
  constexpr int kChannel = 1;  // channel 0 belongs to the hiscores
  const int64_t size = FileSize(file);
  if (size < 12 || !OpenFile(kChannel, file, 1)) return -1;
  double length = -1;
  uint32_t riff = 0, riffSize = 0, wave = 0;
  ReadU32(kChannel, size, riff);
  ReadU32(kChannel, size, riffSize);
  ReadU32(kChannel, size, wave);
  uint32_t byteRate = 0;
  if (riff == 0x46464952u && wave == 0x45564157u) {  // "RIFF", "WAVE"
    uint32_t id = 0, chunkSize = 0;
    while (ReadU32(kChannel, size, id) && ReadU32(kChannel, size, chunkSize)) {
      const int64_t body = FilePosition(kChannel);
      if (id == 0x20746d66u && chunkSize >= 16) {  // "fmt "
        uint32_t formatAndChannels = 0, sampleRate = 0;
        ReadU32(kChannel, size, formatAndChannels);
        ReadU32(kChannel, size, sampleRate);
        ReadU32(kChannel, size, byteRate);
      } else if (id == 0x61746164u) {  // "data"
        const int64_t dataBytes = std::min<int64_t>(chunkSize, size - body);
        if (byteRate > 0) length = static_cast<double>(dataBytes) * 1000.0 / byteRate;
        break;
      }
      const int64_t next = body + chunkSize + (chunkSize & 1);
      if (next > size - 8) break;
      FileSeek(kChannel, static_cast<int>(next), 0);
    }
  }
  CloseFile(kChannel);
  return length;
}

int SoundWaitFrames(double lengthMs) {
  // Without a length, two seconds; otherwise the length and half a second.
  const double ms = lengthMs < 0 ? 2000 : lengthMs + 500;
  return static_cast<int>(std::ceil(ms * 60 / 1000));
}

}  // namespace zelvo
