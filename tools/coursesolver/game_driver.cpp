#include "tools/coursesolver/game_driver.h"

#include <string>

#include "game/course.h"
#include "game/game_io.h"
#include "game/hiscores.h"
#include "game/play.h"
#include "game/screens.h"
#include "game/startup.h"
#include "game/zelvo.h"

namespace coursesolver {

std::set<int> ScanCodesOf(unsigned keySet) {
  std::set<int> codes;
  if (keySet & kLeftBit) codes.insert(zelvo::key::kLeft);
  if (keySet & kRightBit) codes.insert(zelvo::key::kRight);
  if (keySet & kUpBit) codes.insert(zelvo::key::kUp);
  if (keySet & kDownBit) codes.insert(zelvo::key::kDown);
  return codes;
}

namespace {

// The deterministic run's frame time.
const double kFrameMs = DeterministicRunOptions{}.frameMs;

std::vector<double> Copy(::NumberArray& array) {
  const int count = array.DimSize(0);
  std::vector<double> values(count);
  for (int i = 0; i < count; ++i) values[i] = ::NumberArrayAt(array, i);
  return values;
}

void Paste(const std::vector<double>& values, ::NumberArray& array) {
  for (size_t i = 0; i < values.size(); ++i) {
    ::NumberArrayAt(array, static_cast<int>(i)) = values[i];
  }
}

// Everything a frame of play reads or writes that is not fixed by the course
// table: the run, the shared object phases, the play clock's gathered time,
// the moving obstacles and the pickups.
struct SavedGame final : DriverState {
  double gameState = 0;
  zelvo::Run run;
  zelvo::ObjectState objects;
  double timerGathered = 0;
  std::vector<double> obstacleX, obstacleY, pickupTaken, pickupSprite;
  long frame = 0;
  int nextChannel = 0;
  std::map<int, long> channelEnds;
};

}  // namespace

// Keys and clock as the replay harness has them; loads and collision tests
// go to the runtime, drawing and music go nowhere.
class GameDriver::Io final : public zelvo::GameIo {
 public:
  long frame = 0;
  bool ended = false;
  std::set<int> held;
  std::map<long, std::set<int>> changes;  // applied as the frame starts
  int nextChannel = 0;
  std::map<int, long> channelEnds;

  bool KeyDown(int scanCode) override { return held.count(scanCode) != 0; }
  void EndFrame() override {
    ++frame;
    auto change = changes.find(frame);
    if (change != changes.end()) held = change->second;
  }
  double FrameTime() override { return kFrameMs; }
  double ElapsedTime() override { return frame * kFrameMs; }
  void End() override { ended = true; }

  void BackgroundFromFile(const RtString&) override {}
  void PreloadBackground(const RtString&) override {}
  void CopyScreenToSprite(double, double, double, double, double) override {}
  void PutSprite(double, double, double) override {}
  void PutAnimationFrame(double, double, double, double) override {}
  void SetBlendMode(double) override {}
  // The runtime's fade, as many frames on this clock, without drawing.
  void FadeToImage(const RtString&) override {
    for (int n = FadeFrames(kFrameMs); n > 0; --n) EndFrame();
  }
  void FillRect(double, double, double, double, int) override {}
  void ClearScreen() override {}
  void SelectFont(int) override {}
  void DrawText(const RtString&, double, double) override {}
  void DrawNumber(double, double, double) override {}
  bool ScreenToFile(const RtString&) override { return false; }

  // Sounds end as the deterministic run ends them, on this clock.
  void LoadSound(const RtString& file, double slot) override {
    soundLengthMs_[zelvo::Trunc(slot)] = SoundFileLengthMs(file);
  }
  int PlaySound(double slot, double) override {
    auto length = soundLengthMs_.find(zelvo::Trunc(slot));
    if (length == soundLengthMs_.end() || length->second < 0) return -1;
    const int channel = nextChannel++;
    channelEnds[channel] = frame + SoundFrames(length->second, kFrameMs);
    return channel;
  }
  bool SoundPlaying(int channel) override {
    auto it = channelEnds.find(channel);
    return it != channelEnds.end() && frame < it->second;
  }
  void PlayMusic(const RtString&, bool) override {}
  void StopMusic() override {}
  void SetMusicVolume(double) override {}

