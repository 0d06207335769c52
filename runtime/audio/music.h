// Music: one piece at a time, streamed from a file on disk or from the music
// archive, looped by the runtime itself.
#pragma once

#include "runtime/core/rt_string.h"

// Replaces the current piece with the file name (disk first, then the music
// archive; OGG, MP3, WAV and the other formats the sound mixer reads), looping
// it when loop is nonzero. An empty or unknown name only stops the music.
// Every piece starts at full volume.
void PlayMusic(const RtString& name, int loop);
// Stops the current piece, if any.
void StopMusic();
// 0..1 (clamped); sent to the player only when it differs from the last
// value set since the piece started.
void SetMusicVolume(double volume);
// 1 while a piece plays; a looping piece counts as playing between restarts.
int MusicPlaying();
// Restarts a looping piece whose time has run out. Runs every frame, in the
// pause loop, the input waits and during movies.
void ServiceMusicLoop();

// Milliseconds a piece occupies before it may loop: its length, at least
// 500.
double LoopLengthMs(double lengthMs);
