// The steps behind the effect commands, shared within the audio subsystem.
#pragma once

// Device pan units -10000..10000 for a pan of -1..1.
int PanUnits(double pan);
// Volume percentage 0..100 for a volume of 0..1.
int VolumePercent(double volume);
// Hundredths of a decibel for a percentage: 100 -> 0, 0 -> -10000.
inline int VolumeMillibels(int percent) {
  return percent * 100 - 10000;
}
// Slot 0..127 for a command's slot number; -1 for a negative or NaN one.
int CommandSlot(double slot);
// Stops and rewinds every copy of a slot.
void StopSlot(int slot);
// Stops and frees every copy; the slot is empty afterwards.
void ReleaseSlot(int slot);
