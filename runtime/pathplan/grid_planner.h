// Best-first search over a cost grid: the planner classes behind FindPath.
//
// A Planner owns everything one search needs, allocated once at set-up: a
// pool of nodes handed out by index, a bounded open list kept as a binary
// heap with each cell's place in it, and a chained closed set. Nothing is
// allocated while the search runs, and every step is taken in a fixed order,
// so a map gives the same path on every run.
#pragma once

#include <cstdint>

// One search node. Cells are addressed as (x, y) with x along the width.
struct Node {
  Node* parent;  // the node this cell was reached from; null for the start
  int32_t x;
  int32_t y;
  float f;      // priority: g + w * (h - g)
  float g;      // cost from the start
  Node* chain;  // next node in the same closed-set bucket
};

// The request a planner is set up from, copied whole into it.
struct SearchParams {
  int32_t startX = 0;
  int32_t startY = 0;
  int32_t goalX = 0;
  int32_t goalY = 0;
  uint8_t diagonalCost = 0;   // 1: a diagonal step costs kDiagonalFactor x the cell cost
  uint8_t diagonalSteps = 0;  // 1: eight neighbours per cell, else four
  uint8_t unused[2] = {0, 0};
  int32_t poolSize = 0;      // nodes in the pool; 0: width x height
  int32_t openCapacity = 0;  // open-list capacity; 0: width x height
  int32_t closedBits = 0;    // the closed set has 2^bits buckets
  float weight = 0;          // heuristic weight, clamped to [0, 1]
  int32_t width = 0;
  int32_t height = 0;
  // width x height source costs, x varying fastest. Only read at set-up.
  const double* costs = nullptr;
};

inline constexpr float kDiagonalFactor = 1.4142137f;

// Upper bound for the cells of a map and for the pool and open-list sizes.
// A search holds about 80 bytes per cell, so anything larger is refused
// instead of attempted.
inline constexpr int32_t kMaxPlannerCells = int32_t{1} << 22;

// Upper bound for the closed set's bucket exponent.
inline constexpr int32_t kMaxClosedBits = 24;

// The preallocated nodes, handed out in order. Nodes are given back only by
// count: a search returns all of its nodes at once when it is released.
class NodeFactory {
 public:
  NodeFactory() = default;
  ~NodeFactory() { Free(); }
  NodeFactory(const NodeFactory&) = delete;
  NodeFactory& operator=(const NodeFactory&) = delete;

  // Frees the previous nodes and allocates count new ones. Returns 0 (and
  // holds no nodes) for a count below 1 or above kMaxPlannerCells, or when
  // the storage cannot be had.
  int Init(int32_t count);
  void Free();

  // The next free node with its fields set (chain cleared), or null when all
  // are handed out.
  Node* Get(Node* parent, int32_t x, int32_t y, float g, float f);
  // Takes one node back into the free count.
  void GiveBack() {
    if (next_ > 0) --next_;
  }

  int32_t Count() const { return count_; }
  // The array all nodes are handed out from, or null.
  Node* Block() const { return block_; }
  int32_t InUse() const { return next_; }

 private:
  Node* block_ = nullptr;  // all nodes, handed out from the front
  int32_t count_ = 0;
  int32_t next_ = 0;
};

// The closed set: 2^bits chained buckets, each holding the cells of one
// residue class of a square tiling, so neighbouring cells spread over
// different buckets.
class NodeHashTable {
 public:
  NodeHashTable() = default;
  ~NodeHashTable() { Free(); }
  NodeHashTable(const NodeHashTable&) = delete;
  NodeHashTable& operator=(const NodeHashTable&) = delete;

  // bits above kMaxClosedBits are clamped to it, below 0 to 0, and odd
  // values rounded down to the even value below. The table starts empty.
  static int32_t ClampBits(int32_t bits);
  // Returns 0 when the bucket array cannot be allocated.
  int Init(int32_t bits);
  void Free();

  uint32_t Bucket(int32_t x, int32_t y) const {
    return (static_cast<uint32_t>(x) & mask_) | ((static_cast<uint32_t>(y) & mask_) << half_);
  }

  // Puts the node at the head of its bucket. Returns 0 for a null node, a
  // node already in that bucket, or a table without buckets.
  int Insert(Node* node);
  // The node of cell (x, y), or null. Remembers where it was found so that
  // Unlink of the same node needs no second walk.
  Node* Find(int32_t x, int32_t y);
  // Removes the node from its bucket; returns 0 when it is not there.
  int Unlink(Node* node);
  // Empties every bucket, giving each node back to the factory.
  void Clear(NodeFactory* factory);
  // Forgets every node without touching it (the nodes are being freed).
  void Forget();

  int32_t Size() const { return count_; }
  int32_t Bits() const { return bits_; }
  int32_t BucketCount() const { return heads_ == nullptr ? 0 : int32_t{1} << bits_; }

 private:
  Node** heads_ = nullptr;
  int32_t count_ = 0;  // nodes in all buckets
  int32_t bits_ = 0;
  uint32_t mask_ = 0;
  int32_t half_ = 0;
  Node* found_ = nullptr;
  Node** foundLink_ = nullptr;  // the link that pointed at found_
};

// The open list: a binary min-heap on (priority, entry number) of fixed
// capacity. Every insertion draws the next entry number, so among equal
// priorities the node that entered first leaves first; that is the order of
// a list kept sorted with each new node placed in front of its equals, which
// decides between equally good paths. Each cell's place in the heap is kept,
// so a cell is found and moved without a scan.
class OpenList {
 public:
  OpenList() = default;
  ~OpenList() { Free(); }
  OpenList(const OpenList&) = delete;
  OpenList& operator=(const OpenList&) = delete;

