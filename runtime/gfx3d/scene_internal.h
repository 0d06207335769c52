// Scene steps shared by the scene commands, object drawing and the service.
#pragma once

#include <cstddef>

#include "runtime/gfx3d/gfx3d_state.h"

namespace gfx3d {

// Closes a stencil-shadow pass when one is open, drawing its shadows into
// the scene as it stands.
void EndShadowPass();
// Closes it without drawing (the frame is over, or the renderer stops).
void DropShadowPass();
// A new pass: no volumes yet, objects cast.
void ResetShadowCasting();
// Whether objects drawn from now on cast shadows while the pass is open.
void SetShadowCasting(bool on);
// Objects whose volumes wait for the end of the pass.
size_t ShadowCasterCount();
// Adds the volume of a triangle list drawn with the current transform, when
// a pass is open, casting and the shadow light on.
void CastShadow(const MeshVertex* vertices, size_t count);
// Culling tangent for a field of view in degrees (<= 0: orthographic).
float CullingTangent(double fov);
// The key frames and the first one's weight for a blend (see
// PutObjectBlended), with frame numbers clamped to 0..frameCount-1.
struct FrameBlend {
  int first = 0, second = 0;
  double firstWeight = 1;
};
FrameBlend ChooseFrames(int frameCount, int from, int to, double t);
// Linear blend of two frames over the smaller vertex count.
void BlendFrames(const KeyFrame& a, const KeyFrame& b, double firstWeight, bool unitNormals,
                 std::vector<MeshVertex>& out);

}  // namespace gfx3d
