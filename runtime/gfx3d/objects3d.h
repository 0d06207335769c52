// Loading 3D objects and worlds into numbered object slots.
#pragma once

#include "runtime/core/rt_string.h"

// Resolves name (disk, then the data archive) and loads the object file or
// world file it names into slot n; a name that does not resolve changes
// nothing, a file that fails to load leaves the slot empty.
void ObjectFromFile(const RtString& name, int n);
