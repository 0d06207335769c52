// The planner's building blocks and its own bookkeeping: the open list
// against a sorted list (equal priorities, re-prioritised cells and the
// wrap-around of its entry numbers included), the closed set's buckets and
// unlinking, and the node accounting of a planner around a search.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "runtime/pathplan/grid_planner.h"

namespace {

Node MakeNode(int32_t x, int32_t y) {
  return Node{nullptr, x, y, 0, 0, nullptr};
}

// Pushes, pops and re-prioritisations with priorities from a handful of
// values, so most of them tie, checked at every step against a vector kept
// sorted the plain way: descending f, a node going in front of its equals,
// the cheapest taken from the back.
void CheckOpenListAgainstSortedVector(uint32_t firstOrder) {
  constexpr int32_t kCells = 64;
  std::vector<Node> pool(kCells);
  OpenList open;
  ASSERT_TRUE(open.Init(kCells, kCells, pool.data(), firstOrder));
  std::vector<int32_t> sorted;  // cells
  auto enter = [&](int32_t cell) {
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), pool[cell].f,
                                     [&](int32_t other, float f) { return pool[other].f > f; });
    sorted.insert(at, cell);
  };
  std::mt19937 rng(firstOrder);
  for (int step = 0; step < 20000; ++step) {
    const int32_t cell = static_cast<int32_t>(rng() % kCells);
    const auto inList = std::find(sorted.begin(), sorted.end(), cell);
    const float f = static_cast<float>(rng() % 6) * 0.5f;
    switch (rng() % 3) {
      case 0:
        if (inList != sorted.end()) break;
        pool[cell] = MakeNode(cell, 0);
        pool[cell].f = f;
        ASSERT_TRUE(open.Push(&pool[cell], cell));
        enter(cell);
        break;
      case 1:
        if (inList == sorted.end()) break;
        ASSERT_EQ(open.Find(cell), &pool[cell]);
        pool[cell].f = f;
        open.Requeue(cell);
        sorted.erase(inList);
        enter(cell);
        break;
      default:
        if (sorted.empty()) {
          ASSERT_EQ(open.Top(), nullptr);
          break;
        }
        ASSERT_EQ(open.Top(), &pool[sorted.back()]) << "step " << step;
        open.Pop();
        EXPECT_EQ(open.Find(sorted.back()), nullptr);
        sorted.pop_back();
    }
    ASSERT_EQ(open.Size(), static_cast<int32_t>(sorted.size()));
  }
  // Full, then emptied by a reset that forgets every cell.
  for (int32_t cell = 0; cell < kCells; ++cell) {
    if (open.Find(cell) == nullptr) {
      ASSERT_TRUE(open.Push(&pool[cell], cell));
    }
  }
  EXPECT_TRUE(open.Full());
  EXPECT_FALSE(open.Push(&pool[0], 0));
  open.Reset();
  EXPECT_TRUE(open.Empty());
  for (int32_t cell = 0; cell < kCells; ++cell) EXPECT_EQ(open.Find(cell), nullptr);
}

TEST(OpenListTest, TakesNodesInTheOrderOfASortedList) {
  CheckOpenListAgainstSortedVector(0);
}

TEST(OpenListTest, EntryNumbersRunningOutKeepTheOrder) {
  // Starting a few thousand numbers short of the end, the numbering starts
  // afresh during the run with the list holding many tied entries.
  CheckOpenListAgainstSortedVector(UINT32_MAX - 5000);
}

TEST(OpenListTest, NegativeZeroTiesWithZero) {
  // The start node's priority is 0 and a priority that rounds to 0 from
  // below must not overtake it or any other node entered before.
  std::vector<Node> pool(3);
  OpenList open;
  ASSERT_TRUE(open.Init(3, 3, pool.data()));
  pool[0].f = 0.0f;
  pool[1].f = -0.0f;
  pool[2].f = -1.0f;
  ASSERT_TRUE(open.Push(&pool[0], 0));
  ASSERT_TRUE(open.Push(&pool[1], 1));
  ASSERT_TRUE(open.Push(&pool[2], 2));
  EXPECT_EQ(open.Top(), &pool[2]);
  open.Pop();
  EXPECT_EQ(open.Top(), &pool[0]);
  open.Pop();
  EXPECT_EQ(open.Top(), &pool[1]);
}

