// PutObject and PutObjectBlended on a 10,000-triangle object (a rippled
// 100 x 50 grid of squares with two key frames), unlit and with one
// directional light, in the 320 x 240 screen on whatever GL the machine has
// (llvmpipe headless). Each iteration draws once and waits for the driver
// (glFinish), so the rate covers vertex transfer and rasterisation.
//
//   SDL_VIDEODRIVER=offscreen build/bench/gfx3d/bench_gfx3d
//
// The tri_per_ms column is triangles drawn per millisecond, tri_per_cpu_ms
// per millisecond of the process's CPU time (the rasteriser's threads
// included; the steadier figure on a shared machine). BM_BareVertexBuffer
// is the ceiling: the same frame from a vertex buffer with the driver called
// directly, under the state PutObject left.
//
// BM_ShadowedFrame is a whole scene: a floor, then a caster (a 12-triangle
// box, or the rippled grid, an open mesh) from a point light, with the
// shadow pass off and on; the difference is what the shadows cost a frame
// (building the volume on the CPU, counting it in the stencil buffer and
// darkening).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <ctime>
#include <string>

#include "engine_fixture.h"
#include "runtime/files/file_stream.h"
#include "runtime/gfx3d/object_store.h"
#include "runtime/render/gl_extensions.h"

namespace {

constexpr int kColumns = 100, kRows = 50;
constexpr double kTriangles = kColumns * kRows * 2;

std::string GridObject() {
  const int vx = kColumns + 1, vy = kRows + 1;
  std::string t = "DDDA 1.0 0 1 200 180 90 " + std::to_string(kColumns * kRows * 6) + "\n";
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const int a = r * vx + c, b = a + 1, d = a + vx, e = d + 1;
      for (int i : {a, b, e, a, e, d}) t += std::to_string(i) + " 0 ";
    }
  }
  t += "\n2\n";
  for (int frame = 0; frame < 2; ++frame) {
    t += std::to_string(vx * vy) + "\n";
    for (int y = 0; y < vy; ++y) {
      for (int x = 0; x < vx; ++x) {
        const double z = -0.3 * std::sin(x * 0.3 + frame) * std::cos(y * 0.3);
        t += std::to_string(x * 0.08 - 4) + " " + std::to_string(y * 0.08 - 2) + " " +
             std::to_string(z) + "\n";
      }
    }
  }
  return t;
}

void Setup() {
  static bool loaded = false;
  testenv::SharedEngine();
  if (loaded) return;
  static const std::string object = GridObject();
  const std::string name = MemoryName(object.data(), object.size());
  ObjectFromFile(RtString(name.c_str()), 1);
  loaded = true;
}

