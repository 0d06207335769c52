// The fixed-function state draws run under: the 2D and 3D baselines,
// blending, the alpha test, the current colour, culling, depth and stencil,
// the viewport and the matrices.
#pragma once

#include <cstdint>

namespace render {

// The 2D baseline: texturing on, no depth test, counter-clockwise faces
// culled, alpha test above 0.05, white, flat shading and every smoothing,
// fog and lighting switch off. Viewport and matrices stay as they are.
void Reset2DState();
// The 3D baseline: depth test with writes, no culling, alpha test above
// 0.05, white at the given alpha, smooth shading with colour material and
// dithering, fog, stencil and the lights 0 to lightCount - 1 off.
void Reset3DState(float alpha, int lightCount);

enum class Blend { Alpha, Additive };
void SetBlending(bool on);
void SetBlendFunction(Blend blend);
void SetAlphaTest(bool on);
void SetColour(float r, float g, float b, float a);
void SetColourBytes(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
// Which winding faces the viewer (counter-clockwise is the default).
void SetFrontFaceClockwise(bool clockwise);
// Culling of back faces, with the front face's winding, or none.
void CullBackFaces(bool frontClockwise);
void StopCulling();
void SetStencilTest(bool on);

void SetClearColour(float r, float g, float b, float a);
void ClearColour();
// Clears the depth buffer, writes to it allowed first.
void ClearDepth();

// GL coordinates: origin at the target's bottom left.
void SetViewport(int x, int y, int width, int height);
// One unit per pixel of a w x h area, origin top-left, y downwards; the
// object matrix back to identity.
void LoadPixelProjection(int width, int height);
// Whether that projection is in force over the whole viewport with nothing
// placed or offset on top: a quad with whole-number corners then covers
// whole pixels, and one of as many texels as pixels samples each texel at
// its centre.
bool UnitsArePixels();
// Column-major 4 x 4 matrices.
void LoadProjection(const float* matrix);
void LoadView(const float* matrix);
// Moves the origin to (x, y) turned clockwise by degrees on screen, until
// PopPlacement.
void PushPlacement(float x, float y, float degrees);
void PopPlacement();
// Shifts the projection so integer coordinates hit pixel centres, until
// PopPixelCentreOffset, which selects the object matrix again.
void PushPixelCentreOffset();
void PopPixelCentreOffset();

}  // namespace render
