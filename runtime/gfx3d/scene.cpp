// The scene frame, camera, culling, fog, lights and texture selection.
#include <GL/gl.h>

#include <cmath>

#include "runtime/gfx3d/gfx2d_link.h"
#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/scene3d.h"
#include "runtime/gfx3d/scene_internal.h"
#include "runtime/gfx3d/shader_program.h"

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
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(Gfx3d().view.data());
}

void SetFixedSceneState() {
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_TRUE);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glDisable(GL_CULL_FACE);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.05f);
  glColor4f(1, 1, 1, CurrentAlpha());
  glClearColor(0, 0, 0, 1);
  for (GLenum cap : {GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH,
                     GL_POLYGON_OFFSET_LINE, GL_AUTO_NORMAL, GL_STENCIL_TEST, GL_NORMALIZE,
                     GL_LIGHTING, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T}) {
    glDisable(cap);
  }
  // Clearing only the bits would leave lights on for the next scene.
  for (int i = 0; i < kLightCount; ++i) glDisable(GL_LIGHT0 + i);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_DITHER);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_FOG_HINT, GL_NICEST);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
}

}  // namespace

float CullingTangent(double fov) {
  if (fov <= 0 || fov + 5 > 89) return static_cast<float>(std::tan(kWidestCullingAngle));
  return static_cast<float>(std::tan((fov + 5) * kPi / 180));
}

void EndShadowPass() {
  Gfx3dState& g = Gfx3d();
  if (!g.shadowPassActive) return;
  g.shadowPassActive = false;
  glDisable(GL_STENCIL_TEST);
}

}  // namespace gfx3d

using namespace gfx3d;

void BeginScene3D(double nearClip, double farClip, double fov) {
  Gfx3dState& g = Gfx3d();
  glDepthMask(GL_TRUE);
  glClear(GL_DEPTH_BUFFER_BIT);
  EndShadowPass();

  const Viewport area = DrawAreaViewport();
  glViewport(area.x, area.y, area.width, area.height);
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
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(g.projection.data());
  g.view = Identity();
  LoadView();
  SetFixedSceneState();

  g.environmentMapping = false;
  g.lightsInUse = 0;
  g.transforms.Reset();
  g.cullingMode = 0;
  g.textureSlot = g.secondTextureSlot = -1;
  BindTextures(-1, -1, false, nullptr);
  const float origin[3] = {0, 0, 0}, ahead[3] = {0, 0, -1};
  std::copy(origin, origin + 3, g.cameraPosition);
  std::copy(ahead, ahead + 3, g.cameraTarget);
}

void EndScene3D() {
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
}

void SetFaceCulling(double mode) {
  Gfx3dState& g = Gfx3d();
  if (mode == 0 || std::isnan(mode)) {
    g.cullingMode = 0;
    glDisable(GL_CULL_FACE);
    return;
  }
  g.cullingMode = mode > 0 ? 1 : -1;
  glFrontFace(mode > 0 ? GL_CW : GL_CCW);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
}

void SetFog(int colour, int mode, double a, double b) {
  if (colour == -1) {
    glDisable(GL_FOG);
    return;
  }
  float rgba[4];
  ColourToFloats(colour, rgba);
  glEnable(GL_FOG);
  glFogfv(GL_FOG_COLOR, rgba);
  if (mode != 0) {
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, static_cast<float>(a));
    return;
  }
  if (a == 0 && b == 0) {
    a = Gfx3d().nearClip;
    b = Gfx3d().farClip;
  }
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, static_cast<float>(a));
  glFogf(GL_FOG_END, static_cast<float>(b));
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
    if (n >= -3) shadow.mode = -n;
    if (n == -3) g.shadowPassActive = true;
    return;
  }
  const int index = n % kLightCount;
  const GLenum light = GL_LIGHT0 + index;
  // A negative cutoff is no angle a light can have; it switches off like 0.
  if (!(spot > 0)) {
    glDisable(light);
    g.lightsInUse &= static_cast<uint8_t>(~(1u << index));
    if (g.lightsInUse == 0) glDisable(GL_LIGHTING);
    return;
  }
  g.lightsInUse |= static_cast<uint8_t>(1u << index);
  glEnable(GL_LIGHTING);
  glEnable(light);
  glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
  const float black[4] = {0, 0, 0, 1};
  glLightfv(light, GL_SPECULAR, black);
  float diffuse[4];
  ColourToFloats(colour, diffuse);
  glLightfv(light, GL_DIFFUSE, diffuse);

  float position[4] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1};
  float direction[3] = {static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
  float cutoff = 180;
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
    glLightfv(light, GL_SPOT_DIRECTION, direction);
  }
  glLightfv(light, GL_POSITION, position);
  glLightf(light, GL_SPOT_CUTOFF, cutoff);
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
