// Sprite commands: loading images into numbered slots, drawing them plain,
// scaled, stretched, rotated or as animation frames, blending, pixel
// collision and textured triangle fans. Slots 0 to 65502 belong to the
// program; numbers outside 0 to 65535 are ignored.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

// Loads an image with the sprite colour key; false leaves the slot empty.
// An image whose decoding would hold more than 256 MiB (an RGBA picture of
// 8192 x 8192 pixels already does) is refused from its header, with
// runtime error 7 recorded and a line in the error log
// (runtime/core/load_budget.h).
bool SpriteFromFile(const RtString& name, int slot);
// As SpriteFromFile, then records the frame size of the strip.
bool AnimationFromFile(const RtString& name, int slot, int frameWidth, int frameHeight);
// Loads an image as a normal map (blue is the height).
bool NormalMapFromFile(const RtString& name, int slot);
// Sets the colour that turns transparent in sprites and fonts (-1: none).
void SetColourKey(int colour);
// Loads and shows the screen's background image; on failure clears it.
bool BackgroundFromFile(const RtString& name);
// Read and prepare a picture as SpriteFromFile (with the current colour key)
// or BackgroundFromFile would, without loading it anywhere, so that a later
// load of the unchanged file costs only the upload. For a loading screen:
// the first load of a picture during play then shows no stall. A name that
// does not resolve does nothing.
void PreloadSpriteFile(const RtString& name);
void PreloadBackgroundFile(const RtString& name);
void SpriteSize(int slot, double& width, double& height);
void SpriteSize(int slot, int& width, int& height);
uint32_t SpriteTextureId(int slot);

// 0: opaque; negative: translucent by |value| (-1 = image alpha only);
// positive: additive at min(value, 1).
void SetBlendMode(double value);
void SetSpriteFiltering(int flag);
void PutSprite(int slot, int x, int y);
void PutSpriteScaled(int slot, int x, int y, double factorX, double factorY);
// Negative width or height mirrors.
void PutSpriteInRect(int slot, int x, int y, int width, int height);
// Positive angles turn counter-clockwise on the screen.
void PutSpriteRotated(int slot, int x, int y, double angle);
void PutSpriteRotatedScaled(int slot, int x, int y, double angle, double scale);
void PutAnimationFrame(int slot, int frame, int x, int y);
void PutAnimationFrameRotatedScaled(int slot, int frame, int x, int y, double angle, double scale);
void PutAnimationFrameInRect(int slot, int frame, int x, int y, int width, int height);

// True when both draw a non-transparent pixel at the same place.
bool SpritesOverlap(int slot1, int x1, int y1, int slot2, int x2, int y2);
bool AnimationFramesOverlap(int slot1, int frame1, int x1, int y1, int slot2, int frame2, int x2,
                            int y2);

// A batch of coloured, optionally textured vertices drawn as one fan.
void BeginTriangleFan(int slot);
void AddFanVertex(float x, float y, float tx, float ty, int colour);
void EndTriangleFan();
