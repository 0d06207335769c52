// The course: 52 rooms with their wind columns, obstacles and pickups, built
// from the layout table at the start of every run, and the per-frame passes
// that move, draw and test the current room's objects.
#pragma once

#include <string>
#include <vector>

#include "game/zelvo.h"

namespace zelvo {

// One entry of a room's layout line, as written in course_layout.h.
struct LayoutEntry {
  enum Kind { kWind, kObstacle, kPickup } kind = kWind;
  std::string name;  // picture name without "gfx/" and ".png"; "up"/"down" for winds
  double x = 0, y = 0;
  double speed = 0, mode = 0;  // obstacles
  double pickupKind = 0;       // pickups
};

// Parses one room's layout line; false (with the offending item in error)
// when an item is not of the three forms.
bool ParseRoomLayout(const char* line, std::vector<LayoutEntry>& entries, std::string* error);
// The sprite slot of a picture name ("regal" -> 18), -1 for none.
int SpriteSlotOf(const std::string& name);

// The course records: one number array per field.
struct Course {
  NumberArray levelImages;
  NumberArray roomImage, roomX, roomY, roomNumber;
  NumberArray windSprite, windX, windY, windDirection, windRoom;
  NumberArray obstacleSprite, obstacleX, obstacleY, obstacleSpeed, obstacleMode, obstacleRoom;
  NumberArray pickupSprite, pickupX, pickupY, pickupTaken, pickupKind, pickupRoom;
};

// The state all objects of a kind share, and the ghost cycle.
struct ObjectState {
  double jumperCounter = 0, jumperAngle = 0, jumping = 0, jumpFrame = 0, jumperHeight = 0;
  double boardsCaptured = 0, boardBase = 0, boardCounter = 0, boardAngle = 0, boardMoving = 0,
         boardHeight = 0;
  double ghostAlpha = 0;
  double ghostRising = 1, ghostHolding = 0, ghostFalling = 0;
  double riseCounter = 0, fallCounter = 0, holdCounter = 0;
};

Course& TheCourse();
ObjectState& Objects();

void AddRoom(double image, double x, double y, double room);
void AddWind(double sprite, double x, double y, double direction, double room);
void AddObstacle(double sprite, double x, double y, double speed, double mode, double room);
void AddPickup(double sprite, double x, double y, double taken, double kind, double room);

// Loads the 17 room pictures and builds every record from the layout.
void BuildCourse();
// Prepares the 17 room pictures so that BuildCourse's loads are quick.
void PreloadRoomPictures();
// Resets the ghost cycle as a new run starts.
void ResetGhostCycle();

// The three passes over the current room, in the play loop's order.
void WindPass();
void ObstaclePass();
void PickupPass();
// One step of the ghost blocks' fade cycle.
void GhostCycle();

}  // namespace zelvo
