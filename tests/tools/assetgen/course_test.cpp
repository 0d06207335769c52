// Flies the course with the generated collision shapes: every room must be
// passable for the paper plane (25 x 12, sinking 2 px a frame, rising 3 in an
// updraft) at game speed 1, so that the sprite sizes the art uses never wall
// a room off.
//
// The search is exhaustive over the plane's inputs, frame by frame, with the
// obstacles moving by the game's rules. A room counts as passable when, for
// every phase of the shared animations (ghost fading, board bobbing) the
// player may meet on arrival, some start height and some moment to set off
// from the left edge lead out of the right edge.
#include <gtest/gtest.h>

#include <bitset>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "asset_io.h"
#include "game/asset_manifest.h"
#include "game/course_layout.h"

namespace assettest {
namespace {

constexpr int kTopY = 50, kFloorY = 225;
constexpr int kRows = kFloorY - kTopY + 1;  // plane heights 50..225
constexpr int kCols = 324;                  // plane x 0..323
constexpr int kBits = 256;
using Column = std::bitset<kBits>;  // bit i: plane at y = 50 + i

struct Mask {
  int w = 0, h = 0;
  std::vector<uint8_t> on;
  bool At(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && on[y * w + x]; }
};

Mask LoadMask(const std::string& name, int frame_w = 0, int frame_h = 0) {
  Png p;
  std::string err;
  EXPECT_TRUE(ReadPng(RunDir() + "/gfx/" + name + ".png", p, err)) << err;
  Mask m;
  m.w = frame_w ? frame_w : p.w;
  m.h = frame_h ? frame_h : p.h;
  m.on.resize(m.w * m.h);
  for (int y = 0; y < m.h && y < p.h; ++y)
    for (int x = 0; x < m.w && x < p.w; ++x) m.on[y * m.w + x] = !p.Transparent(x, y);
  return m;
}

// Where the plane may not be relative to an obstacle: for each horizontal
// offset dx = plane x - obstacle x, the set of vertical offsets that overlap.
struct Offsets {
  int dx0 = 0, dy0 = 0;
  std::vector<Column> cols;  // bit j: dy = dy0 + j
};

Offsets CollisionOffsets(const Mask& plane, const Mask& obj) {
  Offsets o;
  o.dx0 = -(plane.w - 1);
  o.dy0 = -(plane.h - 1);
  o.cols.resize(obj.w + plane.w - 1);
  for (int oy = 0; oy < obj.h; ++oy)
    for (int ox = 0; ox < obj.w; ++ox) {
      if (!obj.At(ox, oy)) continue;
      for (int py = 0; py < plane.h; ++py)
        for (int px = 0; px < plane.w; ++px)
          if (plane.At(px, py)) o.cols[ox - px - o.dx0].set(oy - py - o.dy0);
    }
  return o;
}

// Marks the plane positions that touch an obstacle placed at (qx, qy).
void Forbid(std::vector<Column>& map, const Offsets& o, int qx, int qy) {
  int shift = qy + o.dy0 - kTopY;  // bit j of a column lands on row shift + j
  for (size_t c = 0; c < o.cols.size(); ++c) {
    int px = qx + o.dx0 + static_cast<int>(c);
    if (px < 0 || px >= kCols || o.cols[c].none()) continue;
    map[px] |= shift >= 0 ? o.cols[c] << shift : o.cols[c] >> -shift;
  }
}

enum class Move { kFixed, kDrop, kJumper, kLeftPlane, kRightPlane, kMeteor, kRisingMeteor };

struct Obstacle {
  std::string sprite;
  double x, y, speed;
  int mode;
  Move move = Move::kFixed;
};

struct Room {
  std::vector<std::pair<int, int>> winds;  // x, +1 up / -1 down
  std::vector<Obstacle> obstacles;
};

Room ParseRoom(const std::string& text) {
  Room r;
  std::stringstream ss(text);
  std::string item;
  while (std::getline(ss, item, ';')) {
    std::stringstream is(item);
    std::string name;
    is >> name;
    if (name.empty() || name == "pickup") continue;
    if (name == "up" || name == "down") {
      int x;
      is >> x;
      r.winds.push_back({x, name == "up" ? 1 : -1});
      continue;
    }
    Obstacle o;
    o.sprite = name;
    char sep;
    std::string s, m;
    is >> o.x >> sep >> o.y >> s >> m;
    o.speed = std::stod(s.substr(1));
    o.mode = std::stoi(m.substr(1));
    static const std::map<std::string, Move> kMoves = {
        {"tropfen", Move::kDrop},           {"quak", Move::kJumper},
        {"redplaneleft", Move::kLeftPlane}, {"redplaneright", Move::kRightPlane},
        {"meteor", Move::kMeteor},          {"meteory", Move::kRisingMeteor}};
    auto it = kMoves.find(name);
    if (it != kMoves.end()) o.move = it->second;
    r.obstacles.push_back(o);
  }
  return r;
}

// The ghost blocks' fade cycle, frame by frame from the start of a run:
// true while they are solid (alpha exactly 0).
std::vector<bool> GhostSolid(int frames) {
  std::vector<bool> solid;
  double alpha = 0;
  bool rising = true, holding = false, falling = false;
  int rise = 0, fall = 0, hold = 0;
  for (int f = 0; f < frames; ++f) {
    solid.push_back(alpha == 0);
    if (!rising && !falling) rising = true;
    if (rising && !holding && rise > 2) {
      alpha += 0.05;
      rise = fall = 0;
      if (alpha > 1) {
        alpha = 0;
        holding = true;
      }
    }
    if (holding && ++hold > 200) {
      alpha = 1;
      falling = true;
      rising = holding = false;
      hold = 0;
    }
    if (falling && fall > 2) {
      alpha -= 0.05;
      rise = fall = 0;
      if (alpha < 0.1) {
        alpha = 0.1;
        falling = false;
        rising = true;
      }
    }
    ++rise;
    ++fall;
  }
  return solid;
}

struct Shapes {
  Mask plane, cloud, dummy;
  std::map<std::string, Mask> sprites;
  std::map<std::string, Offsets> plane_offsets, cloud_offsets;
  Offsets plane_wind, cloud_wind;

