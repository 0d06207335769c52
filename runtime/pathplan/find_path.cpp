#include "runtime/pathplan/find_path.h"

#include "runtime/pathplan/plan_path.h"

namespace {

// About one closed-set bucket per cell: the smallest even exponent whose
// buckets are at least the cells. The buckets tile the map in squares of
// 2^(bits/2) cells a side, so a square map gets a bucket for every cell;
// a long narrow one shares each bucket among a few cells of its long side.
int32_t ClosedBitsFor(int64_t cells) {
  int32_t bits = 0;
  while ((int64_t{1} << bits) < cells) ++bits;
  return bits + (bits & 1);
}

template <typename T>
int32_t PlanPathInto(const SearchParams& params, RtArray<T>& path) {
  AStarPlanner planner;
  if (!planner.SetUp(params)) return 0;
  planner.BeginSearch();
  // The map is copied by now, so path may even be the map array itself.
  // The search is not released at the end: the planner goes out of scope,
  // which frees every node at once, and releasing would first zero a closed
  // set sized for the whole map.
  if (!planner.RunSearch()) return 0;
  const int32_t n = planner.ResultLength();
  if (n == 0) {
    path.Dim(0);
  } else {
    path.Dim(n, 2);
    int32_t i = n - 1;
    for (const Node* node = planner.Result(); node != nullptr && i >= 0; node = node->parent, --i) {
      path.At(i, 0) = static_cast<T>(node->x);
      path.At(i, 1) = static_cast<T>(node->y);
    }
  }
  return path.DimSize(0);
}

template <typename T>
int32_t FindPathInto(const NumberArray& map, RtArray<T>& path, double weight, ArrayIndex startX,
                     ArrayIndex startY, ArrayIndex goalX, ArrayIndex goalY) {
  if (map.DimCount() != 2) return 0;
  const int32_t width = map.DimSize(0);
  const int32_t height = map.DimSize(1);
  if (width < 1 || height < 1 || int64_t{width} * height > kMaxPlannerCells) return 0;

  SearchParams params;
  params.startX = startX.value();
  params.startY = startY.value();
  params.goalX = goalX.value();
  params.goalY = goalY.value();
  params.diagonalCost = 1;
  params.diagonalSteps = 0;
  params.closedBits = ClosedBitsFor(int64_t{width} * height);
  params.weight = weight > 0 ? static_cast<float>(weight < 1 ? weight : 1) : 0.0f;
  params.width = width;
  params.height = height;
  // Element (x, y) of a two-dimensional array lies at x + y * width.
  params.costs = &map.At(0, 0);
  return PlanPathInto(params, path);
}

}  // namespace

int32_t PlanPath(const SearchParams& params, NumberArray& path) {
  return PlanPathInto(params, path);
}

int32_t FindPath(const NumberArray& map, NumberArray& path, double weight, ArrayIndex startX,
                 ArrayIndex startY, ArrayIndex goalX, ArrayIndex goalY) {
  return FindPathInto(map, path, weight, startX, startY, goalX, goalY);
}

int32_t FindPath(const NumberArray& map, IntArray& path, double weight, ArrayIndex startX,
                 ArrayIndex startY, ArrayIndex goalX, ArrayIndex goalY) {
  return FindPathInto(map, path, weight, startX, startY, goalX, goalY);
}
