#include "tools/coursesolver/course_search.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>

namespace coursesolver {

namespace {

constexpr double kComplete = 8;
constexpr double kPlay = 6;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A step's result that two states share exactly when the rest of the
// game (object phases, clock) is the same, as it is within one layer.
struct PlaneKey {
  long x, y;
  int windForce, form, planes;
  uint32_t pickups;
  bool operator==(const PlaneKey&) const = default;
};

struct PlaneKeyHash {
  size_t operator()(const PlaneKey& k) const {
    size_t h = std::hash<long>()(k.x * 1000003 + k.y);
    h ^= std::hash<long>()((static_cast<long>(k.pickups) << 20) ^ (k.windForce + 3) ^
                           (k.form << 4) ^ (k.planes << 8)) +
         0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
  }
};

PlaneKey KeyOf(const PlaneView& v) {
  // Positions move in thirds of a pixel at most at any speed we fly.
  return {std::lround(v.x * 12),    std::lround(v.y * 12),      static_cast<int>(v.windForce),
          static_cast<int>(v.form), static_cast<int>(v.planes), v.pickupsTaken};
}

struct Node {
  int parent;
  uint8_t action;
};

struct Live {
  int node;
  std::shared_ptr<const DriverState> state;
  PlaneView view;
};

}  // namespace

std::vector<uint8_t> CourseSearch::Actions(const PlaneView& view) {
  // Sliding into a room, nothing the player holds matters.
  if (view.scrollX < 0) return {0};
  if (view.form == 0) return {0, kRightBit, kLeftBit};
  std::vector<uint8_t> all;
  for (uint8_t h : {0u, unsigned(kRightBit), unsigned(kLeftBit)}) {
    for (uint8_t v : {0u, unsigned(kUpBit), unsigned(kDownBit)}) all.push_back(h | v);
  }
  return all;
}

std::vector<RoomExit> CourseSearch::SolveRoom(const DriverState& entry, int room) {
  const auto started = std::chrono::steady_clock::now();
  RoomStats stats;
  stats.room = room;
  driver_.Restore(entry);
  const PlaneView entryView = driver_.View();

  std::vector<std::vector<Node>> layers;
  layers.push_back({Node{-1, 0}});
  std::vector<Live> live{{0, driver_.Save(), entryView}};
  std::vector<RoomExit> exits;
  std::vector<int> exitRows;  // exits' heights in 4-pixel rows
  int firstExitFrame = -1;

  auto pathTo = [&layers](int layer, int node, uint8_t last) {
    std::vector<uint8_t> keys{last};
    for (int l = layer; l > 0; --l) {
      keys.push_back(layers[l][node].action);
      node = layers[l][node].parent;
    }
    std::reverse(keys.begin(), keys.end());
    return keys;
  };

  for (int t = 0; t < options_.maxRoomFrames && !live.empty(); ++t) {
    if (firstExitFrame >= 0 && t - firstExitFrame > options_.exitWindow) break;
    std::unordered_map<PlaneKey, int, PlaneKeyHash> seen;
    std::vector<Node> nextNodes;
    std::vector<Live> next;
    for (const Live& from : live) {
      for (uint8_t action : Actions(from.view)) {
        driver_.Restore(*from.state);
        driver_.Step(action);
        ++stats.steps;
        const PlaneView v = driver_.View();
        if (v.crashed || v.planes < from.view.planes) continue;
        if (v.screen != kPlay && v.screen != kComplete) continue;
        if (v.screen == kComplete || v.room > room) {
          if (static_cast<int>(exits.size()) >= options_.maxExits) continue;
          const int row = static_cast<int>(std::floor(v.y / 4));
          if (std::find(exitRows.begin(), exitRows.end(), row) != exitRows.end()) continue;
          exitRows.push_back(row);
          if (firstExitFrame < 0) firstExitFrame = t;
          exits.push_back({pathTo(t, from.node, action), driver_.Save(), v});
          continue;
        }
        const PlaneKey key = KeyOf(v);
        if (seen.count(key)) continue;
        seen.emplace(key, static_cast<int>(next.size()));
        nextNodes.push_back({from.node, action});
        next.push_back({static_cast<int>(nextNodes.size()) - 1, driver_.Save(), v});
      }
    }
    // Thin to a few states per cell, the furthest right first.
    std::map<std::tuple<long, long, int, uint32_t, int>, int> perCell;
    std::vector<int> order(next.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&next](int a, int b) { return next[a].view.x > next[b].view.x; });
    std::vector<Live> kept;
    for (int i : order) {
      const PlaneView& v = next[i].view;
      auto cell =
          std::make_tuple(std::lround(std::floor(v.x / options_.cellSize)),
                          std::lround(std::floor(v.y / options_.cellSize)),
                          static_cast<int>(v.form), v.pickupsTaken, static_cast<int>(v.planes));
      if (++perCell[cell] > options_.perCell) continue;
      kept.push_back(std::move(next[i]));
    }
    layers.push_back(std::move(nextNodes));
    live = std::move(kept);
  }
  stats.seconds = Seconds(started);
  stats.stuck = exits.empty();
  stats.stuckEntry = entryView;
  if (!exits.empty()) stats.framesInRoom = static_cast<int>(exits.front().keys.size());
  stats_.push_back(stats);
  if (log) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "room %2d: entry frame %ld y=%.1f form=%g -> %zu ways out, %ld steps, %.2f s",
                  room, entryView.frame, entryView.y, entryView.form, exits.size(), stats.steps,
                  stats.seconds);
    log(line);
  }
  return exits;
}

bool CourseSearch::SolveFrom(const DriverState& entry, int room, std::vector<uint8_t>& keys) {
  std::vector<RoomExit> exits = SolveRoom(entry, room);
  for (RoomExit& exit : exits) {
    if (exit.view.screen == kComplete || room >= options_.lastRoom) {
      keys = std::move(exit.keys);
      return true;
    }
    std::vector<uint8_t> rest;
    if (SolveFrom(*exit.state, room + 1, rest)) {
      keys = std::move(exit.keys);
      keys.insert(keys.end(), rest.begin(), rest.end());
      return true;
    }
    if (log) log("backtracking into room " + std::to_string(room));
  }
  return false;
}

bool CourseSearch::SolveCourse(const DriverState& start, std::vector<uint8_t>& keys) {
  driver_.Restore(start);
  const int room = static_cast<int>(driver_.View().room);
  return SolveFrom(start, room, keys);
}

}  // namespace coursesolver