  // Room for capacity nodes of cells 0 ... cells - 1, all taken from the
  // array pool (a NodeFactory's block); starts empty. Returns false (and
  // holds nothing) for sizes below 1, a null pool, or when the storage cannot
  // be had. Entry numbers start at firstOrder after every reset (tests start
  // them near the wrap-around).
  bool Init(int32_t capacity, int32_t cells, Node* pool, uint32_t firstOrder = 0);
  void Free();
  void Reset();

  int32_t Capacity() const { return capacity_; }
  int32_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  bool Full() const { return size_ == capacity_; }

  // Adds the node of the cell (not already open) with its current f.
  // Returns false when the list is full.
  bool Push(Node* node, int32_t cell);
  // The node with the lowest f, the earliest entered among equals; null when
  // empty.
  Node* Top() const { return size_ > 0 ? pool_ + heap_[0].node : nullptr; }
  void Pop();
  // True once the cell has been pushed, until the next reset: a cell that was
  // never open was never closed either, so its closed-set lookup is skipped.
  bool Seen(int32_t cell) const { return place_[cell] != 0; }
  // The node of the cell while it is open, else null.
  Node* Find(int32_t cell) const {
    const int32_t at = place_[cell];
    return at > 0 ? pool_ + heap_[at - 1].node : nullptr;
  }
  // The open cell's node has a new f: it is entered again, behind its new
  // equals.
  void Requeue(int32_t cell);

 private:
  // key: the priority's bits, made to sort as unsigned integers, above the
  // 32-bit entry number, so one comparison orders two entries.
  struct Entry {
    uint64_t key;
    int32_t cell;
    int32_t node;  // index in the pool
  };
  static bool Before(const Entry& a, const Entry& b) { return a.key < b.key; }
  // The key for priority f and the next entry number.
  uint64_t NextKey(float f);
  // Numbers the entries afresh from 0, in their order, when the numbers run
  // out.
  void Renumber();
  void Put(int32_t at, const Entry& entry) {
    heap_[at] = entry;
    place_[entry.cell] = at + 1;
  }
  void SiftUp(int32_t at, Entry entry);

  Entry* heap_ = nullptr;
  // Per cell: heap index + 1 while open, -1 once taken out, 0 before.
  int32_t* place_ = nullptr;
  int32_t cells_ = 0;
  bool marked_ = false;  // some cell's place is not 0
  Node* pool_ = nullptr;
  int32_t capacity_ = 0;
  int32_t size_ = 0;
  uint32_t firstOrder_ = 0;
  uint32_t nextOrder_ = 0;
};

// The state of one search on one map. SetUp copies and normalises the map;
// BeginSearch seeds the open list with the start cell; RunSearch searches
// until the goal is taken from the open list or no cell is left;
// ReleaseSearch hands every node back so the pool can serve another search.
class Planner {
 public:
  Planner() = default;
  virtual ~Planner();
  Planner(const Planner&) = delete;
  Planner& operator=(const Planner&) = delete;

  // Returns 1 when the planner is ready for BeginSearch. Returns 0, leaving
  // the planner as it was, when start or goal lies outside the map, start
  // equals goal, the map has no cells or more than kMaxPlannerCells, or no
  // cost source is given; returns 0 with no map held when no cell is
  // passable or the storage cannot be had.
  int SetUp(const SearchParams& params);

  virtual void BeginSearch();
  // True when the search is finished, with or without a result. False when
  // it could not run: not set up, not begun, or the pool or the open list
  // ran out (possible only with sizes below width x height).
  virtual bool RunSearch() = 0;
  virtual void ReleaseSearch();

  bool Finished() const { return finished_; }
  const Node* Result() const { return result_; }
  // The result's cost from the start, or -1 without a result.
  float ResultCost() const { return result_ != nullptr ? result_->g : -1.0f; }
  // Nodes in the result chain, start and goal included; 0 without a result.
  int32_t ResultLength() const;
  int32_t OpenSize() const { return open_.Size(); }
  int32_t ClosedSize() const { return closed_.Size(); }
  int32_t Runs() const { return runs_; }
  int32_t NodesInUse() const { return factory_.InUse(); }
  const SearchParams& Params() const { return params_; }
  // The normalised cost of a cell: in (1, 2] when passable, -1 when blocked
  // or outside the map or with no map set up.
  float CellCost(int32_t x, int32_t y) const;

 protected:
  bool Inside(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < params_.width && y < params_.height;
  }
  // Cells are numbered row by row; the count fits an int32.
  int32_t CellIndex(int32_t x, int32_t y) const { return y * params_.width + x; }
  float Cost(int32_t x, int32_t y) const { return grid_[CellIndex(x, y)]; }
  // Drops every node reference and the map, without touching the nodes.
  void Discard();

  bool finished_ = true;
  bool searching_ = false;  // begun and neither finished nor failed
  NodeFactory factory_;
  SearchParams params_;
  float* grid_ = nullptr;
  int32_t runs_ = 0;
  int32_t reserved_ = 0;
  OpenList open_;
  NodeHashTable closed_;
  Node* result_ = nullptr;
};

class AStarPlanner : public Planner {
 public:
  AStarPlanner() = default;
  ~AStarPlanner() override;

  void BeginSearch() override;
  bool RunSearch() override;

 private:
  // Ends a search that ran out of pool or open list, keeping the node count
  // right for ReleaseSearch.
  bool Abandon(Node* current, Node* loose);
};
