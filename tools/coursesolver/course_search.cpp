#include "tools/coursesolver/course_search.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
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
  // Coarse cells are quick; a room whose way through needs a precise path
  // (a narrow gap reached while sinking) gets the fine ones.
  std::vector<RoomExit> exits =
      SolveRoomWithCells(entry, room, options_.cellSize, options_.maxRoomFrames);
  if (exits.empty() && options_.fineCellSize < options_.cellSize) {
    exits = SolveRoomWithCells(entry, room, options_.fineCellSize, options_.fineMaxRoomFrames);
  }
  return exits;
}

std::vector<RoomExit> CourseSearch::SolveRoomWithCells(const DriverState& entry, int room,
                                                       double cellSize, int maxFrames) {
  const auto started = std::chrono::steady_clock::now();
  RoomStats stats;
  stats.room = room;
  driver_.Restore(entry);
  const PlaneView entryView = driver_.View();

  std::vector<std::vector<Node>> layers;
  layers.push_back({Node{-1, 0}});
  std::vector<Live> live{{0, driver_.Save(), entryView}};
  std::vector<RoomExit> exits;
  std::vector<int> exitRows;  // exits' heights in 4-pixel rows, and forms
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

  for (int t = 0; t < maxFrames && !live.empty(); ++t) {
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
          // A different height or form is a different way in for the next
          // room; the same one a frame later seldom is.
          const int row = static_cast<int>(std::floor(v.y / 4)) * 4 + static_cast<int>(v.form);
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
    // Thin to a few states per cell: the furthest right, and the highest
    // and lowest, so that climbing and sinking within a cell are not lost
    // to the push to the right.
    using Cell = std::tuple<long, long, int, uint32_t, int>;
    std::map<Cell, std::array<int, 3>> best;  // furthest right, highest, lowest
    for (int i = 0; i < static_cast<int>(next.size()); ++i) {
      const PlaneView& v = next[i].view;
      const Cell cell{std::lround(std::floor(v.x / cellSize)),
                      std::lround(std::floor(v.y / cellSize)), static_cast<int>(v.form),
                      v.pickupsTaken, static_cast<int>(v.planes)};
      auto [it, fresh] = best.try_emplace(cell, std::array<int, 3>{i, i, i});
      if (fresh) continue;
      auto& b = it->second;
      if (v.x > next[b[0]].view.x) b[0] = i;
      if (v.y < next[b[1]].view.y) b[1] = i;
      if (v.y > next[b[2]].view.y) b[2] = i;
    }
    std::vector<Live> kept;
    for (auto& [cell, b] : best) {
      for (int k = 0; k < options_.perCell && k < 3; ++k) {
        if (std::find(b.begin(), b.begin() + k, b[k]) != b.begin() + k) continue;
        kept.push_back(next[b[k]]);
      }
    }
    // The furthest right first, so that ways out are found in that order.
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Live& a, const Live& b) { return a.view.x > b.view.x; });
    if (kept.empty() && exits.empty() && log && !live.empty()) {
      // Where the last plane states were, to tell why a room is closed.
      char line[200];
      std::snprintf(line, sizeof line, "  room %d closed after %d frames; %zu last states:", room,
                    t, live.size());
      log(line);
      for (size_t i = 0; i < live.size() && i < 6; ++i) {
        const PlaneView& v = live[i].view;
        std::snprintf(line, sizeof line, "    x=%g y=%g form=%g wind=%g scroll=%g", v.x, v.y,
                      v.form, v.windForce, v.scrollX);
        log(line);
      }
    }
    if (options_.verbose && log && t % 10 == 0) {
      double maxX = -1e9, minY = 1e9, maxY = -1e9;
      for (const Live& k : kept) {
        maxX = std::max(maxX, k.view.x);
        minY = std::min(minY, k.view.y);
        maxY = std::max(maxY, k.view.y);
      }
      char line[160];
      std::snprintf(line, sizeof line, "  frame %d: %zu states, %zu kept, x to %g, y %g..%g", t,
                    next.size(), kept.size(), maxX, minY, maxY);
      log(line);
    }
    layers.push_back(std::move(nextNodes));
    live = std::move(kept);
  }
  // Of each form, ways out spread over the heights reached: the next room
  // may be closed to a whole band of them.
  std::map<int, std::vector<size_t>> byForm;
  for (size_t i = 0; i < exits.size(); ++i) {
    byForm[static_cast<int>(exits[i].view.form)].push_back(i);
  }
  std::vector<size_t> chosen;
  for (auto& [form, group] : byForm) {
    // The earliest is always tried: it is the quickest way on.
    chosen.push_back(group.front());
    std::stable_sort(group.begin(), group.end(),
                     [&exits](size_t a, size_t b) { return exits[a].view.y < exits[b].view.y; });
    const size_t take = std::min(group.size(), static_cast<size_t>(options_.maxExits) - 1);
    for (size_t k = 0; k < take; ++k) {
      const size_t at = take == 1 ? 0 : k * (group.size() - 1) / (take - 1);
      chosen.push_back(group[at]);
    }
  }
  std::sort(chosen.begin(), chosen.end());  // found order: earliest first
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  std::vector<RoomExit> spread;
  for (size_t i : chosen) spread.push_back(std::move(exits[i]));
  exits = std::move(spread);
  // Earliest first, taking the forms in turn: a room may need the form the
  // earliest way out did not keep.
  std::map<int, int> rank;
  std::vector<std::pair<int, size_t>> order;
  for (size_t i = 0; i < exits.size(); ++i) {
    order.emplace_back(rank[static_cast<int>(exits[i].view.form)]++, i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<RoomExit> sorted;
  for (const auto& [r, i] : order) sorted.push_back(std::move(exits[i]));
  exits = std::move(sorted);
  stats.seconds = Seconds(started);
  stats.stuck = exits.empty();
  stats.stuckEntry = entryView;
  if (!exits.empty()) stats.framesInRoom = static_cast<int>(exits.front().keys.size());
  stats_.push_back(stats);
  if (log) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "room %2d: entry frame %ld y=%.1f form=%g, cells %g -> %zu ways out, %ld steps, "
                  "%.2f s",
                  room, entryView.frame, entryView.y, entryView.form, cellSize, exits.size(),
                  stats.steps, stats.seconds);
    log(line);
  }
  return exits;
}

bool CourseSearch::SolveFrom(const DriverState& entry, int room, std::vector<uint8_t>& keys) {
  if (roomSearches_ >= options_.maxRoomSearches) return false;
  ++roomSearches_;
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
