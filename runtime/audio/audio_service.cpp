#include "runtime/audio/audio_service.h"

void AudioStart() {}
void AudioWindowChanged(plat::Window*) {}
void AudioFrame() {}
void AudioStopMusic() {}
void AudioShutdown() {}
