// FindPath as a program sees it: paths checked step by step against an
// independent Dijkstra on random maps, cell for cell against a plain sorted
// list search and against the closed set's old size, the tie-breaking order,
// the scaling of costs, and every refusal with what it leaves in the path
// array.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <random>
#include <utility>
#include <vector>

#include "runtime/pathplan/find_path.h"
#include "runtime/pathplan/grid_planner.h"

namespace {

using Cell = std::pair<int, int>;
using Cells = std::vector<Cell>;

NumberArray MakeMap(int width, int height, const std::function<double(int, int)>& value) {
  NumberArray map;
  map.Dim(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) map.At(x, y) = value(x, y);
  }
  return map;
}

NumberArray UniformMap(int width, int height, double value) {
  return MakeMap(width, height, [=](int, int) { return value; });
}

// About a fifth of the cells blocked, the others costing 0.5 to 10; the two
// corners (0, 0) and (width - 1, height - 1) are always open.
NumberArray RandomMap(int width, int height, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> cost(0.5, 10.0);
  NumberArray map =
      MakeMap(width, height, [&](int, int) { return rng() % 5 == 0 ? 0.0 : cost(rng); });
  map.At(0, 0) = cost(rng);
  map.At(width - 1, height - 1) = cost(rng);
  return map;
}

template <typename T>
Cells CellsOf(const RtArray<T>& path) {
  Cells cells;
  for (int i = 0; i < path.DimSize(0); ++i) {
    cells.emplace_back(static_cast<int>(path.At(i, 0)), static_cast<int>(path.At(i, 1)));
  }
  return cells;
}

// A cell's cost as the search sees it, worked out here on its own.
struct Costs {
  int width = 0;
  int height = 0;
  std::vector<float> cell;  // -1 when blocked

  explicit Costs(const NumberArray& map) : width(map.DimSize(0)), height(map.DimSize(1)) {
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
        cell.push_back(std::isfinite(v) && v > 0 ? static_cast<float>(v / largest + 1) : -1.0f);
      }
    }
  }
  float At(int x, int y) const { return cell[y * width + x]; }

  // Cheapest cost from start to every cell, summed in single precision in
  // path order as the search sums it; infinity where unreachable.
  std::vector<float> Dijkstra(Cell start) const {
    std::vector<float> dist(cell.size(), std::numeric_limits<float>::infinity());
    using Item = std::pair<float, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
    dist[start.second * width + start.first] = 0;
    queue.push({0.0f, start.second * width + start.first});
    while (!queue.empty()) {
      const auto [d, at] = queue.top();
      queue.pop();
      if (d > dist[at]) continue;
      const int x = at % width, y = at / width;
      for (auto [dx, dy] : {Cell{0, -1}, Cell{1, 0}, Cell{-1, 0}, Cell{0, 1}}) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= width || ny >= height || At(nx, ny) < 0) continue;
        const float nd = d + At(nx, ny);
        if (nd < dist[ny * width + nx]) {
          dist[ny * width + nx] = nd;
          queue.push({nd, ny * width + nx});
        }
      }
    }
    return dist;
  }

  bool Connected(Cell from, Cell to) const {
    std::vector<char> seen(cell.size(), 0);
    std::vector<Cell> todo{from};
    seen[from.second * width + from.first] = 1;
    while (!todo.empty()) {
      const auto [x, y] = todo.back();
      todo.pop_back();
      if (Cell(x, y) == to) return true;
      for (auto [dx, dy] : {Cell{0, -1}, Cell{1, 0}, Cell{-1, 0}, Cell{0, 1}}) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= width || ny >= height || At(nx, ny) < 0) continue;
        if (!seen[ny * width + nx]) {
          seen[ny * width + nx] = 1;
          todo.push_back({nx, ny});
        }
      }
    }
    return false;
  }

  // The path's cost, after checking that it runs from start to goal in
  // single 4-connected steps over passable cells.
  float CheckedCost(const Cells& path, Cell start, Cell goal) const {
    EXPECT_GE(path.size(), 2u);
    if (path.size() < 2) return -1;
    EXPECT_EQ(path.front(), start);
    EXPECT_EQ(path.back(), goal);
    float cost = 0;
    for (size_t i = 1; i < path.size(); ++i) {
      const auto [x, y] = path[i];
      EXPECT_EQ(std::abs(x - path[i - 1].first) + std::abs(y - path[i - 1].second), 1)
          << "step " << i;
      EXPECT_TRUE(x >= 0 && y >= 0 && x < width && y < height && At(x, y) > 0) << "step " << i;
      if (x < 0 || y < 0 || x >= width || y >= height) return -1;
      cost += At(x, y);
    }
    return cost;
  }
};

