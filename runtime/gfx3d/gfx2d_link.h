// What 3D drawing takes from the 2D renderer: the draw area it renders into,
// the sprite textures, the colour key and alpha, and the way back to 2D.
#pragma once

#include <cstdint>

namespace gfx3d {

// The current draw area as a GL viewport (origin at the bottom left).
struct Viewport {
  int x = 0, y = 0, width = 0, height = 0;
};
Viewport DrawAreaViewport();
// The same area in the target's pixels with the origin at the top left, as
// 2D drawing and the mouse count them.
Viewport DrawAreaPixels();
// The 2D state for the whole target again.
void ReturnTo2D();
// Binds sprite textures for 3D drawing (slot < 0: texturing off). With a
// table, slot numbers index it instead of the sprite table.
void BindTextures(int slot, int secondSlot, bool mipmapped, const uint32_t* table);
float CurrentAlpha();
// A sprite slot number, or a negative one meaning none.
bool ValidSpriteSlotOrNone(int slot);
int32_t SpriteColourKey();
// Loads an image file into a new texture; 0 when no reader accepts it.
uint32_t LoadImageTexture(const char* name, int32_t key);

}  // namespace gfx3d