  // A sprite as the game loads it: one frame of a strip, a plain one whole.
  static Mask LoadSprite(const std::string& name) {
    for (const manifest::Picture& p : manifest::kLoadedSprites) {
      if (p.frames > 0 && "gfx/" + name + ".png" == p.file)
        return LoadMask(name, p.width, p.height);
    }
    return LoadMask(name);
  }

  Shapes() {
    plane = LoadSprite("planesprite");
    cloud = LoadSprite("wolkeanim");
    dummy = LoadSprite("dummy");
    plane_wind = CollisionOffsets(plane, dummy);
    cloud_wind = CollisionOffsets(cloud, dummy);
    for (int r = 0; r < 52; ++r)
      for (const Obstacle& o : ParseRoom(course::kRooms[r]).obstacles) {
        if (sprites.count(o.sprite)) continue;
        sprites[o.sprite] = LoadSprite(o.sprite);
        plane_offsets[o.sprite] = CollisionOffsets(plane, sprites[o.sprite]);
        cloud_offsets[o.sprite] = CollisionOffsets(cloud, sprites[o.sprite]);
      }
  }
};

const Shapes& GetShapes() {
  static const Shapes s;
  return s;
}

struct Phase {
  int ghost_offset;  // frame of the ghost cycle at arrival
  int board_steps;   // steps the shared board cycle has made before arrival
};

// Obstacle positions, frame after frame, by the game's movement rules.
class World {
 public:
  World(const Room& room, const Phase& ph) : obs_(room.obstacles), phase_(ph) {
    for (int i = 0; i < ph.board_steps; ++i) BoardStep(nullptr);
  }

  void Step() {
    bool captured_now = false;
    for (Obstacle& o : obs_) {
      switch (o.move) {
        case Move::kDrop:
          o.y += o.speed;
          if (o.y > 300) o.y = 46;
          break;
        case Move::kJumper: {
          double h = 195 - std::sin(jump_angle_ * M_PI / 180) * 100;
          jump_counter_ += o.speed;
          if (jump_counter_ > 500 && !jumping_) {
            jumping_ = true;
            jump_angle_ = 0;
          } else if (!jumping_) {
            jump_counter_ += 1;
          }
          if (jumping_) {
            jump_counter_ = 0;
            jump_angle_ += 3;
            if (jump_angle_ > 180) {
              jump_angle_ = 0;
              jumping_ = false;
            }
          }
          o.y = h;
          break;
        }
        case Move::kLeftPlane:
          o.y += 2;
          o.x -= o.speed;
          if (o.x < -40) o.x = 360, o.y = 0;
          break;
        case Move::kRightPlane:
          o.y += 2;
          o.x += o.speed;
          if (o.x > 360) o.x = -40, o.y = 0;
          break;
        case Move::kMeteor:
          o.x -= o.speed;
          if (o.x < -40) o.x = 360;
          break;
        case Move::kRisingMeteor:
          o.y -= o.speed;
          if (o.y < -40) o.y = 280;
          break;
        case Move::kFixed:
          break;
      }
      if (o.mode == 2) {
        if (!captured_) {
          board_base_ = o.y;
          captured_ = captured_now = true;
        }
        BoardStep(&o);
      }
    }
    ++frame_;
  }