TEST(FindPathTest, MatchesAReferenceDijkstraOnRandomMaps) {
  std::mt19937 rng(2024);
  int found = 0, unreachable = 0;
  for (int round = 0; round < 120; ++round) {
    const int width = 1 + static_cast<int>(rng() % 64);
    const int height = 1 + static_cast<int>(rng() % 64);
    if (width * height < 2) continue;
    const NumberArray map = RandomMap(width, height, rng());
    Cell start, goal;
    do {
      start = {static_cast<int>(rng() % width), static_cast<int>(rng() % height)};
      goal = {static_cast<int>(rng() % width), static_cast<int>(rng() % height)};
    } while (start == goal);
    const Costs costs(map);
    const float best = costs.Dijkstra(start)[goal.second * width + goal.first];
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << width << " x " << height);

    for (double weight : {0.0, 0.25, 0.5, 1.0}) {
      NumberArray path;
      path.Dim(3);
      const int32_t n =
          FindPath(map, path, weight, start.first, start.second, goal.first, goal.second);
      if (std::isinf(best)) {
        EXPECT_EQ(n, 0) << "weight " << weight;
        EXPECT_EQ(path.DimCount(), 0);
        continue;
      }
      ASSERT_GT(n, 1) << "weight " << weight;
      EXPECT_EQ(path.DimCount(), 2);
      EXPECT_EQ(path.DimSize(0), n);
      EXPECT_EQ(path.DimSize(1), 2);
      const float cost = costs.CheckedCost(CellsOf(path), start, goal);
      if (weight == 0) {
        // The same sums in the same order as the reference.
        EXPECT_EQ(cost, best);
      } else if (weight <= 0.5) {
        // Distance weighted no more than cost never overestimates.
        EXPECT_NEAR(cost, best, best * 1e-5f) << "weight " << weight;
      } else {
        EXPECT_GE(cost, best * (1 - 1e-5f));
      }
    }
    std::isinf(best) ? ++unreachable : ++found;
  }
  // Both outcomes were exercised.
  EXPECT_GT(found, 60);
  EXPECT_GT(unreachable, 3);
}

// a * b rounded on its own, never fused with a following addition.
float Product(float a, float b) {
  volatile float product = a * b;
  return product;
}

