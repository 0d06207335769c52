// Frustum culling: a frame of 1,000 objects (spheres of 320 triangles built
// in code), half of them outside the view (beside it and behind the camera),
// drawn with culling off (scene:0), with culling on (scene:1), and only the
// visible half with culling off (scene:2, the floor culling can reach). Each
// iteration is one whole scene ending in glFinish; ms_per_frame is its wall
// time, cpu_ms_per_frame the process's CPU time (the rasteriser's threads
// included; the steadier figure on a shared machine).
//
//   SDL_VIDEODRIVER=offscreen build/bench/gfx3d/bench_gfx3d --benchmark_filter=Culled
//
// The visible spheres are far off and small on the screen, so the frame's
// cost is mostly per object, as in a scene of many small things: culling
// the outside half should take the frame to about half, down to scene:2.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <ctime>

#include "engine_fixture.h"

namespace {

constexpr int kObjects = 1000;
constexpr int kSphere = 100;

// A UV sphere of 16 x 10 quads (320 triangles), radius 0.35.
void BuildSphere() {
  constexpr int kAround = 16, kUp = 10;
  constexpr double kPi = 3.14159265358979323846;
  BeginObject();
  for (int j = 0; j <= kUp; ++j) {
    const double polar = kPi * j / kUp;
    for (int i = 0; i <= kAround; ++i) {
      const double azimuth = 2 * kPi * i / kAround;
      const double x = std::sin(polar) * std::cos(azimuth), y = std::cos(polar),
                   z = std::sin(polar) * std::sin(azimuth);
      AddObjectVertex(0.35 * x, 0.35 * y, 0.35 * z, x, y, z, double(i) / kAround, double(j) / kUp,
                      0x40C0E0);
    }
  }
  for (int j = 0; j < kUp; ++j) {
    for (int i = 0; i < kAround; ++i) {
      const int a = j * (kAround + 1) + i, b = a + 1, c = a + kAround + 1, d = c + 1;
      AddObjectTriangle(a, c, b);
      AddObjectTriangle(b, c, d);
    }
  }
  EndObject(kSphere);
}

// Object k's place: the even ones on a 25 x 20 grid filling the view ahead,
// the odd ones beside it (left and right) or behind the camera.
void Place(int k) {
  const int n = k / 2, column = n % 25, row = n / 25;
  const double x = (column - 12) * 1.5, y = (row - 9.5) * 1.5;
  if (k % 2 == 0) {
    SetObjectTranslation(x, y, -40);
  } else if (n % 2 == 0) {
    SetObjectTranslation(x + (x < 0 ? -40 : 40), y, -40);
  } else {
    SetObjectTranslation(x, y, 40);
  }
}

void BM_CulledScene(benchmark::State& state) {
  static bool built = false;
  testenv::SharedEngine();
  if (!built) {
    BuildSphere();
    built = true;
  }
  const int scene = static_cast<int>(state.range(0));
  int drawn = 0;
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t startCpu = std::clock();
  for (auto _ : state) {
    BeginScene3D(1, 100, 45);
    SetFrustumCulling(scene == 1 ? 1 : 0);
    PlaceCamera(0, 0, 0, 0, 0, -1);
    SetLight(0, 0xFFFFFF, 0, 0, 0, 0.3, -0.5, -1, 180);
    for (int k = 0; k < kObjects; k += scene == 2 ? 2 : 1) {
      Place(k);
      PutObject(kSphere, 0);
    }
    drawn = ObjectsDrawn();
    EndScene3D();
    glFinish();
  }
  SetFrustumCulling(1);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double cpuMs = 1000.0 * static_cast<double>(std::clock() - startCpu) / CLOCKS_PER_SEC;
  state.counters["ms_per_frame"] = ms / static_cast<double>(state.iterations());
  state.counters["cpu_ms_per_frame"] = cpuMs / static_cast<double>(state.iterations());
  state.counters["drawn"] = drawn;
}

BENCHMARK(BM_CulledScene)
    ->ArgName("scene")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
