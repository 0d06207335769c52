// The 3D subsystem's part in the engine's life.
#pragma once

void Gfx3dStart();
// Closes any stencil-shadow pass and switches shaders off before presenting.
void Gfx3dFrame();
void Gfx3dShutdown();
