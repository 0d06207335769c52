// The audio subsystem's part in start-up, frames, window changes and
// shutdown.
#pragma once

#include <memory>

#include "runtime/platform/sound_mixer.h"

#include "runtime/render/window_change.h"

// Opens the sound device and makes the slot table. Without a device sound
// is silent but keeps its time: every sound counts as playing for its
// length on the program's clock, so waits on sounds last as long as with a
// device; music does not play. Nothing fails.
void AudioStart();
// The same with a given mixer (tests, and programs that bring their own);
// null means no device.
void AudioStartWith(std::unique_ptr<plat::SoundMixer> mixer);
// The mixer is not tied to a window; kept so the window hand-over is uniform.
void AudioWindowChanged(const WindowChange& change);
// Restarts looping music whose time has run out.
void AudioFrame();
// Stops the music (its own step in shutdown).
void AudioStopMusic();
// Releases the slots from the last to the first, then closes the device.
void AudioShutdown();

// Whether music started with the application focused since the last call:
// starting a piece ends the frame's pause. Taking it clears it.
bool AudioTakePauseRelease();
