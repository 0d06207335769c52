// FindPath on random square maps (a fifth of the cells blocked) with weights
// 0, 0.5 and 1, next to the same searches by a plain binary-heap search
// written here, and by FindPath's own planner with the closed-set size given
// as one bucket per cell of the map's bounding square. The ratios per case
// are printed after the table, over wall-clock and over CPU time (on a busy
// machine only the second means much).
//
//   build/bench/pathplan/bench_pathplan
//
// takes about a minute; --benchmark_filter='/(64|256)/' runs the small maps
// only.
#include <benchmark/benchmark.h>

#include "benchmark_table.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "runtime/pathplan/plan_path.h"
#include "runtime/runtime.h"

namespace {

// The same request as FindPath (costs scaled into (1, 2], 4-connected steps,
// f = g + w * (h - g) in single precision, first in first out among equal f)
// with a binary heap for the open list and per-cell arrays for the rest.
int32_t HeapSearch(const NumberArray& map, NumberArray& path, float w, int gx, int gy) {
  const int width = map.DimSize(0);
  const int height = map.DimSize(1);
  const size_t cells = static_cast<size_t>(width) * height;
  std::vector<float> cost(cells);
  double largest = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double v = map.At(x, y);
      if (std::isfinite(v) && v > largest) largest = v;
    }
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double v = map.At(x, y);
      cost[y * width + x] = std::isfinite(v) && v > 0 ? static_cast<float>(v / largest + 1) : -1;
    }
  }
  struct Entry {
    float f;
    uint32_t order;
    int32_t cell;
    bool operator<(const Entry& o) const { return f != o.f ? f > o.f : order > o.order; }
  };
  std::vector<float> g(cells, std::numeric_limits<float>::infinity());
  std::vector<int32_t> parent(cells, -1);
  std::vector<uint8_t> closed(cells, 0);
  std::priority_queue<Entry> open;
  uint32_t order = 0;
  g[0] = 0;
  open.push({0, order++, 0});
  const int32_t goal = gy * width + gx;
  while (!open.empty()) {
    const int32_t at = open.top().cell;
    open.pop();
    if (closed[at]) continue;
    closed[at] = 1;
    if (at == goal) break;
    const int x = at % width, y = at / width;
    const int steps[4][2] = {{0, -1}, {1, 0}, {-1, 0}, {0, 1}};
    for (const auto& s : steps) {
      const int nx = x + s[0], ny = y + s[1];
      if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
      const int32_t n = ny * width + nx;
      if (cost[n] < 0) continue;
      const float ng = g[at] + cost[n];
      if (!(ng < g[n])) continue;
      g[n] = ng;
      parent[n] = at;
      closed[n] = 0;
      const float h = static_cast<float>(std::abs(gx - nx) + std::abs(gy - ny));
      open.push({ng + w * (h - ng), order++, n});
    }
  }
  if (!closed[goal]) {
    path.Dim(0);
    return 0;
  }
  int32_t count = 0;
  for (int32_t c = goal; c >= 0; c = parent[c]) ++count;
  path.Dim(count, 2);
  int32_t i = count - 1;
  for (int32_t c = goal; c >= 0; c = parent[c], --i) {
    path.At(i, 0) = c % width;
    path.At(i, 1) = c / width;
  }
  return count;
}

// The corners (0, 0) and (size - 1, size - 1) are the start and the goal; a
// seed is taken only when they are connected, so every search finds a path.
NumberArray MakeMap(int size) {
  for (uint32_t seed = static_cast<uint32_t>(size);; ++seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> cost(0.5, 10.0);
    NumberArray map;
    map.Dim(size, size);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) map.At(x, y) = rng() % 5 == 0 ? 0.0 : cost(rng);
    }
    map.At(0, 0) = 1;
    map.At(size - 1, size - 1) = 1;
    NumberArray path;
    if (HeapSearch(map, path, 0, size - 1, size - 1) > 0) return map;
  }
}

const NumberArray& Map(int size) {
  static std::map<int, NumberArray> maps;
  auto it = maps.find(size);
  if (it == maps.end()) it = maps.emplace(size, MakeMap(size)).first;
  return it->second;
}

double PathCost(const NumberArray& map, const NumberArray& path) {
  double cost = 0;
  for (int i = 1; i < path.DimSize(0); ++i) cost += map.At(path.At(i, 0), path.At(i, 1));
  return cost;
}

