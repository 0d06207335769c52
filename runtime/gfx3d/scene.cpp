// The scene frame, camera, culling, fog, lights and texture selection.
#include <cmath>

#include "runtime/gfx3d/gfx2d_link.h"
#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/scene3d.h"
#include "runtime/gfx3d/scene_internal.h"
#include "runtime/gfx3d/shader_program.h"
#include "runtime/render/draw_state.h"
#include "runtime/render/lighting.h"

namespace gfx3d {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Just short of a right angle, where the tangent stays finite.
constexpr double kWidestCullingAngle = 1.553343;

void Normalise(float v[3]) {
  const float squared = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
  if (!(squared > 1e-7f)) return;
  const float length = std::sqrt(squared);
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
}

void ColourToFloats(int colour, float out[4]) {
  out[0] = static_cast<float>(colour & 0xFF) / 255.0f;
  out[1] = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
  out[2] = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
  out[3] = 1.0f;
}

void LoadView() {
  render::LoadView(Gfx3d().view.data());
}

}  // namespace

float CullingTangent(double fov) {
  if (fov <= 0 || fov + 5 > 89) return static_cast<float>(std::tan(kWidestCullingAngle));
  return static_cast<float>(std::tan((fov + 5) * kPi / 180));
}

}  // namespace gfx3d

using namespace gfx3d;

void BeginScene3D(double nearClip, double farClip, double fov) {
  Gfx3dState& g = Gfx3d();
  // The shadows of a scene left open fall on its own depth, not the new one.
  EndShadowPass();
  render::ClearDepth();

  const Viewport area = DrawAreaViewport();
  render::SetViewport(area.x, area.y, area.width, area.height);
  const double aspect =
      area.height > 0 ? static_cast<double>(area.width) / static_cast<double>(area.height) : 0;
  const bool perspective = fov > 0;
  const double h = perspective ? nearClip * std::tan(fov * kPi / 360)
                               : nearClip * std::tan(-fov * kPi / 360) * 100;
  // A zero or inverted near distance, an empty depth range or a box without
  // area would make a singular projection; the last good one stays.
  const bool usable = nearClip > 0 && farClip != nearClip && std::isfinite(farClip) && h > 0 &&
                      std::isfinite(h) && aspect > 0;
  if (usable) {
    g.projection = perspective ? Frustum(-aspect * h, aspect * h, -h, h, nearClip, farClip)
                               : Ortho(-aspect * h, aspect * h, -h, h, nearClip, farClip);
    g.nearClip = nearClip;
    g.farClip = farClip;
    g.cullingTangent = CullingTangent(fov);
  }
  render::LoadProjection(g.projection.data());
  g.view = Identity();
  LoadView();
  render::Reset3DState(CurrentAlpha(), kLightCount);

  g.environmentMapping = false;
  g.lightsInUse = 0;
  g.transforms.Reset();
  g.cullingMode = 0;
  g.textureSlot = g.secondTextureSlot = -1;
  BindTextures(-1, -1, false, nullptr);
  const float origin[3] = {0, 0, 0}, ahead[3] = {0, 0, -1};
  std::copy(origin, origin + 3, g.cameraPosition);
  std::copy(ahead, ahead + 3, g.cameraTarget);

  const Viewport pixels = DrawAreaPixels();
  g.sceneX = pixels.x;
  g.sceneY = pixels.y;
  g.sceneWidth = pixels.width;
  g.sceneHeight = pixels.height;
  g.sceneOpen = true;
  g.objectsDrawn = g.objectsCulled = 0;
  UpdateFrustum();
}

void EndScene3D() {
  Gfx3d().sceneOpen = false;
  EndShadowPass();
  ReturnTo2D();
}

void PlaceCamera(double x, double y, double z, double targetX, double targetY, double targetZ) {
  Gfx3dState& g = Gfx3d();
  g.cameraPosition[0] = static_cast<float>(x);
  g.cameraPosition[1] = static_cast<float>(y);
  g.cameraPosition[2] = static_cast<float>(z);
  g.cameraTarget[0] = static_cast<float>(targetX);
  g.cameraTarget[1] = static_cast<float>(targetY);
  g.cameraTarget[2] = static_cast<float>(targetZ);
  g.view = LookAt(g.cameraPosition, g.cameraTarget, g.cameraUp);
  g.transforms.Reset();
  LoadView();
  UpdateFrustum();
}