// The search order the planner is built to keep, written out as plainly as
// possible: the open list is a vector sorted by descending priority, a node
// enters in front of the nodes of equal priority, the cheapest is taken from
// the back, and open cells are found by a scan. Slow, so only for small maps.
Cells SortedListPath(const Costs& costs, float w, Cell start, Cell goal, bool diagonalSteps) {
  const int width = costs.width;
  const int cells = width * costs.height;
  std::vector<float> g(cells), f(cells);
  std::vector<int> parent(cells, -1);
  std::vector<char> closed(cells, 0);
  std::vector<int> open;
  auto enter = [&](int cell) {
    const auto at = std::lower_bound(open.begin(), open.end(), f[cell],
                                     [&](int other, float value) { return f[other] > value; });
    open.insert(at, cell);
  };
  const int startCell = start.second * width + start.first;
  const int goalCell = goal.second * width + goal.first;
  g[startCell] = f[startCell] = 0;
  open.push_back(startCell);
  const struct {
    int dx, dy;
    bool diagonal;
  } steps[8] = {{-1, -1, true}, {0, -1, false}, {1, -1, true}, {1, 0, false},
                {-1, 0, false}, {-1, 1, true},  {0, 1, false}, {1, 1, true}};
  while (!open.empty()) {
    const int at = open.back();
    open.pop_back();
    if (at == goalCell) {
      Cells path;
      for (int c = at; c >= 0; c = parent[c]) path.insert(path.begin(), {c % width, c / width});
      return path;
    }
    const int x = at % width, y = at / width;
    for (const auto& step : steps) {
      if (step.diagonal && !diagonalSteps) continue;
      const int nx = x + step.dx, ny = y + step.dy;
      if (nx < 0 || ny < 0 || nx >= width || ny >= costs.height) continue;
      const float c = costs.At(nx, ny);
      if (c < 0) continue;
      const int n = ny * width + nx;
      const float ng = g[at] + (step.diagonal ? Product(c, kDiagonalFactor) : c);
      const int h = std::abs(goal.first - nx) + std::abs(goal.second - ny);
      const float nf = ng + Product(w, static_cast<float>(h) - ng);
      const auto inOpen = std::find(open.rbegin(), open.rend(), n);
      const bool seen = closed[n] || inOpen != open.rend() || n == startCell;
      if (seen && !(ng < g[n])) continue;
      if (inOpen != open.rend()) open.erase(std::next(inOpen).base());
      closed[n] = 0;
      g[n] = ng;
      f[n] = nf;
      parent[n] = at;
      enter(n);
    }
    closed[at] = 1;
  }
  return {};
}

// The path of a planner set up with the given closed-set exponent and step
// rules, or no cells when there is none.
Cells PlannerPath(const NumberArray& map, float w, Cell start, Cell goal, int32_t closedBits,
                  bool diagonalSteps = false) {
  SearchParams params;
  params.startX = start.first;
  params.startY = start.second;
  params.goalX = goal.first;
  params.goalY = goal.second;
  params.diagonalCost = 1;
  params.diagonalSteps = diagonalSteps ? 1 : 0;
  params.closedBits = closedBits;
  params.weight = w;
  params.width = map.DimSize(0);
  params.height = map.DimSize(1);
  params.costs = &map.At(0, 0);
  AStarPlanner planner;
  Cells path;
  if (!planner.SetUp(params)) return path;
  planner.BeginSearch();
  EXPECT_TRUE(planner.RunSearch());
  for (const Node* n = planner.Result(); n != nullptr; n = n->parent) {
    path.insert(path.begin(), {n->x, n->y});
  }
  EXPECT_EQ(planner.OpenSize() + planner.ClosedSize(), planner.NodesInUse());
  planner.ReleaseSearch();
  EXPECT_EQ(planner.NodesInUse(), 0);
  return path;
}

// Costs from a handful of values give many equal priorities, so the order
// among equals decides most steps; spread-out costs give few ties.
NumberArray FewCostsMap(int width, int height, uint32_t seed) {
  std::mt19937 rng(seed);
  NumberArray map =
      MakeMap(width, height, [&](int, int) { return rng() % 5 == 0 ? 0.0 : 1.0 + rng() % 4; });
  map.At(0, 0) = 2;
  map.At(width - 1, height - 1) = 2;
  return map;
}

TEST(FindPathTest, SameCellsAsAPlainSortedListSearch) {
  std::mt19937 rng(99);
  int found = 0, unreachable = 0;
  for (int round = 0; round < 40; ++round) {
    // Every fourth map is small and may wall the goal off: such searches
    // close every cell they reach, slowly in the plain search.
    const bool small = round % 4 == 3;
    const int width = 2 + static_cast<int>(rng() % (small ? 16 : 72));
    const int height = 2 + static_cast<int>(rng() % (small ? 16 : 72));
    const bool fewCosts = round % 2 == 0;
    NumberArray map;
    Cell start, goal;
    do {
      map = fewCosts ? FewCostsMap(width, height, rng()) : RandomMap(width, height, rng());
      start = {static_cast<int>(rng() % width), static_cast<int>(rng() % height)};
      goal = {width - 1 - start.first, height - 1 - start.second};
    } while (start == goal || (!small && !Costs(map).Connected(start, goal)));
    const Costs costs(map);
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << width << " x " << height);
    for (float weight : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
      const Cells expected = SortedListPath(costs, weight, start, goal, false);
      NumberArray path;
      FindPath(map, path, weight, start.first, start.second, goal.first, goal.second);
      ASSERT_EQ(CellsOf(path), expected) << "weight " << weight;
      // Eight neighbours give the order among equals more to decide.
      EXPECT_EQ(PlannerPath(map, weight, start, goal, 8, true),
                SortedListPath(costs, weight, start, goal, true))
          << "diagonal, weight " << weight;
      expected.empty() ? ++unreachable : ++found;
    }
  }
  EXPECT_GT(found, 150);
  EXPECT_GT(unreachable, 0);
}

