// Everything the 3D renderer keeps between commands: the object and shader
// slots, the scene's projection and camera, lights, fog and transforms.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/gfx3d/frustum.h"
#include "runtime/gfx3d/matrix.h"
#include "runtime/gfx3d/mesh.h"
#include "runtime/gfx3d/transform_stack.h"

namespace gfx3d {

constexpr int kObjectSlots = 65536;
constexpr int kShaderSlots = 255;
constexpr int kLightCount = 8;

// One mesh of a world with its two texture numbers (0-based entries of the
// world's texture list; anything outside the list means no texture).
struct WorldObject {
  Mesh mesh;
  int32_t textureA = 0;
  int32_t textureB = 0;
};

struct ObjectSlot {
  bool inUse = false;
  bool isWorld = false;
  Mesh mesh;
  // A world's textures (0 where an image did not load) and meshes.
  std::vector<uint32_t> worldTextures;
  std::vector<WorldObject> worldObjects;
  // Bounds for culling and ray tests, made on first use (SlotBounds).
  std::vector<MeshBounds> bounds;
  bool boundsMade = false;
};

// An object being built in code: its vertices and, three per triangle, the
// vertex numbers of its corners (built_objects.cpp).
struct ObjectBuild {
  bool open = false;
  std::vector<MeshVertex> vertices;
  std::vector<int64_t> corners;
  // The first thing wrong with what was added; the end refuses the object.
  std::string fault;
};

struct ShaderSlot {
  uint32_t program = 0;
  uint32_t vertexShader = 0;
  uint32_t fragmentShader = 0;
};

struct ShadowLight {
  float position[3] = {0, 0, 0};
  // Unit direction the light travels in, used when directional.
  float direction[3] = {0, 0, -1};
  bool directional = false;
  int32_t colour = 0;
  int32_t mode = 0;
  bool on = false;
};

// Receives the shader builder's reports, one message per call; none is
// installed outside debug mode.
using ShaderReporter = std::function<void(const char* message)>;

struct Gfx3dState {
  // Made on first use; a slot number outside the table does nothing.
  std::vector<std::unique_ptr<ObjectSlot>> objects =
      std::vector<std::unique_ptr<ObjectSlot>>(kObjectSlots);

  ShaderSlot shaders[kShaderSlots];
  int32_t currentShader = -1;
  bool shaderSupportReported = false;
  ShaderReporter shaderReporter;

  double nearClip = 1, farClip = 1000;
  float cullingTangent = 1;
  Matrix projection = Identity();
  Matrix view = Identity();
  float cameraPosition[3] = {0, 0, 0};
  float cameraTarget[3] = {0, 0, -1};
  float cameraUp[3] = {0, 1, 0};
  int32_t cullingMode = 0;
  uint8_t lightsInUse = 0;
  bool environmentMapping = false;
  ShadowLight shadowLight;
  bool shadowPassActive = false;
  TransformStack transforms;

  // The planes of the last scene's view; objects are culled against them
  // only while a scene is open (frustum.cpp).
  ViewFrustum frustum;
  bool sceneOpen = false;
  bool frustumCulling = true;
  uint32_t objectsDrawn = 0, objectsCulled = 0;
  // The scene's area in the target's pixels, origin at the top left, which
  // screen points are read against (picking.cpp).
  int32_t sceneX = 0, sceneY = 0, sceneWidth = 0, sceneHeight = 0;
  ObjectBuild build;

  int32_t textureSlot = -1;
  int32_t secondTextureSlot = -1;
  bool mipmapped = false;

  // Blended key frames are built here; reused and only grown.
  std::vector<MeshVertex> blendVertices;
  // Colours with alpha of an object drawn translucent; reused likewise.
  std::vector<float> translucentColours;
};

Gfx3dState& Gfx3d();

inline bool ValidObjectSlot(int n) {
  return n >= 0 && n < kObjectSlots;
}

}  // namespace gfx3d