// FindPath's planner with the closed set sized from the map's side instead of
// its cell count (the same for these square maps) and without FindPath's
// checks of the request around it.
int32_t WideClosedSearch(const NumberArray& map, NumberArray& path, double weight, int gx, int gy) {
  SearchParams params;
  params.goalX = gx;
  params.goalY = gy;
  params.diagonalCost = 1;
  params.weight = static_cast<float>(weight);
  params.width = map.DimSize(0);
  params.height = map.DimSize(1);
  params.closedBits = 2 * static_cast<int32_t>(std::ceil(std::log2(params.width)));
  params.costs = &map.At(0, 0);
  return PlanPath(params, path);
}

enum class Search { kFindPath, kHeap, kWideClosed };

void Run(benchmark::State& state, Search search) {
  const int size = static_cast<int>(state.range(0));
  const double weight = static_cast<double>(state.range(1)) / 2;
  const NumberArray& map = Map(size);
  NumberArray path;
  int32_t n = 0;
  for (auto _ : state) {
    switch (search) {
      case Search::kFindPath:
        n = FindPath(map, path, weight, 0, 0, size - 1, size - 1);
        break;
      case Search::kHeap:
        n = HeapSearch(map, path, static_cast<float>(weight), size - 1, size - 1);
        break;
      case Search::kWideClosed:
        n = WideClosedSearch(map, path, weight, size - 1, size - 1);
        break;
    }
    benchmark::DoNotOptimize(n);
  }
  if (n == 0) state.SkipWithError("no path");
  state.counters["cells"] = n;
  state.counters["cost"] = PathCost(map, path);
}

void BM_FindPath(benchmark::State& state) {
  Run(state, Search::kFindPath);
}
void BM_HeapSearch(benchmark::State& state) {
  Run(state, Search::kHeap);
}
void BM_WideClosedSet(benchmark::State& state) {
  Run(state, Search::kWideClosed);
}

// Weights are passed as twice their value.
void Cases(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_FindPath)->Apply(Cases)->ArgsProduct({{64, 256}, {0, 1, 2}});
BENCHMARK(BM_WideClosedSet)->Apply(Cases)->ArgsProduct({{64, 256}, {0, 1, 2}});
BENCHMARK(BM_HeapSearch)->Apply(Cases)->ArgsProduct({{64, 256}, {0, 1, 2}});
BENCHMARK(BM_FindPath)->Apply(Cases)->ArgsProduct({{1024}, {0, 1, 2}});
BENCHMARK(BM_WideClosedSet)->Apply(Cases)->ArgsProduct({{1024}, {0, 1, 2}});
BENCHMARK(BM_HeapSearch)->Apply(Cases)->ArgsProduct({{1024}, {0, 1, 2}});

// Prints the usual table, then for each map size and weight the time per
// call of FindPath and of its search with the wide closed set, each over the
// heap search's, all from this same run.
class RatioReporter : public BenchmarkTable {
 public:
  void Finalize() override {
    BenchmarkTable::Finalize();
    // Grouped by the arguments after the benchmark's own name.
    std::map<std::string, std::map<std::string, Times>> byArgs;
    for (const auto& [name, t] : All()) {
      const size_t slash = name.find('/');
      if (slash == std::string::npos) continue;
      byArgs[name.substr(slash + 1)][name.substr(0, slash)] = t;
    }
    for (const bool wall : {true, false}) {
      std::printf(
          "\n%s per call, ms (size/2*weight)   FindPath   wide closed        heap"
          "   FindPath/heap  wide/heap\n",
          wall ? "wall-clock" : "CPU");
      for (auto& [args, kinds] : byArgs) {
        const auto pick = [&](const char* kind) {
          const Times& t = kinds[kind];
          return wall ? t.wall : t.cpu;
        };
        const double heap = pick("BM_HeapSearch");
        if (heap <= 0) continue;
        const double findPath = pick("BM_FindPath");
        const double wide = pick("BM_WideClosedSet");
        std::printf("  %-26s %10.3f %13.3f %11.3f %14.2fx %9.2fx\n", args.c_str(), findPath * 1e3,
                    wide * 1e3, heap * 1e3, findPath / heap, wide / heap);
      }
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
