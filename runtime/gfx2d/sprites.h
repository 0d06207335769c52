// Sprite commands: loading images into numbered slots, drawing them plain,
// scaled, stretched, rotated or as animation frames, blending, pixel
// collision and textured triangle fans. Slots 0 to 65502 belong to the
// program; 65503 holds the screen behind a surface without a framebuffer and
// 65504 + n holds font n's glyph sheet (65504: font 0, the built-in font
// unless smalfont.png replaced it), so a program may draw a font's sheet as
// a sprite. Numbers outside 0 to 65535
// are ignored. Positions are pixels of the top-left corner in the draw area
// (see primitives.h), angles are degrees.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

// Loads a BMP or PNG image (disk first, then the data archive) into the
// slot; pixels of the sprite colour key (0x8000FF unless SetColourKey changed
// it) become transparent. False leaves the slot empty.
// An image whose decoding would hold more than 256 MiB (an RGBA picture of
// 8192 x 8192 pixels already does) is refused from its header, with
// runtime error 7 recorded and a line in the error log
// (runtime/core/load_budget.h).
bool SpriteFromFile(const RtString& name, int slot);
// As SpriteFromFile, then records the frame size in pixels: frames are
// numbered from 0 left to right, then row by row.
bool AnimationFromFile(const RtString& name, int slot, int frameWidth, int frameHeight);
// Loads an image as a normal map (blue is the height), with the default
// key 0x8000FF whatever SetColourKey set.
bool NormalMapFromFile(const RtString& name, int slot);
// Sets the colour that turns transparent in sprites and fonts loaded from
// now on (-1: none). Sprites start with 0x8000FF, fonts with black (0).
void SetColourKey(int colour);
// Loads and shows the screen's background image; on failure clears it.
bool BackgroundFromFile(const RtString& name);
// Read and prepare a picture as SpriteFromFile (with the current colour key)
// or BackgroundFromFile would, without loading it anywhere, so that a later
// load of the unchanged file costs only the upload. For a loading screen:
// the first load of a picture during play then shows no stall. A name that
// does not resolve does nothing.
void PreloadSpriteFile(const RtString& name);
void PreloadBackgroundFile(const RtString& name);  // See PreloadSpriteFile.
// The image's size in pixels; 0 x 0 for an empty or invalid slot.
void SpriteSize(int slot, double& width, double& height);
void SpriteSize(int slot, int& width, int& height);
// The OpenGL texture name of the slot's image (0 when empty or invalid), for
// a program that draws with GL itself.
uint32_t SpriteTextureId(int slot);

// 0: opaque; negative: translucent by |value| (-1 = image alpha only);
// positive: additive at min(value, 1). Applies to sprites, text and
// primitives drawn afterwards.
void SetBlendMode(double value);
// Nonzero (the default): scaled and rotated sprites are smoothed; 0: nearest
// pixel, for crisp enlarged pixel art.
void SetSpriteFiltering(int flag);
// Draws the slot's image at its size with its top-left corner at (x, y). An
// empty or invalid slot draws nothing.
void PutSprite(int slot, int x, int y);
// Draws the image factorX times as wide and factorY times as high, scaled
// about its centre: (x, y) is the top-left corner the unscaled sprite would
// have.
void PutSpriteScaled(int slot, int x, int y, double factorX, double factorY);
// Stretches the image over the rectangle from (x, y), width x height pixels.
// Negative width or height mirrors.
void PutSpriteInRect(int slot, int x, int y, int width, int height);
// Turns the image by angle degrees about its centre, (x, y) being the
// unturned top-left corner. Positive angles turn counter-clockwise on the
// screen.
void PutSpriteRotated(int slot, int x, int y, double angle);
// As PutSpriteRotated, also scaled by scale about the centre.
void PutSpriteRotatedScaled(int slot, int x, int y, double angle, double scale);
// Draws frame number frame of an animation strip (AnimationFromFile) with
// its top-left corner at (x, y). A frame outside the strip draws nothing.
void PutAnimationFrame(int slot, int frame, int x, int y);
// The frame turned by angle degrees (counter-clockwise) and scaled about
// its centre, (x, y) being its unturned top-left corner.
void PutAnimationFrameRotatedScaled(int slot, int frame, int x, int y, double angle, double scale);
// The frame stretched over the rectangle from (x, y), width x height pixels.
void PutAnimationFrameInRect(int slot, int frame, int x, int y, int width, int height);

// True when both draw a non-transparent pixel at the same place, each
// placed as PutSprite would place it.
bool SpritesOverlap(int slot1, int x1, int y1, int slot2, int x2, int y2);
// As SpritesOverlap for two animation frames placed as PutAnimationFrame.
bool AnimationFramesOverlap(int slot1, int frame1, int x1, int y1, int slot2, int frame2, int x2,
                            int y2);

// Starts a batch of coloured vertices drawn as one triangle fan, textured
// with the slot's image (a negative slot: untextured).
void BeginTriangleFan(int slot);
// Adds a vertex at screen position (x, y) with texture position (tx, ty) in
// the image's pixels and a packed colour that tints it (the sprite key
// colour makes the vertex transparent).
void AddFanVertex(float x, float y, float tx, float ty, int colour);
// Draws the fan with the current blend mode; fewer than one vertex draws
// nothing.
void EndTriangleFan();
