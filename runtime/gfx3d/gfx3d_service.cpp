#include "runtime/gfx3d/gfx3d_service.h"

#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/object_store.h"
#include "runtime/gfx3d/scene_internal.h"
#include "runtime/gfx3d/shader_program.h"
#include "runtime/gfx3d/shaders.h"

using namespace gfx3d;

void Gfx3dStart() {
  Gfx3dState& g = Gfx3d();
  g.sceneOpen = false;
  g.frustumCulling = true;
  g.build = ObjectBuild{};
  g.transforms.Reset();
  g.lightsInUse = 0;
  g.environmentMapping = false;
  g.shadowPassActive = false;
  ResetShadowCasting();
  g.textureSlot = g.secondTextureSlot = -1;
  ResetShaderSlots();
}

// A scene left open at the frame's end has its 2D drawing on top by now:
// its shadows are dropped rather than darkening the wrong pixels.
void Gfx3dFrame() {
  DropShadowPass();
  SelectShader(-1);
  // The frame's end returns to 2D, whose projection culling knows nothing of.
  Gfx3d().sceneOpen = false;
}

void Gfx3dShutdown() {
  DropShadowPass();
  SelectShader(-1);
  FreeAllObjects();
  // The context's end releases the shader objects.
  ResetShaderSlots();
}
