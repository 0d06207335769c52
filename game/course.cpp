#include "game/course.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/asset_manifest.h"
#include "game/course_layout.h"
#include "game/game_io.h"
#include "game/startup.h"

namespace zelvo {

namespace {

Course g_course;
ObjectState g_objects;

// The parsed layout, the same for every run.
const std::vector<std::vector<LayoutEntry>>& Layout() {
  static const std::vector<std::vector<LayoutEntry>> rooms = [] {
    std::vector<std::vector<LayoutEntry>> parsed(52);
    for (int r = 0; r < 52; ++r) {
      std::string error;
      if (!ParseRoomLayout(course::kRooms[r], parsed[r], &error)) {
        std::fprintf(stderr, "zelvo2: room %d of the course layout: bad item \"%s\"\n", r,
                     error.c_str());
        std::abort();
      }
    }
    return parsed;
  }();
  return rooms;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end && *end == '\0';
}

// "X,Y" into x and y.
bool ParsePoint(const std::string& text, double& x, double& y) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  return ParseNumber(text.substr(0, comma), x) && ParseNumber(text.substr(comma + 1), y);
}

// "pS" into value, for the field letter p.
bool ParseField(const std::string& text, char letter, double& value) {
  return text.size() >= 2 && text[0] == letter && ParseNumber(text.substr(1), value);
}

std::vector<std::string> Words(const std::string& item) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < item.size()) {
    const size_t next = item.find(' ', at);
    const std::string word = item.substr(at, next == std::string::npos ? next : next - at);
    if (!word.empty()) words.push_back(word);
    if (next == std::string::npos) break;
    at = next + 1;
  }
  return words;
}

bool ParseItem(const std::string& item, LayoutEntry& entry) {
  const std::vector<std::string> w = Words(item);
  if (w.size() == 2 && (w[0] == "up" || w[0] == "down")) {
    entry.kind = LayoutEntry::kWind;
    entry.name = w[0];
    entry.y = 46;
    return ParseNumber(w[1], entry.x);
  }
  if (w.size() == 4 && w[0] == "pickup") {
    entry.kind = LayoutEntry::kPickup;
    entry.name = w[1];
    return SpriteSlotOf(w[1]) >= 0 && ParsePoint(w[2], entry.x, entry.y) &&
           ParseField(w[3], 'k', entry.pickupKind);
  }
  if (w.size() == 4) {
    entry.kind = LayoutEntry::kObstacle;
    entry.name = w[0];
    return SpriteSlotOf(w[0]) >= 0 && ParsePoint(w[1], entry.x, entry.y) &&
           ParseField(w[2], 's', entry.speed) && ParseField(w[3], 'm', entry.mode);
  }
  return false;
}

bool InRoom(const NumberArray& rooms, int i) {
  return NumberArrayAt(const_cast<NumberArray&>(rooms), i) == Game().run.roomIndex;
}

// Collision of the plane's first frame with frame 0 of slot at (x, y) in
// room coordinates.
bool PlaneTouches(double slot, double x, double y) {
  const Run& r = Game().run;
  return Io().AnimationFramesOverlap(r.planeSprite, 0, r.planeX - r.scrollX, r.planeY - r.scrollY,
                                     slot, 0, x - r.scrollX, y - r.scrollY);
}

