#include "runtime/pathplan/grid_planner.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

struct Step {
  int32_t dx;
  int32_t dy;
  bool diagonal;
};

// The neighbour order is part of the result: among equally cheap paths the
// one found through the earlier neighbour wins.
constexpr Step kSteps[8] = {{-1, -1, true}, {0, -1, false}, {1, -1, true}, {1, 0, false},
                            {-1, 0, false}, {-1, 1, true},  {0, 1, false}, {1, 1, true}};

// a * b rounded to single precision on its own. Left to the compiler, the
// product could be fused with the following addition on machines that have a
// fused multiply-add, and priorities would then differ between machines.
float Product(float a, float b) {
  volatile float product = a * b;
  return product;
}

}  // namespace

// ---- NodeFactory ----

int NodeFactory::Init(int32_t count) {
  Free();
  if (count < 1 || count > kMaxPlannerCells) return 0;
  // Not cleared: Get sets every field, and a large pool is mostly never
  // touched.
  block_ = static_cast<Node*>(std::malloc(static_cast<size_t>(count) * sizeof(Node)));
  if (block_ == nullptr) return 0;
  count_ = count;
  return 1;
}

void NodeFactory::Free() {
  std::free(block_);
  block_ = nullptr;
  count_ = 0;
  next_ = 0;
}

Node* NodeFactory::Get(Node* parent, int32_t x, int32_t y, float g, float f) {
  if (next_ >= count_) return nullptr;
  Node* node = block_ + next_++;
  node->parent = parent;
  node->x = x;
  node->y = y;
  node->g = g;
  node->f = f;
  node->chain = nullptr;
  return node;
}

// ---- NodeHashTable ----

int32_t NodeHashTable::ClampBits(int32_t bits) {
  if (bits < 0) bits = 0;
  if (bits > kMaxClosedBits) bits = kMaxClosedBits;
  return bits & ~1;
}

int NodeHashTable::Init(int32_t bits) {
  Free();
  bits = ClampBits(bits);
  heads_ = static_cast<Node**>(std::calloc(size_t{1} << bits, sizeof(Node*)));
  if (heads_ == nullptr) return 0;
  bits_ = bits;
  half_ = bits / 2;
  mask_ = (uint32_t{1} << half_) - 1;
  return 1;
}

void NodeHashTable::Free() {
  std::free(heads_);
  heads_ = nullptr;
  count_ = 0;
  bits_ = 0;
  half_ = 0;
  mask_ = 0;
  found_ = nullptr;
  foundLink_ = nullptr;
}

int NodeHashTable::Insert(Node* node) {
  if (node == nullptr || heads_ == nullptr) return 0;
  Node** head = &heads_[Bucket(node->x, node->y)];
  for (Node* n = *head; n != nullptr; n = n->chain) {
    if (n == node) return 0;
  }
  node->chain = *head;
  *head = node;
  ++count_;
  return 1;
}

Node* NodeHashTable::Find(int32_t x, int32_t y) {
  found_ = nullptr;
  foundLink_ = nullptr;
  if (heads_ == nullptr) return nullptr;
  for (Node** link = &heads_[Bucket(x, y)]; *link != nullptr; link = &(*link)->chain) {
    if ((*link)->x == x && (*link)->y == y) {
      found_ = *link;
      foundLink_ = link;
      return found_;
    }
  }
  return nullptr;
}

int NodeHashTable::Unlink(Node* node) {
  if (node == nullptr || heads_ == nullptr) return 0;
  Node** link = nullptr;
  // The remembered link is only good while nothing was inserted in front of
  // the node since it was found.
  if (node == found_ && foundLink_ != nullptr && *foundLink_ == node) {
    link = foundLink_;
  } else {
    for (Node** l = &heads_[Bucket(node->x, node->y)]; *l != nullptr; l = &(*l)->chain) {
      if (*l == node) {
        link = l;
        break;
      }
    }
    if (link == nullptr) return 0;
  }
  *link = node->chain;
  node->chain = nullptr;
  --count_;
  found_ = nullptr;
  foundLink_ = nullptr;
  return 1;
}

void NodeHashTable::Clear(NodeFactory* factory) {
  // Every node goes back by count alone, so the chains need no walk; a node
  // keeps a stale chain link until Get hands it out again and clears it.
  if (factory != nullptr) {
    for (int32_t i = 0; i < count_; ++i) factory->GiveBack();
  }
  Forget();
}

