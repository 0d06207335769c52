// Sound effects: numbered slots holding a sound in up to four copies, played
// with a pan and a volume.
#pragma once

#include "runtime/core/rt_string.h"

// Loads (or reloads) slot 0..127 (a higher number means 127, a negative
// one nothing) with copies 1..4 of a WAV file, from disk or the data
// archive; copies let the sound overlap itself. A missing or unusable file
// leaves the slot empty.
void LoadSound(const RtString& name, double slot, double copies);
// Plays the slot once at pan -1 (left) .. 1 (right) and volume 0..1. When
// every copy is playing, a one-copy slot starts nothing and otherwise the
// next copy restarts. Returns slot x 256 + copy, or -1 when nothing was
// started (an empty slot, no sound device).
int PlaySound(double slot, double pan, double volume);
// 1 while the copy named by a PlaySound result plays, else 0.
int SoundPlaying(double channelId);
// Stops every copy of slots 0..127.
void StopAllSounds();
// Milliseconds the sound LoadSound would make of the file lasts, or -1 when
// it would leave the slot empty for want of a usable wave (whether a sound
// device is open does not matter).
double SoundFileLengthMs(const RtString& name);