 private:
  std::map<int, double> soundLengthMs_;
};

GameDriver::GameDriver(const std::string& hiscoreFolder) : io_(std::make_unique<Io>()) {
  zelvo::SetHiscoreLocations(hiscoreFolder + "/Hiscores.dat", hiscoreFolder + "/user");
}

GameDriver::~GameDriver() {
  if (&zelvo::Io() == io_.get()) zelvo::SetIo(nullptr);
}

std::map<long, std::set<int>> GameDriver::NewGame() {
  using namespace zelvo;
  *io_ = Io();
  SetIo(io_.get());
  ResetGame();
  Objects() = ObjectState();
  ResetSecondsTimers();
  GameSetUp();
  DispatchOnce();  // the Loading screen
  // The menu's first frame confirms its first choice, a new game.
  std::map<long, std::set<int>> menuKeys;
  menuKeys[io_->frame] = {key::kX};
  io_->held = menuKeys.begin()->second;
  DispatchOnce();
  // What the dispatch does for the Play screen, up to its first frame.
  SelectFont(0);
  ResetRun();
  StartLevelSet();
  return menuKeys;
}

std::shared_ptr<const DriverState> GameDriver::Save() const {
  using namespace zelvo;
  auto saved = std::make_shared<SavedGame>();
  Course& c = TheCourse();
  saved->gameState = Game().gameState;
  saved->run = Game().run;
  saved->objects = Objects();
  saved->timerGathered = SecondsTimerGathered(0);
  saved->obstacleX = Copy(c.obstacleX);
  saved->obstacleY = Copy(c.obstacleY);
  saved->pickupTaken = Copy(c.pickupTaken);
  saved->pickupSprite = Copy(c.pickupSprite);
  saved->frame = io_->frame;
  saved->nextChannel = io_->nextChannel;
  saved->channelEnds = io_->channelEnds;
  return saved;
}

void GameDriver::Restore(const DriverState& state) {
  using namespace zelvo;
  const auto& saved = dynamic_cast<const SavedGame&>(state);
  Course& c = TheCourse();
  Game().gameState = saved.gameState;
  Game().run = saved.run;
  Objects() = saved.objects;
  SetSecondsTimerGathered(0, saved.timerGathered);
  Paste(saved.obstacleX, c.obstacleX);
  Paste(saved.obstacleY, c.obstacleY);
  Paste(saved.pickupTaken, c.pickupTaken);
  Paste(saved.pickupSprite, c.pickupSprite);
  io_->frame = saved.frame;
  io_->nextChannel = saved.nextChannel;
  io_->channelEnds = saved.channelEnds;
}

void GameDriver::Step(unsigned keySet) {
  using namespace zelvo;
  if (Game().gameState != kPlay) return;
  io_->held = ScanCodesOf(keySet);
  // The play loop's order: a frame, then either the frame step or, when a
  // level set's last room was left, the fade and the next set's start.
  if (PlayFrame() == FrameEnd::kLevelSetDone) {
    ChangeLevelSet();
    StartLevelSet();
    return;
  }
  io_->EndFrame();
}

PlaneView GameDriver::View() const {
  using namespace zelvo;
  const Run& r = Game().run;
  PlaneView view;
  view.frame = io_->frame;
  view.screen = Game().gameState;
  view.room = r.roomIndex;
  view.x = r.planeX;
  view.y = r.planeY;
  view.scrollX = r.scrollX;
  view.form = r.planeForm;
  view.windForce = r.windForce;
  view.score = r.score;
  view.planes = r.planes;
  view.crashed = r.crashed != 0;
  Course& c = TheCourse();
  const int count = c.pickupRoom.DimSize(0);
  int bit = 0;
  for (int i = 0; i < count && bit < 32; ++i) {
    if (NumberArrayAt(c.pickupRoom, i) != r.roomIndex) continue;
    if (NumberArrayAt(c.pickupTaken, i) != 0) view.pickupsTaken |= 1u << bit;
    ++bit;
  }
  return view;
}

}  // namespace coursesolver