void NodeHashTable::Forget() {
  // An empty table has nothing to forget; skipping the pass matters when the
  // table has a bucket for every cell of a large map.
  if (heads_ != nullptr && count_ != 0) {
    std::memset(heads_, 0, sizeof(Node*) * static_cast<size_t>(BucketCount()));
  }
  count_ = 0;
  found_ = nullptr;
  foundLink_ = nullptr;
}

// ---- OpenList ----

bool OpenList::Init(int32_t capacity, int32_t cells, Node* pool, uint32_t firstOrder) {
  Free();
  if (capacity < 1 || cells < 1 || pool == nullptr) return false;
  heap_ = static_cast<Entry*>(std::malloc(static_cast<size_t>(capacity) * sizeof(Entry)));
  place_ = static_cast<int32_t*>(std::calloc(static_cast<size_t>(cells), sizeof(int32_t)));
  if (heap_ == nullptr || place_ == nullptr) {
    Free();
    return false;
  }
  capacity_ = capacity;
  cells_ = cells;
  pool_ = pool;
  firstOrder_ = nextOrder_ = firstOrder;
  return true;
}

void OpenList::Free() {
  std::free(heap_);
  std::free(place_);
  heap_ = nullptr;
  place_ = nullptr;
  pool_ = nullptr;
  capacity_ = 0;
  cells_ = 0;
  marked_ = false;
  size_ = 0;
  firstOrder_ = nextOrder_ = 0;
}

void OpenList::Reset() {
  if (marked_) std::memset(place_, 0, static_cast<size_t>(cells_) * sizeof(int32_t));
  marked_ = false;
  size_ = 0;
  nextOrder_ = firstOrder_;
}

uint64_t OpenList::NextKey(float f) {
  if (nextOrder_ == UINT32_MAX) Renumber();
  // Adding zero turns -0 into +0, which must compare equal to it. Negative
  // priorities sort below positive ones with all their bits flipped.
  uint32_t bits;
  const float value = f + 0.0f;
  std::memcpy(&bits, &value, sizeof bits);
  bits = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
  return uint64_t{bits} << 32 | nextOrder_++;
}

void OpenList::Renumber() {
  // A sorted array is a heap, and numbering it in order keeps every
  // comparison as it was.
  std::sort(heap_, heap_ + size_, Before);
  for (int32_t i = 0; i < size_; ++i) {
    heap_[i].key = (heap_[i].key & ~uint64_t{0xFFFFFFFF}) | static_cast<uint32_t>(i);
    place_[heap_[i].cell] = i + 1;
  }
  nextOrder_ = static_cast<uint32_t>(size_);
}

bool OpenList::Push(Node* node, int32_t cell) {
  if (size_ >= capacity_) return false;
  marked_ = true;
  SiftUp(size_, Entry{NextKey(node->f), cell, static_cast<int32_t>(node - pool_)});
  ++size_;
  return true;
}

void OpenList::Pop() {
  if (size_ == 0) return;
  place_[heap_[0].cell] = -1;
  if (--size_ == 0) return;
  // The hole left at the top sinks along the lesser children to the bottom
  // and the last entry rises from there: one comparison per level on the
  // way down, and the last entry seldom rises far.
  // The size is read once: the stores into place_ could otherwise be taken
  // to change it.
  const int32_t size = size_;
  int32_t at = 0;
  for (int32_t child = 1; child < size; child = 2 * at + 1) {
    // Which child is lesser is a coin toss, so it is added, not branched on.
    if (child + 1 < size) child += Before(heap_[child + 1], heap_[child]) ? 1 : 0;
    Put(at, heap_[child]);
    at = child;
  }
  SiftUp(at, heap_[size]);
}

void OpenList::Requeue(int32_t cell) {
  int32_t at = place_[cell] - 1;
  if (at < 0) return;
  // Numbering afresh may move the entry, so its place is taken after.
  const uint64_t key = NextKey(pool_[heap_[at].node].f);
  at = place_[cell] - 1;
  const Entry entry{key, cell, heap_[at].node};
  // The new key may lie on either side of the old one (with a heuristic
  // weight of 1 a cheaper path can round to a higher priority), so the entry
  // sinks to the bottom like a popped top and rises to its place from there.
  for (int32_t child = 2 * at + 1; child < size_; child = 2 * at + 1) {
    if (child + 1 < size_ && Before(heap_[child + 1], heap_[child])) ++child;
    Put(at, heap_[child]);
    at = child;
  }
  SiftUp(at, entry);
}

