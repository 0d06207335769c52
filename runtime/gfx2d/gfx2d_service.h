// The 2D subsystem's part in the engine's life.
#pragma once

// Sprite and font tables ready, the screen cleared.
void Gfx2dStart();
// The draw area reset after a screen-mode switch.
void Gfx2dWindowChanged();
// Drawing returns from an off-screen surface to the screen before presenting.
void Gfx2dBeforePresent();
// The per-frame reset after presenting: blend state, alpha 1, opaque white,
// background slot 0, the whole-screen draw area.
void Gfx2dFrame();
// Surfaces, sprites, masks and buffers released; the GL context is current.
void Gfx2dShutdown();

// Start-up's "Loading..." frame: the whole-screen draw area, the built-in
// font in slot 0 and the text centred on the screen (EndFrame shows it).
void Gfx2dShowLoading();
// Font slot 0 from "smalfont.png" (or ".bmp") when the program has one.
void Gfx2dLoadDefaultFont();
