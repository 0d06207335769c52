// The game's shared state: the settings, the screen selector, the slot
// counters, the run and the fixed slot and key numbers every file uses.
// Every game variable is a double, as the game's rules compare them exactly.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

namespace zelvo {

// The screens, by the number kept in GameState.
inline constexpr int kLoading = 0;
inline constexpr int kMenu = 1;
inline constexpr int kOptions = 2;
inline constexpr int kHiscoreView = 3;
inline constexpr int kNameEntry = 4;
inline constexpr int kGameOver = 5;
inline constexpr int kPlay = 6;
inline constexpr int kQuit = 7;
inline constexpr int kComplete = 8;
inline constexpr int kCredits = 9;

// Scan codes: the runtime's named keys.
namespace key = ::keys;

// The keys whose release KeyReleased reports, in latch order.
inline constexpr int kTrackedKeys[14] = {
    key::kLeft,   key::kRight, key::kUp,       key::kDown,      key::kZ,
    key::kX,      key::kS,     key::kCapsLock, key::kLeftShift, key::kRightShift,
    key::kReturn, key::kTab,   key::kPageUp,   key::kPageDown};

// Sprite slots the Loading screen fills (see LoadAssets) and the sound slots.
namespace slot {
inline constexpr int kSplash = 10;
inline constexpr int kSplash2 = 11;
inline constexpr int kScores = 12;
inline constexpr int kHigh = 13;
inline constexpr int kOptions = 14;
inline constexpr int kPause = 15;
inline constexpr int kComplete = 16;
inline constexpr int kDrop = 23;
inline constexpr int kPlaneLeft = 24;
inline constexpr int kPlaneRight = 25;
inline constexpr int kSwitchOff = 26;
inline constexpr int kWindShape = 28;
inline constexpr int kExplosion = 46;
inline constexpr int kUpdraft = 47;
inline constexpr int kDowndraft = 48;
inline constexpr int kJumper = 49;
inline constexpr int kMeteor = 50;
inline constexpr int kRisingMeteor = 51;
inline constexpr int kCloud = 52;
inline constexpr int kCloudExplosion = 53;
inline constexpr int kPlane = 54;
inline constexpr int kFirstCounted = 55;  // NextSpriteSlot after loading

inline constexpr int kSoundCrash = 0;
inline constexpr int kSoundCursor = 1;
inline constexpr int kSoundConfirm = 2;
inline constexpr int kSoundBack = 3;
inline constexpr int kSoundLight = 10;
inline constexpr int kSoundBoing = 11;
inline constexpr int kSoundDrip = 12;
}  // namespace slot

// Packed colours (red in the low byte).
inline constexpr int kWhite = 16777215;
inline constexpr int kBlue = 16711680;
inline constexpr int kRed = 255;
inline constexpr int kKeyColour = 8060992;

struct Settings {
  double gameSpeed = 1.0;
  double musicLevel = 0.35;
  double effectsLevel = 1.8;
  double masterVolume = 0.5;
};

// A run of sprite slots taken from NextSpriteSlot for pictures that are
// loaded again on every use (the room images of a run, the Options labels).
struct SlotBlock {
  int first = -1;
  int count = 0;
};

// The run: what StartNewGame resets (and the few values it carries over).
struct Run {
  double roomIndex = 0;
  double score = 0;
  double playTime = 0;
  double roomTime = 0;
  double planes = 4;
  double planeX = 0;
  double planeY = 50;
  double scrollX = 0;
  double scrollY = 0;
  double frozen = 0;
  double planeActive = 1;
  double crashed = 0;
  double planeForm = 0;
  double windForce = 0;
  double planeSprite = 0;
  double planeFrame = 0;
  double windCounter = 0;
  double windFrame = 0;
  double meteorCounter = 0;
  double meteorFrame = 0;
  double pauseLatch = 0;
  double explosionStep = 0;
  double explosionFrame = 0;
  double explosionCounter = 0;
  double crashChannel = 0;
};

// Menu and Options state kept across visits.
struct OptionsState {
  int optionRow = 0;
  double previewX = 0;
  double previewY = 0;
  SlotBlock labels;
  double barWidth[4] = {0, 0, 0, 0};
  int barColour[4] = {0, 0, 0, 0};
  int pressRow[2] = {-1, -1};  // row selected when X / S went down
};

// The per-hotkey latches of HandleVolumeKeys: Page Up, Page Down, Q, W, E, R.
struct VolumeLatches {
  double latch[6] = {0, 0, 0, 0, 0, 0};
};

struct GameState {
  Settings settings;
  double gameState = kLoading;
  double nextSpriteSlot = 10;
  double nextSoundSlot = 10;
  IntArray keyLatch;
  VolumeLatches volumeLatches;
  Run run;
  OptionsState options;
  SlotBlock roomImages;
  // First slot of the room pictures the Loading screen put where the first
  // run's block will be, or -1 (see PreloadRoomPictures).
  int preloadedRooms = -1;
  // The room pictures of the last run are still in roomImages' slots.
  bool roomImagesKept = false;
  // Frames the Game over screen waits at most for its confirm sound.
  int confirmWaitFrames = 120;
};

GameState& Game();
// Puts the whole game back to its state before GameMain (tests).
void ResetGame();

// EffectsLevel x MasterVolume, the volume of every effect.
double EffectVolume();
// Plays an effect at EffectVolume; returns its channel.
int PlayEffect(int soundSlot);

// Truncation toward zero of a number handed to an integer parameter,
// saturating instead of overflowing.
int Trunc(double value);

}  // namespace zelvo