TEST(FindPathTest, ClosedSetSizeNeverChangesThePath) {
  // The 256 buckets FindPath once used (and a single bucket on the smallest
  // maps) against the bucket per cell it uses now. With the old size a
  // search that closes most of a large map takes many seconds, so the large
  // maps are searched with weights that head for the goal.
  struct Case {
    int size;
    std::vector<float> weights;
  };
  const Case cases[] = {{64, {0, 0.5f, 0.75f, 1}},
                        {128, {0, 0.5f, 0.6f, 1}},
                        {256, {0.6f, 0.75f, 1}},
                        {512, {0.6f, 0.8f, 1}}};
  uint32_t seed = 1;
  for (const Case& c : cases) {
    for (bool fewCosts : {false, true}) {
      const Cell start{0, 0}, goal{c.size - 1, c.size - 1};
      // A goal walled off would have every search close the whole map.
      NumberArray map;
      do {
        map = fewCosts ? FewCostsMap(c.size, c.size, seed++) : RandomMap(c.size, c.size, seed++);
      } while (!Costs(map).Connected(start, goal));
      for (float weight : c.weights) {
        SCOPED_TRACE(testing::Message() << c.size << " x " << c.size << ", weight " << weight);
        NumberArray path;
        FindPath(map, path, weight, 0, 0, goal.first, goal.second);
        const Cells cells = CellsOf(path);
        EXPECT_EQ(cells, PlannerPath(map, weight, start, goal, 8));
        if (c.size <= 64) {
          EXPECT_EQ(cells, PlannerPath(map, weight, start, goal, 0));
        }
      }
    }
  }
}

TEST(FindPathTest, TiesGoToTheEarlierNeighbourAndTheEarlierEntry) {
  // Two equal routes on 2 x 2: the step along x comes first in the neighbour
  // order, and its cell entered the open list first.
  const NumberArray square = UniformMap(2, 2, 1.0);
  NumberArray path;
  ASSERT_EQ(FindPath(square, path, 0, 0, 0, 1, 1), 3);
  EXPECT_EQ(CellsOf(path), (Cells{{0, 0}, {1, 0}, {1, 1}}));
  ASSERT_EQ(FindPath(square, path, 0, 1, 1, 0, 0), 3);
  EXPECT_EQ(CellsOf(path), (Cells{{1, 1}, {1, 0}, {0, 0}}));
  ASSERT_EQ(FindPath(square, path, 0, 1, 0, 0, 1), 3);
  EXPECT_EQ(CellsOf(path), (Cells{{1, 0}, {0, 0}, {0, 1}}));

  // Around a wall: the step to x + 1 comes before the step to x - 1.
  NumberArray walled = UniformMap(3, 3, 1.0);
  walled.At(1, 1) = 0;
  ASSERT_EQ(FindPath(walled, path, 0, 1, 0, 1, 2), 5);
  EXPECT_EQ(CellsOf(path), (Cells{{1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}}));

  // On 3 x 3 first-in-first-out among equal costs takes the row first.
  const NumberArray nine = UniformMap(3, 3, 4.0);
  ASSERT_EQ(FindPath(nine, path, 0, 0, 0, 2, 2), 5);
  EXPECT_EQ(CellsOf(path), (Cells{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}));
}

