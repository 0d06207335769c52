#include "runtime/gfx3d/gfx3d_service.h"

void Gfx3dStart() {}
void Gfx3dFrame() {}
void Gfx3dShutdown() {}
