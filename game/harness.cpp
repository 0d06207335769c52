#include "game/harness.h"

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "game/course.h"
#include "game/play.h"
#include "game/startup.h"
#include "game/zelvo.h"

namespace zelvo {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

double SteadyMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double EpochMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

HarnessIo::~HarnessIo() {
  Detach();
  CloseTrace();
}

void HarnessIo::Attach() {
  frame_ = 0;
  workStart_ = -1;
  heldFrom_.clear();
  SetDeterministicFrameObserver([this](DeterministicFrameStep step) {
    if (step == DeterministicFrameStep::kDrawn) {
      FrameDrawn();
    } else {
      FrameShown();
    }
  });
}

void HarnessIo::Detach() {
  SetDeterministicFrameObserver(nullptr);
}

void HarnessIo::CloseTrace() {
  if (trace_) std::fclose(trace_);
  trace_ = nullptr;
  if (timing_) std::fclose(timing_);
  timing_ = nullptr;
}

bool HarnessIo::OpenTiming(const std::string& path) {
  if (timing_) std::fclose(timing_);
  timing_ = std::fopen(path.c_str(), "w");
  return timing_ != nullptr;
}

bool HarnessIo::OpenTrace(const std::string& path) {
  if (trace_) std::fclose(trace_);
  trace_ = std::fopen(path.c_str(), "w");
  return trace_ != nullptr;
}

void HarnessIo::HoldKeys(const std::vector<int>& scanCodes) {
  bool wanted[256] = {};
  for (int code : scanCodes) {
    if (code >= 0 && code < 256) wanted[code] = true;
  }
  // Only the changes: releasing and pressing a key that stays held would
  // count as a second press.
  for (int code = 0; code < 256; ++code) {
    if (wanted[code] != ScriptKeyHeld(code)) ScriptKey(code, wanted[code]);
  }
}

void HarnessIo::WriteTraceLine() {
  if (!trace_) return;
  const GameState& g = Game();
  const Run& r = g.run;
  const Settings& s = g.settings;
  std::string line =
      "{\"frame\":" + std::to_string(frame_) + ",\"frameTime\":" + Number(GameIo::FrameTime()) +
      ",\"screen\":" + Number(g.gameState) + ",\"room\":" + Number(r.roomIndex) +
      ",\"x\":" + Number(r.planeX) + ",\"y\":" + Number(r.planeY) +
      ",\"form\":" + Number(r.planeForm) + ",\"score\":" + Number(r.score) +
      ",\"planes\":" + Number(r.planes) + ",\"masterVolume\":" + Number(s.masterVolume) +
      ",\"musicLevel\":" + Number(s.musicLevel) + ",\"effectsLevel\":" + Number(s.effectsLevel) +
      ",\"gameSpeed\":" + Number(s.gameSpeed) + ",\"sounds\":[";
  for (size_t i = 0; i < sounds_.size(); ++i) {
    if (i) line += ",";
    line +=
        "{\"slot\":" + Number(sounds_[i].first) + ",\"volume\":" + Number(sounds_[i].second) + "}";
  }
  line += "],\"music\":[";
  for (size_t i = 0; i < music_.size(); ++i) {
    if (i) line += ",";
    line += Quoted(music_[i]);
  }
  line += "]}\n";
  std::fputs(line.c_str(), trace_);
}

void HarnessIo::FrameDrawn() {
  WriteTraceLine();
  workEnd_ = SteadyMs();
  sounds_.clear();
  music_.clear();
}

void HarnessIo::FrameShown() {
  const double stepped = SteadyMs();
  if (timing_ && workStart_ >= 0) {
    std::fprintf(timing_, "%ld %d %.4f %.4f\n", frame_, Trunc(Game().gameState),
                 workEnd_ - workStart_, stepped);
  }
  workStart_ = stepped;
  if (timing_ && !menuShown_ && Game().gameState == kMenu && frame_ > 0) {
    menuShown_ = true;
    std::fprintf(timing_, "menu-shown %.3f modal-wait %.3f\n", EpochMs(), ModalWaitMs());
    std::fflush(timing_);
  }
  ++frame_;
  auto keys = heldFrom_.find(frame_);
  if (keys != heldFrom_.end()) HoldKeys(keys->second);
  if ((frameLimit_ > 0 && frame_ >= frameLimit_) || ScriptKeyHeld(kEscape)) End();
}

void HarnessIo::End() {
  if (trace_) std::fflush(trace_);
  if (timing_) std::fflush(timing_);
  if (runEnd_) {
    runEnd_();
  } else {
    GameIo::End();
  }
}

int HarnessIo::PlaySound(double slot, double volume) {
  sounds_.emplace_back(slot, volume);
  return GameIo::PlaySound(slot, volume);
}

void HarnessIo::PlayMusic(const RtString& file, bool loop) {
  music_.push_back(std::string(file.c_str()) + (loop ? " loop" : ""));
  GameIo::PlayMusic(file, loop);
}

void HarnessIo::StopMusic() {
  music_.push_back("stop");
  GameIo::StopMusic();
}

bool ParseHarnessOptions(const std::string& commandLine, HarnessOptions& options,
                         std::string* error) {
  std::string line = commandLine;
  if (!TakeStandardOptions(line, options.standard, error)) return false;
  const std::vector<std::string> words = Split(line, ' ');
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  // The game runs in its own folder; paths are taken from where the user
  // started it, so a relative name never lands among the game's files.
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    const bool hasValue = i + 1 < words.size();
    if (w == "--trace" && hasValue) {
      options.trace = UserPath(words[++i]);
    } else if (w == "--timing" && hasValue) {
      options.timing = UserPath(words[++i]);
    } else if (w == "--atlas" && hasValue) {
      options.atlas = UserPath(words[++i]);
      if (!IsFolder(options.atlas)) return fail("--atlas: " + options.atlas + " is no folder");
    } else {
      return fail("unknown or incomplete option: " + w);
    }
  }
  return true;
}

void DrawRoomAtlas(const std::string& folder) {
  GameState& g = Game();
  g.gameState = kPlay;
  ResetRun();
  for (int room = 0; room < 52; ++room) {
    // A fresh course for every room: its objects stand where they start.
    ResetRun();
    Run& r = g.run;
    r.roomIndex = room;
    r.planeX = 0;
    r.planeY = 120;
    // Held for this one frame, so nothing moves; the pause sign does not
    // show, since the pause latch is clear.
    r.frozen = 1;
    r.planeSprite = slot::kPlane;
    Io().ClearScreen();
    PlayFrame();
    char name[32];
    std::snprintf(name, sizeof name, "/room_%02d.png", room);
    if (!Io().ScreenToFile((folder + name).c_str())) {
      StdErr(RtString(("zelvo2: --atlas: cannot write " + folder + name + "\n").c_str()));
      FatalRuntimeError(kErrFileIo);
    }
    Io().EndFrame();
  }
}

}  // namespace zelvo
