// What the frame loop and start-up call for a deterministic run.
#pragma once

#include <memory>

#include "runtime/platform/input_devices.h"
#include "runtime/platform/sound_mixer.h"

// EndFrame's first and last steps; nothing outside a run.
void BeginDeterministicFrame();
void EndDeterministicFrame();
// The mixer start-up hands to the sound layer instead of opening the
// device, or null when no run waits for the engine.
std::unique_ptr<plat::SoundMixer> TakeDeterministicMixer();
// The end of EngineStart: the scripted keys take over and frames count
// from here.
void FinishDeterministicRunStart();
// Whether the person watching a watched run pressed a key that ends a
// program (Escape while EscapeQuits allows it, Alt+F4) on the real keyboard
// since the last call; always false in any other run.
bool WatcherQuitKeysPressed();
// Test seam: the keyboard WatcherQuitKeysPressed reads instead of the
// system's (null: the system's again). Takes effect at the next run start.
void SetWatcherKeyboardForTests(plat::InputDevices* devices);