void MoveObstacle(int i) {
  Course& c = g_course;
  ObjectState& o = g_objects;
  const double g = Game().settings.gameSpeed;
  const double sprite = NumberArrayAt(c.obstacleSprite, i);
  const double s = NumberArrayAt(c.obstacleSpeed, i);
  double& x = NumberArrayAt(c.obstacleX, i);
  double& y = NumberArrayAt(c.obstacleY, i);
  if (sprite == slot::kDrop) {
    y += s * g;
    if (y < 50) PlayEffect(slot::kSoundDrip);
    if (y > 300) y = 46;
  } else if (sprite == slot::kJumper) {
    o.jumperHeight = 195 - SinDeg(o.jumperAngle) * 100;
    o.jumperCounter += s;
    if (o.jumperCounter > 500 && o.jumping == 0) {
      PlayEffect(slot::kSoundBoing);
      o.jumping = 1;
      o.jumpFrame = 1;
      o.jumperAngle = 0;
    } else if (o.jumping == 0) {
      o.jumperCounter += g;
    }
    if (o.jumping == 1) {
      o.jumperCounter = 0;
      o.jumperAngle += 3 * g;
      if (o.jumperAngle > 180) {
        o.jumperAngle = 0;
        o.jumpFrame = 0;
        o.jumping = 0;
      }
    }
    y = o.jumperHeight;
  } else if (sprite == slot::kPlaneLeft) {
    y += 2 * g;
    x -= s * g;
    if (x < -40) {
      x = 360;
      y = 0;
    }
  } else if (sprite == slot::kPlaneRight) {
    y += 2 * g;
    x += s * g;
    if (x > 360) {
      x = -40;
      y = 0;
    }
  } else if (sprite == slot::kMeteor) {
    x -= s * g;
    if (x < -40) x = 360;
  } else if (sprite == slot::kRisingMeteor) {
    y -= s * g;
    if (y < -40) y = 280;
  }
  if (NumberArrayAt(c.obstacleMode, i) == 2) {
    if (o.boardsCaptured == 0) {
      o.boardBase = y;
      o.boardsCaptured = 1;
    }
    o.boardHeight = o.boardBase - SinDeg(o.boardAngle) * 50;
    o.boardCounter += s;
    if (o.boardCounter > 200 && o.boardMoving == 0) {
      o.boardAngle = 0;
      o.boardMoving = 1;
    }
    if (o.boardMoving == 1) {
      o.boardCounter = 0;
      o.boardAngle += g;
      if (o.boardAngle > 360) {
        o.boardAngle = 0;
        o.boardMoving = 0;
      }
    } else {
      o.boardCounter += g;
    }
    if (o.boardHeight < 50) o.boardHeight = 50;
    if (o.boardHeight > 200) o.boardHeight = 200;
    y = o.boardHeight;
  }
}

}  // namespace

int SpriteSlotOf(const std::string& name) {
  const std::string file = "gfx/" + name + ".png";
  for (int i = manifest::kFirstCourseObject; i < manifest::kCourseObjectEnd; ++i) {
    if (file == manifest::kLoadedSprites[i].file) return slot::kSplash + i;
  }
  return -1;
}

bool ParseRoomLayout(const char* line, std::vector<LayoutEntry>& entries, std::string* error) {
  entries.clear();
  const std::string text(line);
  size_t at = 0;
  while (at <= text.size()) {
    const size_t next = text.find(';', at);
    const std::string item =
        Trim(text.substr(at, next == std::string::npos ? std::string::npos : next - at));
    if (!item.empty()) {
      LayoutEntry entry;
      if (!ParseItem(item, entry)) {
        if (error) *error = item;
        return false;
      }
      entries.push_back(entry);
    }
    if (next == std::string::npos) break;
    at = next + 1;
  }
  return true;
}

Course& TheCourse() {
  return g_course;
}

ObjectState& Objects() {
  return g_objects;
}

void AddRoom(double image, double x, double y, double room) {
  Course& c = g_course;
  c.roomImage.Push(image);
  c.roomX.Push(x);
  c.roomY.Push(y);
  c.roomNumber.Push(room);
}

void AddWind(double sprite, double x, double y, double direction, double room) {
  Course& c = g_course;
  c.windSprite.Push(sprite);
  c.windX.Push(x);
  c.windY.Push(y);
  c.windDirection.Push(direction);
  c.windRoom.Push(room);
}

void AddObstacle(double sprite, double x, double y, double speed, double mode, double room) {
  Course& c = g_course;
  c.obstacleSprite.Push(sprite);
  c.obstacleX.Push(x);
  c.obstacleY.Push(y);
  c.obstacleSpeed.Push(speed);
  c.obstacleMode.Push(mode);
  c.obstacleRoom.Push(room);
}

void AddPickup(double sprite, double x, double y, double taken, double kind, double room) {
  Course& c = g_course;
  c.pickupSprite.Push(sprite);
  c.pickupX.Push(x);
  c.pickupY.Push(y);
  c.pickupTaken.Push(taken);
  c.pickupKind.Push(kind);
  c.pickupRoom.Push(room);
}

void PreloadRoomPictures() {
  GameState& g = Game();
  // Where the first run's block will start unless another block comes
  // first; the counter stays, so the numbering is the run's own.
  const int first = Trunc(g.nextSpriteSlot);
  if (g.roomImages.count != 0 || first + manifest::kRoomPictureCount - 1 > kLastBlockSlot) return;
  for (int i = 0; i < manifest::kRoomPictureCount; ++i)
    Io().SpriteFromFile(manifest::kRoomPictures[i], first + i);
  g.preloadedRooms = first;
}

