// Loading 3D objects and worlds into numbered object slots.
#pragma once

#include "runtime/core/rt_string.h"

// Resolves name (disk, then the data archive) and loads the object file or
// world file it names into slot n; a name that does not resolve changes
// nothing, a file that fails to load leaves the slot empty. An object may
// expand to at most 256 MiB and a world's objects together to 512 MiB
// (runtime/core/load_budget.h); beyond that the load is refused before
// allocating, with runtime error 7 recorded and a line in the error log.
void ObjectFromFile(const RtString& name, int n);
