// What the frame loop and start-up call for a deterministic run.
#pragma once

#include <memory>

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