TEST(FindPathTest, SameMapSamePathEveryTime) {
  const NumberArray map = RandomMap(64, 64, 77);
  for (double weight : {0.0, 0.5, 1.0}) {
    NumberArray first;
    IntArray asInts;
    const int32_t n = FindPath(map, first, weight, 0, 0, 63, 63);
    ASSERT_GT(n, 0);
    for (int run = 0; run < 3; ++run) {
      NumberArray again;
      ASSERT_EQ(FindPath(map, again, weight, 0, 0, 63, 63), n);
      EXPECT_EQ(CellsOf(again), CellsOf(first)) << "weight " << weight;
    }
    ASSERT_EQ(FindPath(map, asInts, weight, 0, 0, 63, 63), n);
    EXPECT_EQ(CellsOf(asInts), CellsOf(first));
  }
}

TEST(FindPathTest, OnlyCostRatiosCount) {
  // Scaling by powers of two is exact, so even far outside the float range
  // the same path must come out.
  const NumberArray base = RandomMap(40, 30, 5);
  for (double weight : {0.0, 0.5, 1.0}) {
    NumberArray expected;
    ASSERT_GT(FindPath(base, expected, weight, 0, 0, 39, 29), 0);
    for (int exponent : {2, 900, -900}) {
      const NumberArray scaled =
          MakeMap(40, 30, [&](int x, int y) { return std::ldexp(base.At(x, y), exponent); });
      NumberArray path;
      ASSERT_GT(FindPath(scaled, path, weight, 0, 0, 39, 29), 0);
      EXPECT_EQ(CellsOf(path), CellsOf(expected)) << "2^" << exponent << ", weight " << weight;
    }
  }
}

TEST(FindPathTest, CellsThatAreNotFinitePositiveNumbersAreWalls) {
  // A cheap middle row whose one gap holds NaN, infinity or a negative
  // number: the path must go around through the dear rows.
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, -1.0, 0.0}) {
    const NumberArray map = MakeMap(5, 3, [&](int x, int y) {
      if (y != 1) return 9.0;
      return x == 2 ? bad : 1.0;
    });
    NumberArray path;
    const int32_t n = FindPath(map, path, 0, 0, 1, 4, 1);
    ASSERT_EQ(n, 7) << bad;
    for (const auto& [x, y] : CellsOf(path)) EXPECT_NE(x == 2 && y == 1, true) << bad;
    // The other costs still scale by the largest finite one.
    const float cost = Costs(map).CheckedCost(CellsOf(path), {0, 1}, {4, 1});
    EXPECT_FLOAT_EQ(cost, 3 * (1.0f / 9 + 1) + 3 * 2.0f) << bad;
  }
}

TEST(FindPathTest, OneRowAndOneColumnMaps) {
  // Catches width and height taken the wrong way round.
  NumberArray path;
  ASSERT_EQ(FindPath(UniformMap(1, 5, 1.0), path, 0, 0, 4, 0, 0), 5);
  EXPECT_EQ(CellsOf(path), (Cells{{0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}}));
  ASSERT_EQ(FindPath(UniformMap(3, 1, 1.0), path, 1, 2, 0, 0, 0), 3);
  EXPECT_EQ(CellsOf(path), (Cells{{2, 0}, {1, 0}, {0, 0}}));
}

TEST(FindPathTest, BlockedStartIsAcceptedBlockedGoalIsNeverReached) {
  NumberArray map = UniformMap(4, 4, 1.0);
  map.At(0, 0) = 0;
  NumberArray path;
  ASSERT_EQ(FindPath(map, path, 0.5, 0, 0, 3, 3), 7);
  EXPECT_EQ(CellsOf(path).front(), Cell(0, 0));

  for (double goalValue : {0.0, -2.0}) {
    NumberArray blocked = UniformMap(4, 4, 1.0);
    blocked.At(3, 3) = goalValue;
    path.Dim(5, 2);
    EXPECT_EQ(FindPath(blocked, path, 0, 0, 0, 3, 3), 0);
    EXPECT_EQ(path.DimCount(), 0);
    EXPECT_EQ(path.DimSize(0), 0);
  }

  // Walled off: no path, and the array is emptied.
  NumberArray walled = UniformMap(5, 5, 1.0);
  for (int y = 0; y < 5; ++y) walled.At(2, y) = 0;
  path.Dim(2, 2);
  EXPECT_EQ(FindPath(walled, path, 1, 0, 0, 4, 4), 0);
  EXPECT_EQ(path.DimCount(), 0);
}

