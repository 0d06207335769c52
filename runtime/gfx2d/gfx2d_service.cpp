#include "runtime/gfx2d/gfx2d_service.h"

void Gfx2dStart() {}
void Gfx2dWindowChanged() {}
void Gfx2dBeforePresent() {}
void Gfx2dFrame() {}
void Gfx2dShutdown() {}
void Gfx2dShowLoading() {}
void Gfx2dLoadDefaultFont() {}
