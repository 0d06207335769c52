// The audio subsystem's part in the engine's life.
#pragma once

namespace plat {
struct Window;
}

void AudioStart();
void AudioWindowChanged(plat::Window* window);
// Restarts a looping piece whose loop deadline has passed; also called from
// the pause loop and the waits.
void AudioFrame();
void AudioStopMusic();
// Sound slots released last to first, then the device closed.
void AudioShutdown();