double CpuMs() {
  return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Triangles per millisecond of wall time and of CPU time over the timed loop.
void ReportRate(benchmark::State& state, std::chrono::steady_clock::time_point start,
                double startCpu) {
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double triangles = kTriangles * static_cast<double>(state.iterations());
  state.counters["tri_per_ms"] = triangles / ms;
  state.counters["tri_per_cpu_ms"] = triangles / (CpuMs() - startCpu);
}

void Scene(bool lit) {
  BeginScene3D(1, 100, 45);
  PlaceCamera(0, 0, 6, 0, 0, 0);
  if (lit) SetLight(0, 0xFFFFFF, 0, 0, 0, 0.3, -0.5, -1, 180);
}

void BM_PutObject(benchmark::State& state) {
  Setup();
  Scene(state.range(0) != 0);
  const auto start = std::chrono::steady_clock::now();
  const double startCpu = CpuMs();
  for (auto _ : state) {
    PutObject(1, 0);
    glFinish();
  }
  EndScene3D();
  ReportRate(state, start, startCpu);
}

void BM_PutObjectBlended(benchmark::State& state) {
  Setup();
  Scene(state.range(0) != 0);
  double t = 0;
  const auto start = std::chrono::steady_clock::now();
  const double startCpu = CpuMs();
  for (auto _ : state) {
    PutObjectBlended(1, 0, 1, t, 0);
    t = t > 0.9 ? 0.1 : t + 0.01;
    glFinish();
  }
  EndScene3D();
  ReportRate(state, start, startCpu);
}

std::string BoxObject(float x0, float x1, float y0, float y1, float z0, float z1) {
  std::string t = "DDDA 1.0 0 1 160 160 160 36";
  for (int i : {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3})
    t += " " + std::to_string(i) + " 0";
  t += " 1 8";
  for (int corner = 0; corner < 8; ++corner) {
    t += " " + std::to_string(corner & 4 ? x1 : x0) + " " + std::to_string(corner & 2 ? y1 : y0) +
         " " + std::to_string(corner & 1 ? z1 : z0);
  }
  return t;
}

// Arguments: caster (0 the box, 1 the grid), shadows (0 off, 1 on).
void BM_ShadowedFrame(benchmark::State& state) {
  Setup();
  static bool loaded = false;
  if (!loaded) {
    for (auto [slot, text] : {std::pair{2, BoxObject(-8, 8, -8, 8, -3, -2)},
                              std::pair{3, BoxObject(-1, 1, -1, 1, 0.5f, 1.5f)}}) {
      const std::string name = MemoryName(text.data(), text.size());
      ObjectFromFile(RtString(name.c_str()), slot);
    }
    loaded = true;
  }
  const int caster = state.range(0) ? 1 : 3;
  const bool shadows = state.range(1) != 0;
  const double triangles = state.range(0) ? kTriangles : 12;
  size_t frames = 0;
  for (auto _ : state) {
    BeginScene3D(1, 100, 45);
    PlaceCamera(0, -3, 7, 0, 0, 0);
    PutObject(2, 0);
    if (shadows) SetLight(-3, 0x808080, 1, 1, 9, 0, 0, 0, 1);
    PutObject(caster, 0);
    EndScene3D();
    glFinish();
    ++frames;
  }
  state.counters["caster_triangles"] = triangles;
  state.counters["frames"] = static_cast<double>(frames);
}

void BM_BareVertexBuffer(benchmark::State& state) {
  Setup();
  if (!ext::glGenBuffersARB) {
    state.SkipWithError("no vertex buffer objects");
    return;
  }
  Scene(state.range(0) != 0);
  // Leaves the texture, colour and lighting state a PutObject draws under.
  PutObject(1, 0);
  glFinish();
  const auto& vertices = gfx3d::DrawableObject(1)->mesh.frames[0].vertices;
  using Vertex = gfx3d::MeshVertex;
  GLuint buffer = 0;
  ext::glGenBuffersARB(1, &buffer);
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
  ext::glBufferDataARB(GL_ARRAY_BUFFER_ARB,
                       static_cast<GLsizeiptrARB>(vertices.size() * sizeof(Vertex)),
                       vertices.data(), GL_STATIC_DRAW_ARB);
  auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
  const GLsizei stride = sizeof(Vertex);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, at(offsetof(Vertex, position)));
  glEnableClientState(GL_NORMAL_ARRAY);
  glNormalPointer(GL_FLOAT, stride, at(offsetof(Vertex, normal)));
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(3, GL_FLOAT, stride, at(offsetof(Vertex, rgb)));
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, stride, at(offsetof(Vertex, uv)));
  const auto start = std::chrono::steady_clock::now();
  const double startCpu = CpuMs();
  for (auto _ : state) {
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    glFinish();
  }
  ReportRate(state, start, startCpu);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  ext::glDeleteBuffersARB(1, &buffer);
  glColor4f(1, 1, 1, 1);
  EndScene3D();
}

BENCHMARK(BM_PutObject)
    ->ArgName("lit")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PutObjectBlended)
    ->ArgName("lit")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_BareVertexBuffer)
    ->ArgName("lit")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_ShadowedFrame)
    ->ArgNames({"grid", "shadows"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