void SetFaceCulling(double mode) {
  Gfx3dState& g = Gfx3d();
  if (mode == 0 || std::isnan(mode)) {
    g.cullingMode = 0;
    render::StopCulling();
    return;
  }
  g.cullingMode = mode > 0 ? 1 : -1;
  render::CullBackFaces(mode > 0);
}

void SetFog(int colour, int mode, double a, double b) {
  if (colour == -1) {
    render::SwitchFogOff();
    return;
  }
  float rgba[4];
  ColourToFloats(colour, rgba);
  if (mode != 0) {
    render::SetExponentialFog(rgba, static_cast<float>(a));
    return;
  }
  if (a == 0 && b == 0) {
    a = Gfx3d().nearClip;
    b = Gfx3d().farClip;
  }
  render::SetLinearFog(rgba, static_cast<float>(a), static_cast<float>(b));
}

void SetEnvironmentMapping(int flag) {
  Gfx3d().environmentMapping = flag != 0;
}

void SetLight(int n, int colour, double x, double y, double z, double dx, double dy, double dz,
              double spot) {
  Gfx3dState& g = Gfx3d();
  if (n < 0) {
    ShadowLight& shadow = g.shadowLight;
    shadow.position[0] = static_cast<float>(x);
    shadow.position[1] = static_cast<float>(y);
    shadow.position[2] = static_cast<float>(z);
    shadow.colour = colour;
    shadow.on = std::fabs(spot) >= 0.00001;
    // Like lights 0 to 7: a cutoff of 180 makes it directional.
    shadow.directional = spot == 180;
    float direction[3] = {static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
    Normalise(direction);
    std::copy(direction, direction + 3, shadow.direction);
    if (n >= -3) shadow.mode = -n;
    if (n == -3 && !g.shadowPassActive) {
      ResetShadowCasting();
      g.shadowPassActive = true;
    }
    if (n >= -3) SetShadowCasting(n != -1);
    return;
  }
  const int index = n % kLightCount;
  // A negative cutoff is no angle a light can have; it switches off like 0.
  if (!(spot > 0)) {
    g.lightsInUse &= static_cast<uint8_t>(~(1u << index));
    render::SwitchLightOff(index, g.lightsInUse == 0);
    return;
  }
  g.lightsInUse |= static_cast<uint8_t>(1u << index);
  float diffuse[4];
  ColourToFloats(colour, diffuse);

  float position[4] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1};
  float direction[3] = {static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
  float cutoff = 180;
  bool spotLight = false;
  const bool nowhere = x == 0 && y == 0 && z == 0 && dx == 0 && dy == 0 && dz == 0;
  if (!nowhere && spot == 180) {
    Normalise(direction);
    position[0] = -direction[0];
    position[1] = -direction[1];
    position[2] = -direction[2];
    position[3] = 0;
  } else if (!nowhere && spot <= 90) {
    Normalise(direction);
    cutoff = static_cast<float>(spot);
    spotLight = true;
  }
  render::SwitchLightOn(index, diffuse, position, spotLight ? direction : nullptr, cutoff);
}

void SelectTextures3D(int slot, int secondSlot) {
  if (!ValidSpriteSlotOrNone(slot) || !ValidSpriteSlotOrNone(secondSlot)) return;
  Gfx3dState& g = Gfx3d();
  g.textureSlot = slot < 0 ? -1 : slot;
  g.secondTextureSlot = secondSlot < 0 ? -1 : secondSlot;
  BindTextures(g.textureSlot, g.secondTextureSlot, g.mipmapped, nullptr);
  if (g.currentShader >= 0) {
    SetShaderInt("TextureID1", 0);
    SetShaderInt("TextureID2", 1);
  }
}

void SetTextureMipmapping(int flag) {
  Gfx3d().mipmapped = flag != 0;
}

void PushTransform() {
  Gfx3d().transforms.Push();
}
void PopTransform() {
  Gfx3d().transforms.Pop();
}
void SetObjectTranslation(double x, double y, double z) {
  Gfx3d().transforms.SetTranslation(static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(z));
}
void SetObjectScaling(double x, double y, double z) {
  Gfx3d().transforms.SetScaling(static_cast<float>(x), static_cast<float>(y),
                                static_cast<float>(z));
}
void AddObjectRotation(double degrees, double axisX, double axisY, double axisZ) {
  Gfx3d().transforms.AddRotation(degrees, static_cast<float>(axisX), static_cast<float>(axisY),
                                 static_cast<float>(axisZ));
}
