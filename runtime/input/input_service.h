// The input subsystem's part in the engine's life: devices opened at
// start-up, the keyboard sampled once per frame, the quit keys.
#pragma once

namespace plat {
struct Window;
}

void InputStart();
// The (possibly new) window after start-up and every screen-mode switch.
void InputWindowChanged(plat::Window* window, bool exclusiveMouse);
// Samples the keyboard and starts a new mouse frame.
void InputFrame();
// Escape (while Escape quits) or Alt+F4 held in the latest sample.
bool QuitKeysHeld();
void InputShutdown();