  bool GhostSolid() const {
    static const std::vector<bool> cycle = assettest::GhostSolid(4000);
    return cycle[phase_.ghost_offset + frame_];
  }

  const std::vector<Obstacle>& obstacles() const { return obs_; }

 private:
  void BoardStep(Obstacle* o) {
    double h = board_base_ - std::sin(board_angle_ * M_PI / 180) * 50;
    board_counter_ += 1;
    if (board_counter_ > 200 && !board_moving_) {
      board_angle_ = 0;
      board_moving_ = true;
    }
    if (board_moving_) {
      board_counter_ = 0;
      board_angle_ += 1;
      if (board_angle_ > 360) {
        board_angle_ = 0;
        board_moving_ = false;
      }
    } else {
      board_counter_ += 1;
    }
    if (o) o->y = std::clamp(h, 50.0, 200.0);
  }

  std::vector<Obstacle> obs_;
  Phase phase_;
  int frame_ = 0;
  double jump_counter_ = 0, jump_angle_ = 0;
  bool jumping_ = false;
  double board_base_ = 0, board_counter_ = 0, board_angle_ = 0;
  bool board_moving_ = false, captured_ = false;
};

struct Outcome {
  bool passed = false;
  int frames = 0;
};

// Breadth-first over frames. `wait` frames during which the player may set
// off from the left edge at any height (the start prompt after a crash).
Outcome Fly(const Room& room, bool cloud, const Phase& phase, int wait, int max_frames,
            const Column* entry = nullptr, Column* exits = nullptr) {
  const Shapes& sh = GetShapes();
  const auto& offsets = cloud ? sh.cloud_offsets : sh.plane_offsets;
  const Offsets& wind_off = cloud ? sh.cloud_wind : sh.plane_wind;

  // Wind per plane position: the last overlapped column decides.
  std::vector<Column> up(kCols), down(kCols), calm(kCols);
  for (auto [wx, dir] : room.winds) {
    std::vector<Column> hit(kCols);
    Forbid(hit, wind_off, wx, 46);
    for (int x = 0; x < kCols; ++x) {
      if (dir > 0) {
        up[x] |= hit[x];
        down[x] &= ~hit[x];
      } else {
        down[x] |= hit[x];
        up[x] &= ~hit[x];
      }
    }
  }
  Column all;
  for (int i = 0; i < kRows; ++i) all.set(i);
  for (int x = 0; x < kCols; ++x) calm[x] = all & ~up[x] & ~down[x];

  World world(room, phase);
  std::vector<Column> states(kCols), next(kCols), forbidden(kCols);
  Column starts;
  for (int y = kTopY; y <= kFloorY; y += 2) starts.set(y - kTopY);
  if (entry) starts = *entry;
  bool passed = false;
  int first_exit = 0;

  auto shifted = [&](const Column& c, int dy) {
    if (dy >= 0) return (c << dy) & all;  // past the floor: crashed
    Column up_part = c >> -dy;
    Column lost = c & (Column().set() >> (kBits + dy));  // would pass the ceiling
    if (lost.any()) up_part.set(0);
    return up_part;
  };

  for (int t = 0; t < max_frames; ++t) {
    if (t < wait) states[0] |= starts;
    world.Step();
    for (Column& c : forbidden) c.reset();
    bool ghosts_solid = world.GhostSolid();
    for (const Obstacle& o : world.obstacles()) {
      if (o.mode == 1 && !ghosts_solid) continue;
      Forbid(forbidden, offsets.at(o.sprite), static_cast<int>(o.x), static_cast<int>(o.y));
    }
    for (Column& c : next) c.reset();
    bool any = false;
    for (int x = 0; x < kCols; ++x) {
      Column s = states[x] & ~forbidden[x];
      if (s.none()) continue;
      any = true;
      const Column parts[3] = {s & up[x], s & down[x], s & calm[x]};
      const int drift_paper[3] = {-3, 4, 2}, drift_cloud[3] = {-3, 4, 0};
      const int* drift = cloud ? drift_cloud : drift_paper;
      const int dxs_paper[3] = {-3, 0, 3}, dxs_cloud[3] = {-1, 0, 3};
      const int* dxs = cloud ? dxs_cloud : dxs_paper;
      for (int d = 0; d < 3; ++d) {
        if (parts[d].none()) continue;
        for (int k = 0; k < 3; ++k) {
          int nx = x + dxs[k];
          for (int vy : cloud ? std::vector<int>{-2, 0, 2} : std::vector<int>{0}) {
            Column moved = shifted(parts[d], drift[d] + vy);
            if (moved.none()) continue;
            if (nx > 320) {
              if (!exits) return {true, t + 1};
              if (!passed) first_exit = t + 1;
              passed = true;
              *exits |= moved;
              continue;
            }
            next[std::max(0, nx)] |= moved;
          }
        }
      }
    }
    if (!any && t >= wait) return {passed, passed ? first_exit : t};
    std::swap(states, next);
  }
  return {passed, passed ? first_exit : max_frames};
}

bool CloudRoom(int r) {
  return r >= 22 && r <= 30;
}

std::vector<Phase> Phases(const Room& room) {
  bool ghosts = false, boards = false;
  for (const Obstacle& o : room.obstacles) {
    ghosts = ghosts || o.mode == 1;
    boards = boards || o.mode == 2;
  }
  std::vector<Phase> out;
  // The fade cycle repeats every 315 frames once it has settled.
  const int ghost_samples = ghosts ? 7 : 1, board_samples = boards ? 5 : 1;
  for (int g = 0; g < ghost_samples; ++g)
    for (int b = 0; b < board_samples; ++b) out.push_back({400 + g * 45, b * 92});
  return out;
}

// Room 51 is the goal: entering it ends the run, so it is never crossed.
constexpr int kLastRoomToCross = 50;

TEST(Course, EveryRoomCanBeLeftAfterACrash) {
  // After a crash the plane waits at the left edge, at a height the player
  // picks, for as long as the player likes.
  for (int r = 0; r <= kLastRoomToCross; ++r) {
    Room room = ParseRoom(course::kRooms[r]);
    for (const Phase& ph : Phases(room)) {
      Outcome o = Fly(room, CloudRoom(r), ph, 700, 1600);
      EXPECT_TRUE(o.passed) << "room " << r << " is walled off (ghost phase " << ph.ghost_offset
                            << ", board phase " << ph.board_steps << ")";
    }
  }
}

TEST(Course, TheWholeCourseCanBeFlownWithoutACrash) {
  // Each room is entered at a height the previous room can be left at; the
  // run starts at the ceiling of room 0.
  Column entry;
  entry.set(0);
  for (int r = 0; r <= kLastRoomToCross; ++r) {
    Room room = ParseRoom(course::kRooms[r]);
    Column exits;
    for (const Phase& ph : Phases(room)) {
      Column ex;
      Outcome o = Fly(room, CloudRoom(r), ph, 1, 900, &entry, &ex);
      EXPECT_TRUE(o.passed) << "room " << r << " cannot be crossed from where room " << r - 1
                            << " lets the plane out (ghost phase " << ph.ghost_offset
                            << ", board phase " << ph.board_steps << ")";
      exits |= ex;
    }
    if (exits.none()) return;
    entry = exits;
  }
}

TEST(Course, CheckerSeesWallsAndGravity) {
  // Guards the search itself: a stack of volcanoes closes a room, and a paper
  // plane cannot glide across a room without wind.
  Room wall = ParseRoom("up 0; invivulkan 150,46 s0 m0; invivulkan 150,132 s0 m0; up 260");
  EXPECT_FALSE(Fly(wall, false, {400, 0}, 700, 1600).passed);
  EXPECT_FALSE(Fly(ParseRoom(course::kRooms[22]), false, {400, 0}, 700, 1600).passed);
  EXPECT_TRUE(Fly(ParseRoom(course::kRooms[22]), true, {400, 0}, 700, 1600).passed);
}

}  // namespace
}  // namespace assettest