TEST(NodeHashTableTest, BitsAreClampedEvenAndCellsTileSquares) {
  NodeHashTable table;
  ASSERT_TRUE(table.Init(9));
  EXPECT_EQ(table.BucketCount(), 256);
  // Low four bits of x, then low four bits of y: every cell of any 16 x 16
  // tile has a bucket of its own.
  EXPECT_EQ(table.Bucket(17, 3), 1u | (3u << 4));
  std::vector<bool> seen(256, false);
  for (int y = 32; y < 48; ++y) {
    for (int x = 80; x < 96; ++x) {
      const uint32_t b = table.Bucket(x, y);
      ASSERT_FALSE(seen[b]);
      seen[b] = true;
    }
  }
  EXPECT_EQ(NodeHashTable::ClampBits(31), 24);
  ASSERT_TRUE(table.Init(-5));
  EXPECT_EQ(table.BucketCount(), 1);
  EXPECT_EQ(table.Bucket(12345, -7), 0u);
}

TEST(NodeHashTableTest, InsertFindUnlinkAndClear) {
  NodeHashTable table;
  ASSERT_TRUE(table.Init(2));  // 2 x 2 tiles: many cells per bucket
  Node a = MakeNode(0, 0), b = MakeNode(2, 0), c = MakeNode(0, 2), d = MakeNode(1, 0);
  EXPECT_EQ(table.Insert(nullptr), 0);
  for (Node* n : {&a, &b, &c, &d}) ASSERT_EQ(table.Insert(n), 1);
  EXPECT_EQ(table.Insert(&b), 0);
  EXPECT_EQ(table.Size(), 4);

  EXPECT_EQ(table.Find(2, 0), &b);
  EXPECT_EQ(table.Find(4, 4), nullptr);
  // Find b, then put a node in front of it in the same bucket: the
  // remembered position is stale and unlinking must still take out b only.
  EXPECT_EQ(table.Find(2, 0), &b);
  Node e = MakeNode(2, 2);
  ASSERT_EQ(table.Insert(&e), 1);
  EXPECT_EQ(table.Unlink(&b), 1);
  EXPECT_EQ(table.Unlink(&b), 0);
  EXPECT_EQ(table.Find(2, 0), nullptr);
  for (Node* n : {&a, &c, &e, &d}) EXPECT_EQ(table.Find(n->x, n->y), n);
  EXPECT_EQ(table.Size(), 4);

  NodeFactory factory;
  ASSERT_TRUE(factory.Init(10));
  for (int i = 0; i < 6; ++i) ASSERT_NE(factory.Get(nullptr, i, 0, 0, 0), nullptr);
  table.Clear(&factory);
  EXPECT_EQ(factory.InUse(), 2);
  EXPECT_EQ(table.Size(), 0);
  EXPECT_EQ(table.Find(0, 0), nullptr);
}

struct Grid {
  int32_t width;
  int32_t height;
  std::vector<double> values;
};

SearchParams ParamsFor(const Grid& grid, int32_t sx, int32_t sy, int32_t gx, int32_t gy) {
  SearchParams p;
  p.startX = sx;
  p.startY = sy;
  p.goalX = gx;
  p.goalY = gy;
  p.diagonalCost = 1;
  p.closedBits = 8;
  p.width = grid.width;
  p.height = grid.height;
  p.costs = grid.values.data();
  return p;
}

TEST(PlannerTest, RefusedSetUpKeepsTheEarlierOne) {
  const Grid grid{4, 4, std::vector<double>(16, 1.0)};
  AStarPlanner planner;
  SearchParams p = ParamsFor(grid, 0, 0, 3, 3);
  p.weight = 7;
  ASSERT_EQ(planner.SetUp(p), 1);
  EXPECT_EQ(planner.Params().weight, 1.0f);

  for (auto [sx, sy, gx, gy] : {std::array{-1, 0, 3, 3}, std::array{0, 4, 3, 3},
                                std::array{0, 0, 4, 0}, std::array{2, 2, 2, 2}}) {
    EXPECT_EQ(planner.SetUp(ParamsFor(grid, sx, sy, gx, gy)), 0);
  }
  SearchParams small = ParamsFor(grid, 0, 0, 1, 1);
  small.poolSize = -1;
  EXPECT_EQ(planner.SetUp(small), 0);
  EXPECT_EQ(planner.Params().goalX, 3);
  EXPECT_FLOAT_EQ(planner.CellCost(3, 3), 2.0f);

  planner.BeginSearch();
  EXPECT_TRUE(planner.RunSearch());
  EXPECT_NE(planner.Result(), nullptr);
}

