// A small 3D scene built from generated objects: a textured cube morphing
// into a pyramid by key-frame blending, a planet with a moon held by the
// transform stack, a gem built vertex by vertex in code, a two-object world
// file, an orbiting camera, a directional and a moving point light, linear
// fog, and a GLSL shader with a time uniform. The thing under the mouse is
// outlined (a screen ray tested against each object's triangles), and the
// head-up text names it and counts the objects frustum culling let through.
// The directional light casts stencil shadows of the objects on the floor.
// Keys: C face culling, E environment mapping, S shader, H shadows, Escape
// ends.
//
//   scene3d                 run until ended
//   scene3d --frames N      run N frames, then end
//   scene3d --shot FILE     save the 300th frame to FILE (BMP, or PNG for
//                           ".png"), then end
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "examples/scene3d/scene_assets.h"
#include "runtime/runtime.h"

namespace {

constexpr int kCube = 1, kPlanet = 2, kMoon = 3, kWorld = 4, kGem = 5;
// The things the mouse can pick, nearest first when they overlap.
constexpr int kPickable[] = {kCube, kPlanet, kMoon, kGem};
// Scan codes of the letter keys used.
constexpr int kKeyC = 46, kKeyE = 18, kKeyS = 31, kKeyH = 35;
constexpr int kShader = 0;
// What a shadow takes from the light: a little under half.
constexpr int kShadow = 0x707070;
constexpr double kPi = 3.14159265358979323846;
constexpr int kSceneFog = Rgb(32, 48, 80);

struct Toggles {
  int culling = 0;
  bool environment = false;
  bool shader = true;
  bool shadows = true;
  bool held[256] = {};

  // A key switches its toggle once per press.
  bool Pressed(int code) {
    const bool down = KeyDown(code) != 0;
    const bool pressed = down && !held[code];
    held[code] = down;
    return pressed;
  }
};

// A gem built in code: two rings of six corners between a top and a bottom
// point, each corner with its own colour and the normal pointing outwards.
void BuildGem() {
  BeginObject();
  const int top = AddObjectVertex(0, 0.9, 0, 0, 1, 0, 0.5, 0, Rgb(255, 255, 255));
  const int bottom = AddObjectVertex(0, -0.9, 0, 0, -1, 0, 0.5, 1, Rgb(80, 0, 120));
  int ring[2][6];
  for (int level = 0; level < 2; ++level) {
    for (int i = 0; i < 6; ++i) {
      const double angle = (i + level * 0.5) * kPi / 3;
      const double x = std::cos(angle) * 0.6, z = std::sin(angle) * 0.6, y = level ? -0.2 : 0.2;
      const int colour = i % 2 ? Rgb(255, 60, 160) : Rgb(60, 200, 255);
      ring[level][i] = AddObjectVertex(x, y, z, x, y, z, i / 6.0, 0.5, colour);
    }
  }
  for (int i = 0; i < 6; ++i) {
    const int j = (i + 1) % 6;
    AddObjectTriangle(top, ring[0][j], ring[0][i]);
    AddObjectTriangle(ring[0][i], ring[0][j], ring[1][i]);
    AddObjectTriangle(ring[1][i], ring[0][j], ring[1][j]);
    AddObjectTriangle(bottom, ring[1][i], ring[1][j]);
  }
  EndObject(kGem);
}

// Sets the transform object is drawn with; the moon opens a level inside
// the planet's, which Unplace closes.
void Place(int object, double seconds) {
  switch (object) {
    case kCube:
      SetObjectTranslation(-3, 1, 0);
      AddObjectRotation(seconds * 40, 0, 1, 0);
      break;
    case kPlanet:
    case kMoon:
      // The planet spins; its moon orbits in the planet's turning frame.
      SetObjectTranslation(3, 1.5, 0);
      SetObjectScaling(1.4, 1.4, 1.4);
      AddObjectRotation(seconds * 30, 0, 1, 0);
      if (object == kMoon) {
        PushTransform();
        SetObjectTranslation(2.2, 0, 0);
        SetObjectScaling(0.3, 0.3, 0.3);
      }
      break;
    case kGem:
      SetObjectTranslation(0, 0.5 + 0.15 * std::sin(seconds * 2), 0);
      AddObjectRotation(seconds * 50, 0, 1, 0);
      AddObjectRotation(12, 1, 0, 0);
      break;
    default:
      SetObjectTranslation(0, -1, 0);  // the world: a floor and a pillar
  }
}

void Unplace(int object) {
  if (object == kMoon) PopTransform();
}

double CubeBlend(double seconds) {
  return 0.5 - 0.5 * std::cos(seconds);
}

// The thing under the screen point (x, y) nearest the camera, or 0. Each is
// tested in the place it is drawn in.
int PickAt(double x, double y, double seconds) {
  double o[3], d[3];
  ScreenRay(x, y, o[0], o[1], o[2], d[0], d[1], d[2]);
  int picked = 0;
  double nearest = 0;
  for (int object : kPickable) {
    Place(object, seconds);
    // The cube is tested in the key frame it is nearer to.
    const int frame = object == kCube && CubeBlend(seconds) >= 0.5 ? 1 : 0;
    double distance;
    int32_t triangle;
    if (RayHitsObject(object, frame, o[0], o[1], o[2], d[0], d[1], d[2], distance, triangle) &&
        (picked == 0 || distance < nearest)) {
      picked = object;
      nearest = distance;
    }
    Unplace(object);
  }
  return picked;
}

// The picked thing's outline: its back faces, a little larger, behind it,
// in a fog so thick that they take the fog's colour whole.
void DrawOutline(int object, double seconds, int culling) {
  SetFaceCulling(1);  // clockwise fronts: the outward faces are culled
  SetFog(Rgb(255, 220, 40), 1, 100, 0);
  Place(object, seconds);
  PushTransform();
  SetObjectScaling(1.12, 1.12, 1.12);
  if (object == kCube) {
    PutObjectBlended(kCube, 0, 1, CubeBlend(seconds), 1);
  } else {
    PutObject(object, 0);
  }
  PopTransform();
  Unplace(object);
  SetFog(kSceneFog, 0, 10, 28);
  SetFaceCulling(culling);
}

const char* NameOf(int object) {
  switch (object) {
    case kCube:
      return "cube";
    case kPlanet:
      return "planet";
    case kMoon:
      return "moon";
    case kGem:
      return "gem (built in code)";
    default:
      return "-";
  }
}

struct SceneReport {
  int picked = 0;
  int drawn = 0;
};

SceneReport DrawScene(double seconds, const Toggles& t, bool shaderBuilt, double mouseX,
                      double mouseY) {
  BeginScene3D(0.5, 60, 50);
  const double orbit = seconds * 0.25;
  PlaceCamera(std::cos(orbit) * 11, 4 + std::sin(seconds * 0.4), std::sin(orbit) * 11, 0, 0.5, 0);
  SetFaceCulling(t.culling);
  SetFog(kSceneFog, 0, 10, 28);
  SetLight(0, Rgb(224, 224, 224), 0, 0, 0, -0.4, -1, -0.3, 180);
  SetLight(1, Rgb(255, 128, 32), std::cos(seconds) * 4, 2, std::sin(seconds) * 4, 0, 0, 0, 120);
  SetEnvironmentMapping(t.environment ? 1 : 0);
  // The shadow light sits with the directional light: every object drawn
  // from here casts, until the world, which only receives.
  if (t.shadows) SetLight(-3, kShadow, 0, 0, 0, -0.4, -1, -0.3, 180);
  SceneReport report;
  report.picked = PickAt(mouseX, mouseY, seconds);

  // The cube turns into a pyramid and back.
  // Selected after the shader, so the shader's samplers get their units.
  if (t.shader && shaderBuilt) {
    SelectShader(kShader);
    SetShaderFloat(RtString("time"), seconds);
  }
  SelectTextures3D(kCheckerSprite, -1);
  for (int object : {kCube, kPlanet, kMoon, kGem, kWorld}) {
    Place(object, seconds);
    if (object == kCube) {
      PutObjectBlended(kCube, 0, 1, CubeBlend(seconds), 1);
      SelectShader(-1);
      SelectTextures3D(-1, -1);
    } else {
      // The same light, casting switched off (its colour still darkens).
      if (object == kWorld && t.shadows) SetLight(-1, kShadow, 0, 0, 0, -0.4, -1, -0.3, 180);
      PutObject(object, 0);
    }
    Unplace(object);
  }
  SetEnvironmentMapping(0);
  report.drawn = ObjectsDrawn();
  if (report.picked) DrawOutline(report.picked, seconds, t.culling);
  EndScene3D();
  return report;
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
    frames = 300;
  }

