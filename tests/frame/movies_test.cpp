// The movie loop with a scripted player: what ends it, what delays it, and
// that the music goes on meanwhile.
#include "runtime/frame/movies.h"
#include "runtime/frame/movies_internal.h"

#include <gtest/gtest.h>

#include "audio_fixture.h"
#include "runtime/audio/music.h"
#include "runtime/files/archive.h"
#include "runtime/files/archive_format.h"
#include "runtime/files/files_service.h"
#include "runtime/frame/engine_state.h"
#include "runtime/platform/test_backend.h"
#include "runtime/render/screen_buffer.h"

namespace audiotest {
namespace {

// Plays for a scripted number of passes; remembers what it was asked.
struct ScriptedMovie : plat::MoviePlayer {
  struct Log {
    std::string opened;
    int plays = 0, restarts = 0, endedChecks = 0, renders = 0;
    int playedAtCheck = -1;  // interrupt checks made before Play
  };
  Log* log;
  int* checks;
  bool openFails = false;
  int passesPerRun = 1 << 30;
  int passesThisRun = 0;

  ScriptedMovie(Log* l, int* c) : log(l), checks(c) {}
  bool Open(const std::string& path) override {
    log->opened = path;
    return !openFails;
  }
  bool VideoSize(int* w, int* h) override {
    *w = 640;
    *h = 480;
    return true;
  }
  bool Play() override {
    ++log->plays;
    log->playedAtCheck = *checks;
    return true;
  }
  void Restart() override {
    ++log->restarts;
    passesThisRun = 0;
  }
  bool Ended() override {
    ++log->endedChecks;
    return ++passesThisRun > passesPerRun;
  }
  double PositionMs() override { return passesThisRun * 10.0; }
  void Render(uint32_t, int, int, const plat::PixelRect&) override { ++log->renders; }
};

class Movies : public RecordedAudio {
 protected:
  void SetUp() override {
    RecordedAudio::SetUp();
    savedMusicArchive_ = ReplaceMusicArchive(nullptr);
    // These tests run the loop without a screen, even when another test of
    // the process started the engine.
    savedScreenFbo_ = LogicalScreen().fbo;
    LogicalScreen().fbo = 0;
    plat::SetTestClock([this] { return now_; }, [this](double ms) { now_ += ms; });
    clip_ = WriteFile("clip.mpg", {0, 0, 1, 0xBA});
    SetMoviePlayerFactory([this]() -> std::unique_ptr<plat::MoviePlayer> {
      auto m = std::make_unique<ScriptedMovie>(&log_, &checks_);
      m->openFails = openFails_;
      m->passesPerRun = passesPerRun_;
      return m;
    });
    // Interrupt answers by check number: held while below heldUntil_, then
    // free until pressAt_.
    SetMovieInterruptCheck([this] {
      const int n = checks_++;
      return n < heldUntil_ || n >= pressAt_;
    });
  }
  void TearDown() override {
    SetMoviePlayerFactory(nullptr);
    SetMovieInterruptCheck(nullptr);
    plat::SetTestClock(nullptr, nullptr);
    ReplaceMusicArchive(savedMusicArchive_);
    LogicalScreen().fbo = savedScreenFbo_;
    RecordedAudio::TearDown();
  }

  uint32_t savedScreenFbo_ = 0;

