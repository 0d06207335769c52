// Music on the recording mixer with a virtual clock: looping, volume rules,
// pieces that cannot play, and the archive's temporary file.
#include "runtime/audio/music.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <limits>

#include "audio_fixture.h"
#include "runtime/files/archive.h"
#include "runtime/files/archive_format.h"
#include "runtime/files/files_service.h"
#include "runtime/platform/test_backend.h"

namespace audiotest {
namespace {

using Event = plat::RecordingSoundMixer::Event;

class Music : public RecordedAudio {
 protected:
  void SetUp() override {
    RecordedAudio::SetUp();
    savedMusicArchive_ = ReplaceMusicArchive(nullptr);
    plat::SetTestClock([this] { return now_; }, [this](double ms) { now_ += ms; });
    piece_ = WriteFile("piece.mp3", {'I', 'D', '3', 0});
  }
  void TearDown() override {
    RecordedAudio::TearDown();
    plat::SetTestClock(nullptr, nullptr);
    ReplaceMusicArchive(savedMusicArchive_);
  }
  size_t Starts() { return mixer().EventsOf(Event::kStartMusic).size(); }
  std::vector<int> VolumesSent() {
    std::vector<int> v;
    for (const Event& e : mixer().EventsOf(Event::kMusicVolume)) v.push_back(e.value);
    return v;
  }
  // Advances the clock in frame steps, servicing the loop each frame.
  void RunFrames(double ms) {
    for (double end = now_ + ms; now_ < end;) {
      now_ += 1000.0 / 60;
      ServiceMusicLoop();
    }
  }