  const std::string folder = WriteSceneAssets();
  LoadSceneSprites(folder);
  ObjectFromFile(RtString((folder + "cube.dda").c_str()), kCube);
  ObjectFromFile(RtString((folder + "planet.dda").c_str()), kPlanet);
  ObjectFromFile(RtString((folder + "moon.dda").c_str()), kMoon);
  ObjectFromFile(RtString((folder + "world").c_str()), kWorld);
  BuildGem();
  const bool shaderBuilt = ShaderFromFiles(kShader, RtString((folder + "pulse.vert").c_str()),
                                           RtString((folder + "pulse.frag").c_str()));

  Toggles toggles;
  const double start = TimerNow();
  for (long frame = 0; frames < 0 || frame < frames; ++frame) {
    if (toggles.Pressed(kKeyC)) toggles.culling = toggles.culling == 0 ? 1 : 0;
    if (toggles.Pressed(kKeyE)) toggles.environment = !toggles.environment;
    if (toggles.Pressed(kKeyS)) toggles.shader = !toggles.shader;
    if (toggles.Pressed(kKeyH)) toggles.shadows = !toggles.shadows;
    // The shot's picture keeps to the frame count, whatever the machine's
    // speed.
    const double seconds = shot.empty() ? (TimerNow() - start) / 1000.0 : frame / 60.0;
    // The picture for the shot points at the screen's middle, where the
    // camera keeps the gem.
    double x = 159, y = 119, left, right;
    if (shot.empty()) MouseState(x, y, left, right);
    const SceneReport report = DrawScene(seconds, toggles, shaderBuilt, x, y);
    DrawHeadUp(toggles.culling != 0, toggles.environment, toggles.shader && shaderBuilt,
               toggles.shadows);
    const std::string status = std::string("mouse: ") + NameOf(report.picked) + "  drawn " +
                               std::to_string(report.drawn) + "/5";
    DrawText(RtString(status.c_str()), 4, 16);
    if (!shot.empty() && frame == frames - 1) ScreenToFile(RtString(shot.c_str()));
    EndFrame();
  }
  RemoveSceneAssets(folder);
  End();
}
