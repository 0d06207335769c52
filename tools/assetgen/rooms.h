// Room backgrounds, one world per level set: the bands every room shares and
// each world's rooms (rooms_<world>.cpp).
//
// The head-up display sits on a light ceiling band (rows 0-45) so its dark
// lettering reads everywhere, the playfield runs from the ceiling line at 46
// to the floor strip at the bottom, and the background stays a little muted
// and outline-free so that the outlined obstacles stand out from it.
#pragma once

#include "canvas.h"

namespace assetgen::rooms {

constexpr int kCeiling = 46;
constexpr int kFloorTop = 232;

// Draws into a scratch canvas and fades it towards the wall colour: furniture
// in the background must never be mistaken for an obstacle.
void Backdrop(Canvas& c, int x, int y, Canvas&& part, Rgb haze, double amount);

// Soft shadow under the ceiling and towards the sides, dithered in quarter
// steps: gives the flat walls some depth without new colours.
void WallShade(Canvas& c, int y0, int y1, double strength);

// The rooms of each world, variant 0 first.
Canvas StudyRoom(int variant);
Canvas HouseRoom(int variant);
Canvas SpaceRoom(int variant);
Canvas CryptRoom(int variant);
Canvas ToonRoom();

}  // namespace assetgen::rooms