void OpenList::SiftUp(int32_t at, Entry entry) {
  while (at > 0) {
    const int32_t parent = (at - 1) / 2;
    if (!Before(entry, heap_[parent])) break;
    Put(at, heap_[parent]);
    at = parent;
  }
  Put(at, entry);
}

// ---- Planner ----

Planner::~Planner() {
  std::free(grid_);
}

void Planner::Discard() {
  open_.Reset();
  closed_.Forget();
  result_ = nullptr;
  searching_ = false;
  finished_ = true;
  std::free(grid_);
  grid_ = nullptr;
  params_ = SearchParams();
  runs_ = 0;
  reserved_ = 0;
}

int Planner::SetUp(const SearchParams& params) {
  const int32_t width = params.width;
  const int32_t height = params.height;
  if (width < 1 || height < 1 || params.costs == nullptr) return 0;
  const int64_t cells = int64_t{width} * height;
  if (cells > kMaxPlannerCells) return 0;
  auto inside = [&](int32_t x, int32_t y) { return x >= 0 && y >= 0 && x < width && y < height; };
  if (!inside(params.startX, params.startY) || !inside(params.goalX, params.goalY)) return 0;
  if (params.startX == params.goalX && params.startY == params.goalY) return 0;
  const int32_t poolSize = params.poolSize != 0 ? params.poolSize : static_cast<int32_t>(cells);
  const int32_t openCapacity =
      params.openCapacity != 0 ? params.openCapacity : static_cast<int32_t>(cells);
  if (poolSize < 1 || poolSize > kMaxPlannerCells || openCapacity < 1 ||
      openCapacity > kMaxPlannerCells) {
    return 0;
  }

  // The nodes of an earlier search point into the pool about to be
  // replaced; nothing may keep referring to them.
  Discard();

  const size_t count = static_cast<size_t>(cells);
  float* grid = static_cast<float*>(std::malloc(count * sizeof(float)));
  if (grid == nullptr) return 0;
  // Costs are scaled by the largest one, in double precision so that values
  // beyond the float range or far below 1 still order correctly. A cell that
  // is not a finite positive number cannot be entered.
  // Walls lie at random, so a branch per cell would often be mispredicted:
  // both loops select with masks instead, and the largest value is kept in
  // four running maxima so that each step need not wait for the last.
  constexpr double kLargestFinite = std::numeric_limits<double>::max();
  auto passable = [](double v) { return (v > 0) & (v <= kLargestFinite); };  // NaN fails
  auto candidate = [&](size_t i) {
    const double v = params.costs[i];
    const double positive = v > 0 ? v : 0.0;
    return positive <= kLargestFinite ? positive : 0.0;
  };
  double m0 = 0, m1 = 0, m2 = 0, m3 = 0;
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    m0 = std::max(m0, candidate(i));
    m1 = std::max(m1, candidate(i + 1));
    m2 = std::max(m2, candidate(i + 2));
    m3 = std::max(m3, candidate(i + 3));
  }
  for (; i < count; ++i) m0 = std::max(m0, candidate(i));
  const double largest = std::max(std::max(m0, m1), std::max(m2, m3));
  if (largest <= 0) {
    std::free(grid);
    return 0;
  }
  uint32_t blockedBits;
  const float blocked = -1.0f;
  std::memcpy(&blockedBits, &blocked, sizeof blockedBits);
  for (i = 0; i < count; ++i) {
    const double v = params.costs[i];
    // Clamped into [0, largest], which leaves a passable value as it is.
    double clamped = v > 0 ? v : 0.0;
    clamped = clamped < largest ? clamped : largest;
    const float scaled = static_cast<float>(clamped / largest + 1.0);
    uint32_t bits;
    std::memcpy(&bits, &scaled, sizeof bits);
    const uint32_t keep = 0u - static_cast<uint32_t>(passable(v));
    bits = (bits & keep) | (blockedBits & ~keep);
    std::memcpy(&grid[i], &bits, sizeof bits);
  }

  if (!factory_.Init(poolSize) ||
      !open_.Init(openCapacity, static_cast<int32_t>(cells), factory_.Block()) ||
      !closed_.Init(params.closedBits)) {
    std::free(grid);
    factory_.Free();
    open_.Free();
    closed_.Free();
    return 0;
  }
  grid_ = grid;
  params_ = params;
  float w = params.weight;
  if (!(w > 0)) w = 0;  // NaN too
  if (w > 1) w = 1;
  params_.weight = w;
  result_ = nullptr;
  runs_ = 0;
  reserved_ = 0;
  finished_ = true;
  searching_ = false;
  return 1;
}