TEST(FindPathTest, RefusalsReturnZeroAndLeaveThePathAlone) {
  auto expectRefused = [](const NumberArray& map, double weight, double sx, double sy, double gx,
                          double gy) {
    NumberArray path;
    path.Dim(3, 2);
    path.At(2, 1) = 42;
    EXPECT_EQ(FindPath(map, path, weight, sx, sy, gx, gy), 0)
        << sx << "," << sy << " -> " << gx << "," << gy;
    EXPECT_EQ(path.DimSize(0), 3);
    EXPECT_EQ(path.DimSize(1), 2);
    EXPECT_EQ(path.At(2, 1), 42);
  };

  // A 1 x 1 map only has requests whose start equals their goal.
  expectRefused(UniformMap(1, 1, 1.0), 0, 0, 0, 0, 0);
  const NumberArray map = UniformMap(5, 4, 1.0);
  expectRefused(map, 0, 2, 2, 2, 2);
  expectRefused(map, 0, -1, 0, 4, 3);
  expectRefused(map, 0, 0, -1, 4, 3);
  expectRefused(map, 0, 0, 0, 5, 3);
  expectRefused(map, 0, 0, 0, 4, 4);
  expectRefused(map, 0, 0, 0, NAN, 3);
  expectRefused(map, 0, 1e18, 0, 4, 3);
  expectRefused(map, 0, 0, 0, 4, -1e18);
  // Truncation makes 4.7 the last column, so this one is not refused.
  NumberArray path;
  EXPECT_EQ(FindPath(map, path, 0, 0, 0, 4.7, 3.2), 8);

  // Nothing passable.
  expectRefused(UniformMap(3, 3, 0.0), 0, 0, 0, 2, 2);
  expectRefused(UniformMap(3, 3, -1.0), 0, 0, 0, 2, 2);
  expectRefused(UniformMap(3, 3, NAN), 0, 0, 0, 2, 2);
  expectRefused(UniformMap(3, 3, HUGE_VAL), 0, 0, 0, 2, 2);

  // Maps that are not two-dimensional.
  NumberArray flat;
  flat.Dim(8);
  for (int i = 0; i < 8; ++i) flat.At(i) = 1;
  expectRefused(flat, 0, 0, 0, 7, 0);
  NumberArray cube;
  cube.Dim(4, 4, 1);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) cube.At(x, y, 0) = 1;
  expectRefused(cube, 0, 0, 0, 3, 3);
  expectRefused(NumberArray(), 0, 0, 0, 1, 1);

  // Beyond the size limit: refused before anything is allocated for it.
  NumberArray huge;
  huge.Dim(2049, 2048);
  huge.At(0, 0) = 1;
  huge.At(1, 0) = 1;
  expectRefused(huge, 0, 0, 0, 1, 0);
}

TEST(FindPathTest, WeightIsClampedAndNaNCountsAsZero) {
  const NumberArray map = RandomMap(30, 30, 10);
  auto pathFor = [&](double weight) {
    NumberArray path;
    EXPECT_GT(FindPath(map, path, weight, 0, 0, 29, 29), 0) << weight;
    return CellsOf(path);
  };
  const Cells zero = pathFor(0);
  const Cells one = pathFor(1);
  EXPECT_NE(zero, one);  // the map is chosen so the weight matters
  EXPECT_EQ(pathFor(-3), zero);
  EXPECT_EQ(pathFor(-HUGE_VAL), zero);
  EXPECT_EQ(pathFor(NAN), zero);
  EXPECT_EQ(pathFor(1e300), one);
  EXPECT_EQ(pathFor(HUGE_VAL), one);
}

TEST(FindPathTest, PathMayBeTheMapArrayItself) {
  NumberArray map = UniformMap(4, 3, 1.0);
  EXPECT_EQ(FindPath(map, map, 0, 0, 0, 3, 2), 6);
  EXPECT_EQ(map.DimSize(0), 6);
  EXPECT_EQ(CellsOf(map).back(), Cell(3, 2));
}

}  // namespace
