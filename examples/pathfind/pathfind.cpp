// Path search you can watch: a 20 x 14 grid of walls, grass (cost 1) and
// mud (cost 4). The left mouse button sets the goal, the right one the
// start, and FindPath draws the cheapest way between them every frame.
// Space switches the search between cheapest (weight 0.5) and greedy
// (weight 1), which heads for the goal and may wade through mud. Escape
// ends it.
//
//   pathfind                 until Escape
//   pathfind --shot FILE     a fixed start and goal; the 10th frame to FILE
#include <cstring>
#include <string>

#include "runtime/runtime.h"

namespace {

constexpr int kCell = 16;
constexpr int kWidth = 20, kHeight = 14;  // the last 16 pixels hold the status line
constexpr double kWall = 0, kGrass = 1, kMud = 4;

// A fixed landscape: a wall with two gaps, a mud pond in the short way and
// a few pillars, so the cheapest and the greedy path differ.
void MakeMap(NumberArray& map) {
  DimNumberArray(map, kWidth, kHeight);
  for (int x = 0; x < kWidth; ++x)
    for (int y = 0; y < kHeight; ++y) NumberArrayAt(map, x, y) = kGrass;
  for (int y = 0; y < kHeight; ++y)
    if (y != 2 && y != 11) NumberArrayAt(map, 9, y) = kWall;
  for (int x = 10; x < 17; ++x)
    for (int y = 3; y < 8; ++y) NumberArrayAt(map, x, y) = kMud;
  for (int x = 3; x < 8; ++x)
    for (int y = 6; y < 9; ++y) NumberArrayAt(map, x, y) = kMud;
  for (int y = 1; y < 6; ++y) NumberArrayAt(map, 14, y + 6) = kWall;
  NumberArrayAt(map, 4, 3) = NumberArrayAt(map, 5, 11) = NumberArrayAt(map, 17, 9) = kWall;
}

void DrawMap(const NumberArray& map) {
  for (int x = 0; x < kWidth; ++x) {
    for (int y = 0; y < kHeight; ++y) {
      const double cost = map.At(x, y);
      const int colour = cost == kWall  ? Rgb(70, 70, 80)
                         : cost == kMud ? Rgb(110, 80, 40)
                                        : Rgb(50, 120, 50);
      FillRect(x * kCell, y * kCell, kCell - 1, kCell - 1, colour);
    }
  }
}

// The cells of the path joined by lines through their centres, with a dot
// on each; returns the path's total cost (the start cell not counted).
double DrawPath(const NumberArray& map, const NumberArray& path, int cells) {
  double cost = 0;
  for (int i = 0; i < cells; ++i) {
    const int x = static_cast<int>(path.At(i, 0)), y = static_cast<int>(path.At(i, 1));
    const int cx = x * kCell + kCell / 2, cy = y * kCell + kCell / 2;
    if (i > 0) {
      cost += map.At(x, y);
      const int px = static_cast<int>(path.At(i - 1, 0)) * kCell + kCell / 2;
      const int py = static_cast<int>(path.At(i - 1, 1)) * kCell + kCell / 2;
      DrawLine(px, py, cx, cy, Rgb(255, 255, 120));
    }
    FillRect(cx - 1, cy - 1, 3, 3, Rgb(255, 255, 120));
  }
  return cost;
}

void Marker(int cellX, int cellY, int colour) {
  FillRect(cellX * kCell + 3, cellY * kCell + 3, kCell - 7, kCell - 7, colour);
}

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  const bool shot = std::strncmp(commandLine, "--shot ", 7) == 0;
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Path search");
  if (!MainWindowHandle()) End();

  NumberArray map, path;
  MakeMap(map);
  int startX = 1, startY = 6, goalX = 18, goalY = 5;
  double weight = 0.5;
  bool spaceWasDown = false;
  for (int frame = 0;; ++frame) {
    if (!shot) {
      int32_t mx, my, left, right;
      MouseStateInt(mx, my, left, right);
      const int cx = mx / kCell, cy = my / kCell;
      if (cy < kHeight && map.At(cx, cy) != kWall) {
        if (left) goalX = cx, goalY = cy;
        if (right) startX = cx, startY = cy;
      }
      const bool spaceDown = KeyDown(keys::kSpace) != 0;
      if (spaceDown && !spaceWasDown) weight = weight == 0.5 ? 1 : 0.5;
      spaceWasDown = spaceDown;
    }

    const int cells = FindPath(map, path, weight, startX, startY, goalX, goalY);
    FillRect(0, 0, 320, 240, 0);
    DrawMap(map);
    const double cost = DrawPath(map, path, cells);
    Marker(startX, startY, Rgb(80, 160, 255));
    Marker(goalX, goalY, Rgb(255, 80, 80));

    std::string status = weight == 0.5 ? "cheapest" : "greedy  ";
    if (cells > 0) {
      status += "  " + std::to_string(cells) + " cells, cost " + std::to_string(int(cost));
    } else {
      status += "  no way";
    }
    DrawText(RtString(status.c_str()), 4, kHeight * kCell + 1);
    DrawText(RtString("mouse: left goal, right start; Space"), 4, kHeight * kCell + 9);

    if (shot && frame == 10) {
      ScreenToFile(RtString(commandLine + 7));
      End();
    }
    EndFrame();
  }
}