void Planner::BeginSearch() {
  finished_ = false;
  runs_ = 0;
  result_ = nullptr;
}

void Planner::ReleaseSearch() {
  for (int32_t i = open_.Size(); i > 0; --i) factory_.GiveBack();
  open_.Reset();
  closed_.Clear(&factory_);
  result_ = nullptr;
  finished_ = true;
  searching_ = false;
}

int32_t Planner::ResultLength() const {
  int32_t count = 0;
  // Parent links always lead to a cheaper node, so the chain ends; the bound
  // only guards against a corrupted one.
  for (const Node* n = result_; n != nullptr && count <= factory_.Count(); n = n->parent) ++count;
  return count;
}

float Planner::CellCost(int32_t x, int32_t y) const {
  if (grid_ == nullptr || !Inside(x, y)) return -1.0f;
  return Cost(x, y);
}

// ---- AStarPlanner ----

AStarPlanner::~AStarPlanner() = default;

void AStarPlanner::BeginSearch() {
  if (grid_ == nullptr) return;
  // Beginning again restarts from the start cell with a full pool.
  if (!open_.Empty() || closed_.Size() != 0) ReleaseSearch();
  Planner::BeginSearch();
  Node* start = factory_.Get(nullptr, params_.startX, params_.startY, 0.0f, 0.0f);
  searching_ = start != nullptr && open_.Push(start, CellIndex(params_.startX, params_.startY));
  if (!searching_ && start != nullptr) factory_.GiveBack();
}

bool AStarPlanner::Abandon(Node* current, Node* loose) {
  closed_.Insert(current);
  if (loose != nullptr) factory_.GiveBack();
  searching_ = false;
  return false;
}

bool AStarPlanner::RunSearch() {
  ++runs_;
  if (!searching_) return false;
  const float w = params_.weight;
  const int32_t goalX = params_.goalX;
  const int32_t goalY = params_.goalY;
  const int stepCount = params_.diagonalSteps ? 8 : 4;
  Step steps[8];
  for (int i = 0, n = 0; i < 8; ++i) {
    if (params_.diagonalSteps || !kSteps[i].diagonal) steps[n++] = kSteps[i];
  }

  while (!open_.Empty()) {
    Node* current = open_.Top();
    open_.Pop();
    if (current->x == goalX && current->y == goalY) {
      closed_.Insert(current);
      finished_ = true;
      searching_ = false;
      result_ = current;
      return true;
    }
    for (int s = 0; s < stepCount; ++s) {
      const int32_t nx = current->x + steps[s].dx;
      const int32_t ny = current->y + steps[s].dy;
      if (!Inside(nx, ny)) continue;
      const float c = Cost(nx, ny);
      if (c < 0) continue;
      const float g = steps[s].diagonal && params_.diagonalCost
                          ? current->g + Product(c, kDiagonalFactor)
                          : current->g + c;
      const int32_t h = std::abs(goalX - nx) + std::abs(goalY - ny);
      const float f = g + Product(w, static_cast<float>(h) - g);
      const int32_t cell = CellIndex(nx, ny);

      // A cell is in at most one of the two lists, and only cells that
      // were open can be closed.
      if (Node* n = open_.Find(cell)) {
        if (g < n->g) {
          n->parent = current;
          n->g = g;
          n->f = f;
          open_.Requeue(cell);
        }
        continue;
      }
      if (Node* n = open_.Seen(cell) ? closed_.Find(nx, ny) : nullptr) {
        if (g < n->g) {
          closed_.Unlink(n);
          n->parent = current;
          n->g = g;
          n->f = f;
          if (!open_.Push(n, cell)) return Abandon(current, n);
        }
        continue;
      }
      Node* n = factory_.Get(current, nx, ny, g, f);
      if (n == nullptr) return Abandon(current, nullptr);
      if (!open_.Push(n, cell)) return Abandon(current, n);
    }
    closed_.Insert(current);
  }
  finished_ = true;
  searching_ = false;
  return true;
}
