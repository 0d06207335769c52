// FindPath: the cheapest 4-connected path between two cells of a cost map.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"

// map is a two-dimensional number array read as map[x][y]: its first extent
// is the width, its second the height. A cell whose value is a finite number
// above 0 can be entered at that cost (costs are relative: only their ratio
// to the largest one counts); any other cell is blocked. The start cell
// itself is never tested.
//
// weight (clamped to [0, 1], NaN counting as 0) trades cost against distance:
// up to 0.5 the path is a cheapest one; at 1 the search heads straight for
// the goal and the path can cost more.
//
// Returns the number of cells n in the path and re-creates path as [n][2],
// path[i][0] and path[i][1] being x and y of the i-th cell from the start
// (index 0) to the goal (index n - 1). Returns 0 with path emptied when the
// goal cannot be reached, and 0 with path left as it was when the request is
// refused: map not two-dimensional or above kMaxPlannerCells cells, start or
// goal outside the map, start equal to goal, no passable cell.
int32_t FindPath(const NumberArray& map, NumberArray& path, double weight, ArrayIndex startX,
                 ArrayIndex startY, ArrayIndex goalX, ArrayIndex goalY);
int32_t FindPath(const NumberArray& map, IntArray& path, double weight, ArrayIndex startX,
                 ArrayIndex startY, ArrayIndex goalX, ArrayIndex goalY);