  ArchiveSource* savedMusicArchive_ = nullptr;
  double now_ = 5000;
  std::string clip_;
  ScriptedMovie::Log log_;
  int checks_ = 0;
  int heldUntil_ = 0;
  int pressAt_ = 1 << 30;
  bool openFails_ = false;
  int passesPerRun_ = 1 << 30;
};

TEST(MovieFit, APictureIsScaledToFitAndCentred) {
  const plat::PixelRect wide = FitCentred(640, 480, 1280, 720);  // 4:3 in 16:9
  EXPECT_EQ(wide.x, 160);
  EXPECT_EQ(wide.y, 0);
  EXPECT_EQ(wide.w, 960);
  EXPECT_EQ(wide.h, 720);
  const plat::PixelRect tall = FitCentred(1920, 1080, 320, 240);  // 16:9 in 4:3
  EXPECT_EQ(tall.x, 0);
  EXPECT_EQ(tall.y, 30);
  EXPECT_EQ(tall.w, 320);
  EXPECT_EQ(tall.h, 180);
  const plat::PixelRect small = FitCentred(160, 120, 320, 240);  // enlarged to fill
  EXPECT_EQ(small.w, 320);
  EXPECT_EQ(small.h, 240);
  EXPECT_EQ(FitCentred(0, 480, 320, 240).w, 0);
}

TEST_F(Movies, AKeyEndsTheMovie) {
  pressAt_ = 40;
  EXPECT_EQ(PlayMovie(clip_.c_str(), 0), 0);
  EXPECT_EQ(log_.opened, clip_);
  EXPECT_EQ(log_.plays, 1);
  EXPECT_EQ(checks_, 41) << "stopped at the first check that saw the key";
}

TEST_F(Movies, AKeyHeldAtTheCallDelaysTheStart) {
  heldUntil_ = 25;
  pressAt_ = 30;
  const double before = now_;
  EXPECT_EQ(PlayMovie(clip_.c_str(), 0), 0);
  EXPECT_EQ(log_.playedAtCheck, 26) << "started before the key was released";
  EXPECT_GE(now_ - before, 25 * 10.0) << "waiting for the key must sleep, not spin";
}

TEST_F(Movies, AMovieEndsOrLoopsAtItsEnd) {
  passesPerRun_ = 5;
  EXPECT_EQ(PlayMovie(clip_.c_str(), 0), 0);
  EXPECT_EQ(log_.restarts, 0);
  EXPECT_EQ(log_.endedChecks, 6);

  log_ = {};
  pressAt_ = checks_ + 40;
  EXPECT_EQ(PlayMovie(clip_.c_str(), 1), 0);
  EXPECT_EQ(log_.restarts, 6) << "40 passes of 6 each (5 playing, 1 at the end)";
}

TEST_F(Movies, NamesThatCannotBePlayedGiveThree) {
  EXPECT_EQ(PlayMovie((TestDir() + "/none.mpg").c_str(), 0), 3);
  EXPECT_EQ(PlayMovie("", 0), 3);
  openFails_ = true;
  EXPECT_EQ(PlayMovie(clip_.c_str(), 0), 3);
  EXPECT_EQ(log_.plays, 0);
}

TEST_F(Movies, WithoutAScreenTheMovieDrawsNothingAndTheMusicLoopsOn) {
  mixer().musicLengthMs = 300;
  const std::string piece = WriteFile("loop.mp3", {'I', 'D', '3', 0});
  PlayMusic(piece.c_str(), 1);
  pressAt_ = 230;  // 230 passes of 10 ms: restarts at 0.5, 1, 1.5 and 2 s
  EXPECT_EQ(PlayMovie(clip_.c_str(), 0), 0);
  EXPECT_EQ(log_.renders, 0);
  EXPECT_EQ(mixer().EventsOf(plat::RecordingSoundMixer::Event::kStartMusic).size(), 5u);
  EXPECT_EQ(MusicPlaying(), 1);
}

TEST_F(Movies, AnArchivedMovieLeavesTheArchivedMusicPlaying) {
  const std::vector<uint8_t> song(4000, 0x55), clip(2000, 0x33);
  std::vector<sbx::PackedFile> files = {{"song.mp3", sbx::PackEntry(song.data(), song.size())},
                                        {"intro.mpg", sbx::PackEntry(clip.data(), clip.size())}};
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(sbx::BuildArchive(files, false, 0, &bytes, &error)) << error;
  ArchiveSource archive;
  archive.path = WriteFile("movies.sbx", bytes);
  ReplaceMusicArchive(&archive);

  PlayMusic("song.mp3", 1);
  const std::string music =
      mixer().EventsOf(plat::RecordingSoundMixer::Event::kOpenMusic).back().path;
  pressAt_ = 3;
  EXPECT_EQ(PlayMovie("intro.mpg", 0), 0);
  EXPECT_NE(log_.opened, "intro.mpg") << "played from the archive's temporary file";
  EXPECT_EQ(access(music.c_str(), R_OK), 0) << "the movie deleted the music's file";
  EXPECT_EQ(MusicPlaying(), 1);
}

}  // namespace
}  // namespace audiotest
