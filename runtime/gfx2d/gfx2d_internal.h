// Steps the 2D commands share: slot management, binding sprite textures,
// the filter, the draw-area reset and the current target's size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/rt_string.h"
#include "runtime/gfx2d/gfx2d_state.h"
#include "runtime/gfx2d/image_decode.h"

namespace gfx2d {

// Resolves a program's file name through the data archive.
bool ResolveImageName(const char* name, std::string& path);

// Deletes the slot's textures and mask; keeps its frame size.
void FreeSprite(int slot);
bool LoadIntoSlot(int slot, const char* name, int32_t key, bool normalMap);
// Finds out why name (as the program gave it) did not load with the key and
// writes that to the error log under the command's name. Only called once a
// load has failed, so the successful loads pay nothing for it. An empty
// name reports nothing.
void ReportImageLoadFailure(const char* command, const char* name, int32_t key);
// Reads the sprite's alpha plane back once and keeps it.
const uint8_t* AlphaMask(int slot);

bool LoadBackgroundSlot(int slot, const char* name);
void DrawBackgroundSlot(int slot);
void FreeBackgroundSlot(int slot);
void CopyScreenToBackgroundSlot(int slot);

// Binds a slot's texture (its mipmapped copy when asked; or, with a table,
// table[slot]). With a second slot, unit 0 gets the second slot's texture
// and unit 1 the first's. slot < 0 turns texturing off. Bindings the render
// layer already holds are skipped; whatever binds textures past this
// forgets them there (render::ForgetBoundTexture).
void BindSpriteTexture(int slot, int secondSlot, bool mipmapped, const uint32_t* table);
// The 2D form: the slot's plain texture on unit 0 alone.
inline void BindSpriteTexture(int slot) {
  BindSpriteTexture(slot, -1, false, nullptr);
}
// Linear or nearest on the bound texture, as smoothing says.
void SelectFilter();

// The fixed 2D state, viewport and projection for a draw area inside the
// current target; w or h <= 0 selects the whole target.
void ResetDrawArea(int x, int y, int w, int h);
// Size of what drawing lands in: the screen, or a surface's sprite.
int TargetWidth();
int TargetHeight();
// Binds the current target for drawing (screen or surface) without touching
// the viewport.
void BindCurrentTarget();
// Binds the framebuffer holding the current target's picture for reading.
void BindReadTarget();
// The key colour as the target stores it, or -1 when there is none.
int32_t StoredKeyColour();

void LoadBuiltInFont(int font);
// The quads of a text in one draw call, at depth z (3D text passes its own).
void DrawTextQuads(int font, const RtString& text, double x, double y, double z);
ImageBuffer BuildDefaultFont();

void DeleteSurface(int n);
// The finished picture of the logical screen, as ScreenToFile writes it:
// rows bottom-up, 3 bytes a pixel (BGR or RGB). False without a screen.
bool ReadScreenPixels(bool bgr, std::vector<uint8_t>& pixels, int* width, int* height);
// BGR rows bottom-up, rowLength pixels apart, to a BMP (or PNG for ".png").
bool WriteImageFile(const std::string& name, const uint8_t* pixels, int width, int height,
                    int rowLength);

}  // namespace gfx2d
