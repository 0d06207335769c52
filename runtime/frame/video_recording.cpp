#include "runtime/frame/video_recording.h"

#include <sys/stat.h>

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "runtime/audio/sound_track.h"
#include "runtime/core/runtime_error.h"
#include "runtime/frame/program_end.h"
#include "runtime/frame/video_recording_internal.h"
#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/platform/sound_mixer_recorder.h"
#include "runtime/platform/video_writer.h"

namespace {

struct VideoRecording {
  std::string file;
  std::unique_ptr<plat::VideoWriter> writer;
  SoundTrack track;
  // The recorder's sound chunks as the track holds them, by chunk id; the
  // recorder never gives a freed id out again.
  std::map<int, SoundTrack::Samples> chunks;
  // The piece decoded last, so that reopening it costs nothing; only one
  // is kept, as a long run through many pieces would otherwise hold them
  // all.
  std::string musicKey;
  SoundTrack::Samples music;
  std::set<std::string> musicReported;
  // Pieces opened during the current frame, decoded at once.
  std::deque<SoundTrack::Samples> openedMusic;
  long long frames = 0;
  std::vector<uint8_t> pixels;
  std::vector<int16_t> sound;
};

std::unique_ptr<VideoRecording> g_video;

SoundTrack::Samples ChunkSamples(VideoRecording& v, const plat::RecordingSoundMixer& recorder,
                                 int chunk) {
  auto known = v.chunks.find(chunk);
  if (known != v.chunks.end()) return known->second;
  const std::vector<uint8_t>& bytes = recorder.ChunkSamples(chunk);
  if (bytes.empty()) return nullptr;
  auto samples = std::make_shared<std::vector<int16_t>>(bytes.size() / 2);
  std::memcpy(samples->data(), bytes.data(), samples->size() * 2);
  v.chunks[chunk] = samples;
  return samples;
}

// The piece's identity on disk: an archive's temporary files come and go
// under names that may return with other contents.
std::string MusicKey(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return path + '\n' + std::to_string(st.st_size) + '\n' + std::to_string(st.st_mtim.tv_sec) + '.' +
         std::to_string(st.st_mtim.tv_nsec);
}

SoundTrack::Samples MusicSamples(VideoRecording& v, const std::string& path) {
  const std::string key = MusicKey(path);
  if (!key.empty() && key == v.musicKey) return v.music;
  // The old piece goes before the new one is decoded.
  v.musicKey.clear();
  v.music.reset();
  auto samples = std::make_shared<std::vector<int16_t>>();
  std::string why;
  if (!plat::DecodeSoundFile(path, *samples, &why)) {
    // The video goes on without this piece; whoever watches it should know.
    if (v.musicReported.insert(path).second) {
      StdErr(RtString(
          ("the video's sound track has no music from " + path + ": " + why + "\n").c_str()));
    }
    samples.reset();
  }
  v.musicKey = key;
  v.music = samples;
  return samples;
}

void TakeRequests(VideoRecording& v, const plat::RecordingSoundMixer& recorder) {
  using Event = plat::RecordingSoundMixer::Event;
  // The queue ends with the pieces of this frame's events; older entries
  // belong to requests forgotten unrecorded (those of the start-up).
  size_t opens = 0;
  for (const Event& e : recorder.events) opens += e.kind == Event::kOpenMusic ? 1 : 0;
  while (v.openedMusic.size() > opens) v.openedMusic.pop_front();
  for (const Event& e : recorder.events) {
    switch (e.kind) {
      case Event::kPlay:
        v.track.Play(e.channel, e.chunk, ChunkSamples(v, recorder, e.chunk), e.gainMb, e.pan);
        break;
      case Event::kStop:
        v.track.Stop(e.channel);
        break;
      case Event::kOpenMusic: {
        // Decoded when it was opened, in the same order.
        SoundTrack::Samples piece;
        if (!v.openedMusic.empty()) {
          piece = std::move(v.openedMusic.front());
          v.openedMusic.pop_front();
        }
        v.track.OpenMusic(std::move(piece));
        break;
      }
      case Event::kStartMusic:
        v.track.StartMusic();
        break;
      case Event::kCloseMusic:
        v.track.CloseMusic();
        break;
      case Event::kMusicVolume:
        v.track.SetMusicVolume(e.value);
        break;
    }
  }
  // An unloaded sound stops where it is, as the recorder's channels do.
  for (auto it = v.chunks.begin(); it != v.chunks.end();) {
    if (recorder.ChunkSamples(it->first).empty()) {
      v.track.FreeSound(it->first);
      it = v.chunks.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace

void VideoMusicOpened(const std::string& path) {
  if (g_video) g_video->openedMusic.push_back(MusicSamples(*g_video, path));
}

bool StartVideoRecording(const std::string& file, int scale, std::string* error) {
  std::string why;
  auto writer = plat::CreateVideoWriter(file, scale, &why);
  if (!writer) {
    if (error) *error = "--record: " + why;
    return false;
  }
  g_video = std::make_unique<VideoRecording>();
  g_video->file = file;
  g_video->writer = std::move(writer);
  return true;
}

bool VideoRecordingActive() {
  return g_video != nullptr;
}

void AbandonVideoRecording() {
  g_video.reset();
}

bool FinishVideoRecording(std::string* error) {
  if (!g_video) return true;
  std::unique_ptr<VideoRecording> v = std::move(g_video);
  if (v->writer->Finish()) return true;
  if (error) *error = "cannot write the video " + v->file + ": " + v->writer->Error();
  return false;
}

void RecordVideoFrame(const plat::RecordingSoundMixer* recorder) {
  if (!g_video) return;
  VideoRecording& v = *g_video;
  if (recorder) TakeRequests(v, *recorder);
  v.openedMusic.clear();
  int w = 0, h = 0;
  bool ok = gfx2d::ReadScreenPixels(false, v.pixels, &w, &h) &&
            v.writer->AddFrame(v.pixels.data(), w, h, w * 3, true);
  if (ok) {
    const int fps = plat::VideoWriter::kFramesPerSecond;
    const auto count = static_cast<int>(SoundTrack::FramesBefore(v.frames + 1, fps) -
                                        SoundTrack::FramesBefore(v.frames, fps));
    v.sound.resize(static_cast<size_t>(count) * 2);
    v.track.Mix(v.sound.data(), count);
    ok = v.writer->AddSound(v.sound.data(), count);
  }
  if (!ok) {
    // A video with a hole is no record of the run: stop here, loudly.
    const std::string why = v.writer->Error().empty() ? "no picture to read" : v.writer->Error();
    StdErr(RtString(("cannot write the video " + v.file + ": " + why + "\n").c_str()));
    g_video.reset();
    FatalRuntimeError(kErrFileIo);
  }
  ++v.frames;
}
