#include "runtime/audio/music.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "runtime/audio/audio_state.h"
#include "runtime/core/load_report.h"
#include "runtime/files/archive.h"
#include "runtime/files/files_service.h"
#include "runtime/platform/clock.h"

namespace {

constexpr double kShortestLoopMs = 500;
constexpr int kFullVolume = 1000;

void DeleteMusicTempFile() {
  AudioState& a = Audio();
  if (a.musicTempFile.empty()) return;
  std::remove(a.musicTempFile.c_str());
  a.musicTempFile.clear();
}

// The archive deletes its temporary file at its next resolution, which may
// be a movie's while this piece still plays. Moving the file to a name of
// our own takes it out of the archive's hands.
std::string TakeOverTempFile(ArchiveSource* archive, const std::string& resolved) {
  if (!archive || archive->tempFile.empty() || archive->tempFile != resolved) return resolved;
  const size_t slash = resolved.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : resolved.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? resolved : resolved.substr(slash + 1);
  const std::string owned = dir + "music-" + base;
  if (std::rename(resolved.c_str(), owned.c_str()) != 0) return resolved;
  archive->tempFile.clear();
  Audio().musicTempFile = owned;
  return owned;
}

// The program's clock, so that a deterministic run's loops restart on its
// stepped time.
double MusicClockMs() {
  return plat::ActiveClock().NowMs();
}

}  // namespace

double LoopLengthMs(double lengthMs) {
  return lengthMs >= kShortestLoopMs ? lengthMs : kShortestLoopMs;
}

void StopMusic() {
  AudioState& a = Audio();
  a.rememberedVolume = -1;
  a.loopDeadline = 0;
  if (a.musicOpen && a.mixer) a.mixer->CloseMusic();
  a.musicOpen = false;
  DeleteMusicTempFile();
}

void PlayMusic(const RtString& name, int loop) {
  StopMusic();
  AudioState& a = Audio();
  a.musicName = name.c_str();
  std::string resolved;
  // An empty name is how a program stops the music.
  if (a.musicName.empty()) return;
  if (!ResolveAssetName(MusicArchive(), a.musicName.c_str(), resolved, false)) {
    ReportLoadFailure("PlayMusic", a.musicName.c_str(), "no such file");
    return;
  }
  resolved = TakeOverTempFile(MusicArchive(), resolved);
  // A piece the player cannot open must not look like one that plays (and
  // loops) forever.
  if (!a.mixer || !a.mixer->OpenMusic(resolved)) {
    DeleteMusicTempFile();
    ReportLoadFailure("PlayMusic", a.musicName.c_str(),
                      a.noDevice ? "no sound device is open" : "the music player cannot open it");
    return;
  }
  if (!a.mixer->StartMusic()) {
    a.mixer->CloseMusic();
    DeleteMusicTempFile();
    ReportLoadFailure("PlayMusic", a.musicName.c_str(), "the music player cannot start it");
    return;
  }
  a.musicOpen = true;
  const double length = LoopLengthMs(a.mixer->MusicLengthMs());
  a.loopDeadline = loop ? MusicClockMs() + length : 0;
  a.rememberedVolume = 1;
  a.mixer->SetMusicVolume(kFullVolume);
  // A deactivation just before the call must still pause the next frame.
  if (plat::ApplicationHasFocus()) a.pauseReleaseAsked = true;
}

void SetMusicVolume(double volume) {
  AudioState& a = Audio();
  if (std::isnan(volume) || volume == a.rememberedVolume) return;
  a.rememberedVolume = volume;
  if (!a.musicOpen || !a.mixer) return;
  double scaled = volume * kFullVolume;
  if (scaled < 0) scaled = 0;
  if (scaled > kFullVolume) scaled = kFullVolume;
  a.mixer->SetMusicVolume(static_cast<int>(scaled));
}

int MusicPlaying() {
  AudioState& a = Audio();
  if (!a.musicOpen || !a.mixer) return 0;
  if (a.loopDeadline != 0) return 1;
  return a.mixer->MusicActive() ? 1 : 0;
}

void ServiceMusicLoop() {
  AudioState& a = Audio();
  if (!(a.loopDeadline > 0) || !a.musicOpen || !a.mixer) return;
  const double now = MusicClockMs();
  if (now < a.loopDeadline) return;
  const double reported = a.mixer->MusicLengthMs();
  // A stream that cannot tell its length restarts once it has ended rather
  // than every 500 ms.
  if (reported < 0 && a.mixer->MusicActive()) {
    a.loopDeadline = now + kShortestLoopMs;
    return;
  }
  a.loopDeadline = now + LoopLengthMs(reported);
  a.mixer->StartMusic();
}
