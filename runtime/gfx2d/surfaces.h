// Grabbing the screen into sprites and backgrounds, off-screen surfaces that
// redirect drawing into a sprite, and writing pictures to image files.
#pragma once

#include "runtime/core/rt_string.h"

// Copies the screen rectangle into the sprite; key-coloured pixels become
// transparent.
void CopyScreenToSprite(int slot, int x, int y, int width, int height);
// The whole screen becomes the background image.
void CopyScreenToBackground();
// Surface n (0..31) draws into the sprite slot, which it makes width x height.
void CreateOffscreenSurface(int surface, int slot, int width, int height);
// n < 0: back to the screen; 0..31: to that surface; others change nothing.
void SelectSurface(int surface);
// BMP, or PNG when the name ends in ".png" in any case. The file is written
// under a temporary name and renamed, so a failure keeps the old file.
bool ScreenToFile(const RtString& name);
// Writes the slot's image as ScreenToFile writes the screen; false for an
// empty slot or a failed write.
bool SpriteToFile(const RtString& name, int slot);
