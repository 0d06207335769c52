// FindPath's search and path output on planner parameters given whole, for
// the benchmark that weighs other planner settings against FindPath's own.
// Not part of the program-facing header.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"
#include "runtime/pathplan/grid_planner.h"

// Runs one search and re-creates path as [n][2], start to goal, emptying it
// when the goal cannot be reached. Returns n; 0 with path left as it was
// when the planner refuses params.
int32_t PlanPath(const SearchParams& params, NumberArray& path);