TEST(PlannerTest, SearchAccountsForEveryNodeAndReleaseReturnsThem) {
  // 5 x 4, a wall at x = 2 with a gap at y = 3.
  Grid grid{5, 4, std::vector<double>(20, 3.0)};
  for (int y = 0; y < 3; ++y) grid.values[y * 5 + 2] = 0;
  AStarPlanner planner;
  ASSERT_EQ(planner.SetUp(ParamsFor(grid, 0, 0, 4, 0)), 1);
  EXPECT_FALSE(planner.RunSearch());  // not begun
  planner.BeginSearch();
  EXPECT_FALSE(planner.Finished());
  EXPECT_EQ(planner.OpenSize(), 1);
  ASSERT_TRUE(planner.RunSearch());
  EXPECT_TRUE(planner.Finished());
  ASSERT_NE(planner.Result(), nullptr);
  EXPECT_EQ(planner.Runs(), 1);
  // Down 3, across 4, up 3: ten steps of cost 2.
  EXPECT_EQ(planner.ResultLength(), 11);
  EXPECT_FLOAT_EQ(planner.ResultCost(), 20.0f);
  EXPECT_EQ(planner.OpenSize() + planner.ClosedSize(), planner.NodesInUse());
  EXPECT_LE(planner.NodesInUse(), 17);  // one node per passable cell at most

  planner.ReleaseSearch();
  EXPECT_EQ(planner.NodesInUse(), 0);
  EXPECT_EQ(planner.OpenSize(), 0);
  EXPECT_EQ(planner.ClosedSize(), 0);
  EXPECT_EQ(planner.Result(), nullptr);
  EXPECT_EQ(planner.ResultCost(), -1.0f);
  EXPECT_EQ(planner.ResultLength(), 0);

  // The same planner runs again, and again after a fresh set-up.
  planner.BeginSearch();
  ASSERT_TRUE(planner.RunSearch());
  EXPECT_EQ(planner.ResultLength(), 11);
  ASSERT_EQ(planner.SetUp(ParamsFor(grid, 4, 3, 0, 3)), 1);
  EXPECT_EQ(planner.OpenSize(), 0);
  EXPECT_EQ(planner.ClosedSize(), 0);
  planner.BeginSearch();
  ASSERT_TRUE(planner.RunSearch());
  EXPECT_EQ(planner.ResultLength(), 5);
  planner.ReleaseSearch();
  EXPECT_EQ(planner.NodesInUse(), 0);
}

TEST(PlannerTest, TooSmallPoolOrOpenListFailsInsteadOfReportingNoPath) {
  const Grid grid{6, 6, std::vector<double>(36, 1.0)};
  for (bool smallPool : {true, false}) {
    SearchParams p = ParamsFor(grid, 0, 0, 5, 5);
    (smallPool ? p.poolSize : p.openCapacity) = 3;
    AStarPlanner planner;
    ASSERT_EQ(planner.SetUp(p), 1);
    planner.BeginSearch();
    EXPECT_FALSE(planner.RunSearch());
    EXPECT_FALSE(planner.Finished());
    EXPECT_EQ(planner.Result(), nullptr);
    EXPECT_EQ(planner.OpenSize() + planner.ClosedSize(), planner.NodesInUse());
    planner.ReleaseSearch();
    EXPECT_EQ(planner.NodesInUse(), 0);
  }
}

TEST(PlannerTest, DiagonalStepsWhenAskedFor) {
  const Grid grid{3, 3, std::vector<double>(9, 1.0)};
  SearchParams p = ParamsFor(grid, 0, 0, 2, 2);
  p.diagonalSteps = 1;
  AStarPlanner planner;
  ASSERT_EQ(planner.SetUp(p), 1);
  planner.BeginSearch();
  ASSERT_TRUE(planner.RunSearch());
  EXPECT_EQ(planner.ResultLength(), 3);
  EXPECT_FLOAT_EQ(planner.ResultCost(), 2 * 2 * kDiagonalFactor);

  p.diagonalCost = 0;
  ASSERT_EQ(planner.SetUp(p), 1);
  planner.BeginSearch();
  ASSERT_TRUE(planner.RunSearch());
  EXPECT_EQ(planner.ResultLength(), 3);
  EXPECT_FLOAT_EQ(planner.ResultCost(), 4.0f);
}

}  // namespace
