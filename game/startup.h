// Start-up: the set-up before the first screen, the Loading screen, the two
// input services every screen uses, and the sprite slot bookkeeping.
#pragma once

#include <string>

#include "game/zelvo.h"

namespace zelvo {

// The set-up at the top of the main function, before the state dispatch.
void GameSetUp();

// 1 exactly once after a tracked key was seen held and is no longer held;
// 0 otherwise and for keys outside kTrackedKeys. Releasing Up or Down plays
// the cursor sound.
int KeyReleased(int scanCode);

// The volume hotkeys: Page Up / Page Down (master), Q / W (effects),
// E / R (music), each acting once on release.
void HandleVolumeKeys();

// The Loading screen: every sprite, animation and sound into its slot.
void LoadAssets();

// Takes count new sprite slots from NextSpriteSlot for block, freeing the
// slots the block held before, so pictures loaded again on every run or
// visit never pile up. The counter keeps counting as if nothing were freed
// until it would reach the slots the runtime keeps for itself; then it starts
// again above the Loading screen's slots.
void TakeSpriteBlock(SlotBlock& block, int count);
// Moves the counter on by count slots as TakeSpriteBlock does (wrapping the
// same way); returns the first of them.
int TakeSlotNumbers(int count);
// The highest slot a block may use: the runtime's screen backup and font
// slots lie above it.
inline constexpr int kLastBlockSlot = 65000;

// Playing time of a PCM wave file in milliseconds, -1 when the file cannot
// be read as one.
double WaveLengthMs(const RtString& file);
// Frames to wait at most for a sound of the given length (ms) to end.
int SoundWaitFrames(double lengthMs);

}  // namespace zelvo