void BuildCourse() {
  Course& c = g_course;
  GameState& g = Game();
  // The first run numbers its pictures from NextSpriteSlot. Later runs keep
  // the pictures where they are and move the counter on as if they had
  // loaded them into fresh slots, so every other block still lands where it
  // always did; loading 17 pictures again would stall the run's first frame.
  // Pictures the Loading screen put in the first run's slots are used as
  // they are.
  const int preloaded = g.preloadedRooms;
  g.preloadedRooms = -1;
  if (g.roomImagesKept && g.roomImages.count == manifest::kRoomPictureCount) {
    TakeSlotNumbers(manifest::kRoomPictureCount);
  } else {
    TakeSpriteBlock(g.roomImages, manifest::kRoomPictureCount);
    const bool loaded = preloaded >= 0 && preloaded == g.roomImages.first;
    for (int i = 0; i < manifest::kRoomPictureCount && !loaded; ++i) {
      Io().SpriteFromFile(manifest::kRoomPictures[i], g.roomImages.first + i);
    }
    g.roomImagesKept = true;
  }
  DimNumberArray(c.levelImages, 0);
  for (int i = 0; i < manifest::kRoomPictureCount; ++i) c.levelImages.Push(g.roomImages.first + i);
  for (NumberArray* field :
       {&c.roomImage,    &c.roomX,     &c.roomY,         &c.roomNumber,   &c.windSprite,
        &c.windX,        &c.windY,     &c.windDirection, &c.windRoom,     &c.obstacleSprite,
        &c.obstacleX,    &c.obstacleY, &c.obstacleSpeed, &c.obstacleMode, &c.obstacleRoom,
        &c.pickupSprite, &c.pickupX,   &c.pickupY,       &c.pickupTaken,  &c.pickupKind,
        &c.pickupRoom}) {
    DimNumberArray(*field, 0);
  }
  const auto& layout = Layout();
  for (int r = 0; r < 52; ++r) {
    AddRoom(NumberArrayAt(c.levelImages, course::kRoomImage[r]), 0, 0, r);
    for (const LayoutEntry& e : layout[r]) {
      switch (e.kind) {
        case LayoutEntry::kWind:
          AddWind(e.name == "up" ? slot::kUpdraft : slot::kDowndraft, e.x, e.y,
                  e.name == "up" ? 0 : 1, r);
          break;
        case LayoutEntry::kObstacle:
          AddObstacle(SpriteSlotOf(e.name), e.x, e.y, e.speed, e.mode, r);
          break;
        case LayoutEntry::kPickup:
          AddPickup(SpriteSlotOf(e.name), e.x, e.y, 0, e.pickupKind, r);
          break;
      }
    }
  }
}

void ResetGhostCycle() {
  ObjectState& o = g_objects;
  o.ghostAlpha = 0;
  o.ghostRising = 1;
  o.ghostHolding = 0;
  o.ghostFalling = 0;
  o.riseCounter = 0;
  o.fallCounter = 0;
  o.holdCounter = 0;
}

void WindPass() {
  Course& c = g_course;
  Run& r = Game().run;
  const int count = c.windRoom.DimSize(0);
  if (r.frozen == 0) {
    for (int i = 0; i < count; ++i) {
      if (!InRoom(c.windRoom, i)) continue;
      if (!PlaneTouches(slot::kWindShape, NumberArrayAt(c.windX, i), NumberArrayAt(c.windY, i))) {
        r.windForce = 0;
      }
    }
  }
  for (int i = 0; i < count; ++i) {
    if (!InRoom(c.windRoom, i)) continue;
    const double x = NumberArrayAt(c.windX, i);
    const double y = NumberArrayAt(c.windY, i);
    Io().PutAnimationFrame(NumberArrayAt(c.windSprite, i), r.windFrame, x - r.scrollX,
                           y - r.scrollY);
    if (r.frozen == 0 && PlaneTouches(slot::kWindShape, x, y)) {
      r.windForce = NumberArrayAt(c.windDirection, i) == 0 ? 1 : -1;
    }
  }
}

