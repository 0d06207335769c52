// A small 3D scene built from generated objects: a textured cube morphing
// into a pyramid by key-frame blending, a planet with a moon held by the
// transform stack, a two-object world file, an orbiting camera, a
// directional and a moving point light, linear fog, and a GLSL shader with
// a time uniform. Keys: C face culling, E environment mapping, S shader,
// Escape ends.
//
//   scene3d                 run until ended
//   scene3d --frames N      run N frames, then end
//   scene3d --shot FILE     save the 400th frame to FILE (BMP, or PNG for
//                           ".png"), then end
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "examples/scene3d/scene_assets.h"
#include "runtime/runtime.h"

namespace {

constexpr int kCube = 1, kPlanet = 2, kMoon = 3, kWorld = 4;
// Scan codes of the letter keys used.
constexpr int kKeyC = 46, kKeyE = 18, kKeyS = 31;
constexpr int kShader = 0;

struct Toggles {
  int culling = 0;
  bool environment = false;
  bool shader = true;
  bool held[256] = {};

  // A key switches its toggle once per press.
  bool Pressed(int code) {
    const bool down = KeyDown(code) != 0;
    const bool pressed = down && !held[code];
    held[code] = down;
    return pressed;
  }
};

void DrawScene(double seconds, const Toggles& t, bool shaderBuilt) {
  BeginScene3D(0.5, 60, 50);
  const double orbit = seconds * 0.25;
  PlaceCamera(std::cos(orbit) * 11, 4 + std::sin(seconds * 0.4), std::sin(orbit) * 11, 0, 0.5, 0);
  SetFaceCulling(t.culling);
  SetFog(Rgb(32, 48, 80), 0, 10, 28);
  SetLight(0, Rgb(224, 224, 224), 0, 0, 0, -0.4, -1, -0.3, 180);
  SetLight(1, Rgb(255, 128, 32), std::cos(seconds) * 4, 2, std::sin(seconds) * 4, 0, 0, 0, 120);
  SetEnvironmentMapping(t.environment ? 1 : 0);

  // The cube turns into a pyramid and back.
  // Selected after the shader, so the shader's samplers get their units.
  if (t.shader && shaderBuilt) {
    SelectShader(kShader);
    SetShaderFloat(RtString("time"), seconds);
  }
  SelectTextures3D(kCheckerSprite, -1);
  SetObjectTranslation(-3, 1, 0);
  AddObjectRotation(seconds * 40, 0, 1, 0);
  PutObjectBlended(kCube, 0, 1, 0.5 - 0.5 * std::cos(seconds), 1);
  SelectShader(-1);
  SelectTextures3D(-1, -1);

  // The planet spins; its moon orbits in the planet's turning frame.
  SetObjectTranslation(3, 1.5, 0);
  SetObjectScaling(1.4, 1.4, 1.4);
  AddObjectRotation(seconds * 30, 0, 1, 0);
  PutObject(kPlanet, 0);
  PushTransform();
  SetObjectTranslation(2.2, 0, 0);
  SetObjectScaling(0.3, 0.3, 0.3);
  PutObject(kMoon, 0);
  PopTransform();

  // The world: a floor and a pillar with their own textures.
  SetObjectTranslation(0, -1, 0);
  PutObject(kWorld, 0);
  SetEnvironmentMapping(0);
  EndScene3D();
}

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  settings.frameRate = 60;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Scene 3D");
  ClearRuntimeError();

  long frames = -1;
  std::string shot;
  if (std::strncmp(commandLine, "--frames", 8) == 0) {
    frames = std::strtol(commandLine + 8, nullptr, 10);
  } else if (std::strncmp(commandLine, "--shot ", 7) == 0) {
    shot = commandLine + 7;
    frames = 400;
  }

  const std::string folder = WriteSceneAssets();
  LoadSceneSprites(folder);
  ObjectFromFile(RtString((folder + "cube.dda").c_str()), kCube);
  ObjectFromFile(RtString((folder + "planet.dda").c_str()), kPlanet);
  ObjectFromFile(RtString((folder + "moon.dda").c_str()), kMoon);
  ObjectFromFile(RtString((folder + "world").c_str()), kWorld);
  const bool shaderBuilt = ShaderFromFiles(kShader, RtString((folder + "pulse.vert").c_str()),
                                           RtString((folder + "pulse.frag").c_str()));

  Toggles toggles;
  const double start = TimerNow();
  for (long frame = 0; frames < 0 || frame < frames; ++frame) {
    if (toggles.Pressed(kKeyC)) toggles.culling = toggles.culling == 0 ? 1 : 0;
    if (toggles.Pressed(kKeyE)) toggles.environment = !toggles.environment;
    if (toggles.Pressed(kKeyS)) toggles.shader = !toggles.shader;
    const double seconds = (TimerNow() - start) / 1000.0;
    DrawScene(seconds, toggles, shaderBuilt);
    DrawHeadUp(toggles.culling != 0, toggles.environment, toggles.shader && shaderBuilt);
    if (!shot.empty() && frame == frames - 1) ScreenToFile(RtString(shot.c_str()));
    EndFrame();
  }
  RemoveSceneAssets(folder);
  End();
}
