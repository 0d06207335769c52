// The deterministic run's hook into the video recording.
#pragma once

#include <string>

namespace plat {
class RecordingSoundMixer;
}

// Adds the frame on screen and the sound of the frame just run (what the
// program asked of the recorder since the last frame) to the video.
// Nothing when no video is being recorded.
void RecordVideoFrame(const plat::RecordingSoundMixer* recorder);
// Decodes a music piece for the sound track as it is opened.
void VideoMusicOpened(const std::string& path);