void ObstaclePass() {
  Course& c = g_course;
  ObjectState& o = g_objects;
  Run& r = Game().run;
  const int count = c.obstacleRoom.DimSize(0);
  for (int i = 0; i < count; ++i) {
    if (!InRoom(c.obstacleRoom, i)) continue;
    if (r.frozen == 0) {
      MoveObstacle(i);
    } else {
      // Each room's boards take their height from its first board.
      o.boardsCaptured = 0;
    }
    const double sprite = NumberArrayAt(c.obstacleSprite, i);
    const double mode = NumberArrayAt(c.obstacleMode, i);
    const double x = NumberArrayAt(c.obstacleX, i);
    const double y = NumberArrayAt(c.obstacleY, i);
    const double sx = x - r.scrollX, sy = y - r.scrollY;
    if (sprite == slot::kMeteor || sprite == slot::kRisingMeteor) {
      Io().PutAnimationFrame(sprite, r.meteorFrame, sx, sy);
    } else if (sprite == slot::kJumper) {
      Io().PutAnimationFrame(sprite, o.jumpFrame, sx, sy);
    } else if (sprite == slot::kDrop) {
      Io().PutSprite(sprite, sx, sy);
    } else if (mode == 1) {
      Io().SetBlendMode(o.ghostAlpha);
      Io().PutSprite(sprite, sx, sy);
      Io().SetBlendMode(0);
    } else {
      Io().PutSprite(sprite, sx, sy);
    }
    if (PlaneTouches(sprite, x, y)) {
      if (mode == 0 || mode == 2) r.crashed = 1;
      if (mode == 1 && o.ghostAlpha == 0) r.crashed = 1;
    }
  }
}

void PickupPass() {
  Course& c = g_course;
  GameState& game = Game();
  Run& r = game.run;
  const int count = c.pickupRoom.DimSize(0);
  for (int i = 0; i < count; ++i) {
    if (!InRoom(c.pickupRoom, i)) continue;
    double& sprite = NumberArrayAt(c.pickupSprite, i);
    double& taken = NumberArrayAt(c.pickupTaken, i);
    const double kind = NumberArrayAt(c.pickupKind, i);
    const double x = NumberArrayAt(c.pickupX, i);
    const double y = NumberArrayAt(c.pickupY, i);
    if (taken == 0) {
      Io().PutSprite(sprite, x - r.scrollX, y - r.scrollY);
      if (kind == 3) {
        // An unlit room shows only its switch, the plane and the display.
        Io().FillRect(0 - r.scrollX, 0 - r.scrollY, 320, 240, 0);
        Io().PutSprite(sprite, x - r.scrollX, y - r.scrollY);
      }
    } else if (kind == 3) {
      Io().PutSprite(sprite, x - r.scrollX, y - r.scrollY);
    }
    if (taken != 0 || !PlaneTouches(sprite, x, y)) continue;
    if (kind == 0) {
      PlayEffect(slot::kSoundConfirm);
      r.planes += 1;
      r.planeForm = 0;
      r.score += 50;
      taken = 1;
    } else if (kind == 2) {
      PlayEffect(slot::kSoundConfirm);
      r.score += 50;
      r.planeForm = 0;
      taken = 1;
    } else if (kind == 1) {
      if (r.planeForm == 1) continue;
      PlayEffect(slot::kSoundConfirm);
      r.score += 100;
      r.planeForm = 1;
      taken = 1;
    } else if (kind == 3) {
      PlayEffect(slot::kSoundLight);
      taken = 1;
      sprite += 1;
    }
  }
}

void GhostCycle() {
  ObjectState& o = g_objects;
  if (o.ghostRising == 0 && o.ghostFalling == 0) o.ghostRising = 1;
  if (o.ghostRising == 1 && o.ghostHolding == 0) {
    if (o.riseCounter > 2) {
      o.ghostAlpha += 0.05;
      o.riseCounter = 0;
      o.fallCounter = 0;
    }
    if (o.ghostAlpha > 1) {
      o.ghostAlpha = 0;
      o.ghostHolding = 1;
    }
  }
  if (o.ghostHolding == 1) {
    o.holdCounter += 1;
    if (o.holdCounter > 200) {
      o.ghostAlpha = 1;
      o.ghostFalling = 1;
      o.ghostRising = 0;
      o.ghostHolding = 0;
      o.holdCounter = 0;
    }
  }
  if (o.ghostFalling == 1) {
    if (o.fallCounter > 2) {
      o.ghostAlpha -= 0.05;
      o.riseCounter = 0;
      o.fallCounter = 0;
    }
    if (o.ghostAlpha < 0.1) {
      o.ghostAlpha = 0.1;
      o.ghostFalling = 0;
      o.ghostRising = 1;
    }
  }
  o.riseCounter += 1;
  o.fallCounter += 1;
}

}  // namespace zelvo