  ArchiveSource* savedMusicArchive_ = nullptr;
  double now_ = 10000;
  std::string piece_;
};

TEST_F(Music, AShortLoopingPieceRestartsEvery500Ms) {
  mixer().musicLengthMs = 300;
  PlayMusic(piece_.c_str(), 1);
  ASSERT_EQ(Starts(), 1u);
  const double started = now_;
  std::vector<double> restarts;
  for (int frame = 0; frame < 130; ++frame) {
    now_ += 1000.0 / 60;
    // Past its own length the stream has ended, yet the piece still plays.
    mixer().musicAtEnd = now_ - (restarts.empty() ? started : restarts.back()) >= 300;
    const size_t before = Starts();
    ServiceMusicLoop();
    if (Starts() != before) restarts.push_back(now_);
    EXPECT_EQ(MusicPlaying(), 1) << "frame " << frame;
  }
  ASSERT_EQ(restarts.size(), 4u);
  double previous = started;
  for (double t : restarts) {
    EXPECT_GE(t - previous, 500.0);
    EXPECT_LT(t - previous, 500.0 + 1000.0 / 60);
    previous = t;
  }
}

TEST_F(Music, ALongPieceLoopsAfterItsOwnLength) {
  mixer().musicLengthMs = 2000;
  PlayMusic(piece_.c_str(), 1);
  RunFrames(1990);
  EXPECT_EQ(Starts(), 1u);
  RunFrames(30);
  EXPECT_EQ(Starts(), 2u);
}

TEST_F(Music, APieceThatDoesNotLoopStopsPlayingAtItsEnd) {
  mixer().musicLengthMs = 300;
  PlayMusic(piece_.c_str(), 0);
  EXPECT_EQ(MusicPlaying(), 1);
  mixer().musicAtEnd = true;
  EXPECT_EQ(MusicPlaying(), 0);
  RunFrames(2000);
  EXPECT_EQ(Starts(), 1u);
}

TEST_F(Music, VolumeIsSentOnlyWhenItChangesWhileAPiecePlays) {
  SetMusicVolume(0.3);
  EXPECT_TRUE(VolumesSent().empty());
  PlayMusic(piece_.c_str(), 0);
  EXPECT_EQ(VolumesSent(), std::vector<int>{1000}) << "a new piece starts at full volume";
  SetMusicVolume(0.3);
  SetMusicVolume(0.3);
  EXPECT_EQ(VolumesSent(), (std::vector<int>{1000, 300}));
  SetMusicVolume(1.7);
  SetMusicVolume(-2);
  SetMusicVolume(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(VolumesSent(), (std::vector<int>{1000, 300, 1000, 0}));
  // Stopping forgets the value, so the same value is sent to the next piece.
  PlayMusic(piece_.c_str(), 0);
  SetMusicVolume(-2);
  EXPECT_EQ(VolumesSent(), (std::vector<int>{1000, 300, 1000, 0, 1000, 0}));
}

TEST_F(Music, APieceThePlayerCannotOpenIsNotPlayingAndNeverLoops) {
  mixer().musicOpenFails = true;
  PlayMusic(piece_.c_str(), 1);
  EXPECT_EQ(MusicPlaying(), 0);
  RunFrames(2000);
  EXPECT_EQ(Starts(), 0u);
  EXPECT_TRUE(VolumesSent().empty());

  PlayMusic((TestDir() + "/no-such.mp3").c_str(), 1);
  EXPECT_EQ(MusicPlaying(), 0);
  EXPECT_TRUE(mixer().EventsOf(Event::kOpenMusic).size() == 1u)
      << "unresolved names are not opened";
}

TEST_F(Music, StartingAPieceLeavesThePauseOfAnUnfocusedWindow) {
  // Headless, no window has the focus: a pause that began just before the
  // call must hold, so the piece asks the frame for no release.
  AudioTakePauseRelease();
  PlayMusic(piece_.c_str(), 0);
  EXPECT_FALSE(AudioTakePauseRelease());
}

TEST_F(Music, AnEmptyNameOnlyStopsTheMusic) {
  PlayMusic(piece_.c_str(), 1);
  PlayMusic("", 1);
  EXPECT_EQ(mixer().EventsOf(Event::kCloseMusic).size(), 1u);
  EXPECT_EQ(mixer().EventsOf(Event::kOpenMusic).size(), 1u);
  EXPECT_EQ(MusicPlaying(), 0);
  RunFrames(1000);
  EXPECT_EQ(Starts(), 1u);
}

TEST_F(Music, StopMusicEndsTheLoop) {
  mixer().musicLengthMs = 300;
  PlayMusic(piece_.c_str(), 1);
  StopMusic();
  EXPECT_EQ(MusicPlaying(), 0);
  RunFrames(2000);
  EXPECT_EQ(Starts(), 1u);
}

TEST_F(Music, AStreamOfUnknownLengthLoopsWhenItEnds) {
  mixer().musicLengthMs = -1;
  PlayMusic(piece_.c_str(), 1);
  RunFrames(3000);
  EXPECT_EQ(Starts(), 1u) << "restarted while still playing";
  mixer().musicAtEnd = true;
  RunFrames(600);
  EXPECT_EQ(Starts(), 2u);
}

TEST_F(Music, AnArchivedPieceSurvivesOtherResolutionsUntilTheMusicStops) {
  const std::vector<uint8_t> song(5000, 0x55), clip(3000, 0x33);
  std::vector<sbx::PackedFile> files = {{"song.mp3", sbx::PackEntry(song.data(), song.size())},
                                        {"clip.mpg", sbx::PackEntry(clip.data(), clip.size())}};
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(sbx::BuildArchive(files, false, 0, &bytes, &error)) << error;
  ArchiveSource archive;
  archive.path = WriteFile("music.sbx", bytes);
  ReplaceMusicArchive(&archive);

  PlayMusic("sound/song.mp3", 1);
  ASSERT_EQ(MusicPlaying(), 1);
  const std::string playing = mixer().EventsOf(Event::kOpenMusic).back().path;
  EXPECT_EQ(access(playing.c_str(), R_OK), 0);

  // A movie resolves through the same archive while the music plays.
  std::string movie;
  ASSERT_TRUE(ResolveAssetName(&archive, "clip.mpg", movie, false));
  ASSERT_TRUE(ResolveAssetName(&archive, "song.mp3", movie, false));
  archive.ReleaseEntry();
  EXPECT_EQ(access(playing.c_str(), R_OK), 0) << "the music's file was deleted under it";

  StopMusic();
  EXPECT_NE(access(playing.c_str(), F_OK), 0) << "the music's file outlived the music";
}

}  // namespace
}  // namespace audiotest
