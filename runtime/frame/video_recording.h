// A video of a deterministic run: every frame the program shows, with the
// sound it asked for mixed into a sound track (see --record in
// standard_options.h).
#pragma once

#include <string>

// Prepares the video file (nothing is under its name until the run ends):
// false with the reason in error for a name that cannot be written, an
// ending other than .mp4, .mkv or .webm, a scale outside 1..8 or codecs the
// system lacks. Frames are taken while a deterministic run is on; a new
// call replaces a video not yet finished, which is then removed.
bool StartVideoRecording(const std::string& file, int scale, std::string* error);
// Whether a video is being recorded.
bool VideoRecordingActive();
// Completes the video and gives it its name. False with the reason in error
// (the partial file removed) when it cannot be written; true with nothing
// to do when no video is being recorded.
bool FinishVideoRecording(std::string* error);
// Drops the video being recorded and removes what was written.
void AbandonVideoRecording();
