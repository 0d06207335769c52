#include "game/harness.h"

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

bool ParseCodes(const std::string& list, std::vector<int>& codes) {
  codes.clear();
  if (list == "-") return true;
  for (const std::string& item : Split(list, ',')) {
    char* end = nullptr;
    const long code = std::strtol(item.c_str(), &end, 10);
    if (*end != '\0' || code < 0 || code > 255) return false;
    codes.push_back(static_cast<int>(code));
  }
  return true;
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

}  // namespace

bool KeyScript::Parse(const std::string& text, std::string* error) {
  changes.clear();
  std::istringstream in(text);
  std::string line;
  int lineNumber = 0;
  bool sawHeader = false;
  long lastFrame = -1;
  auto fail = [&](const std::string& why) {
    if (error) *error = "line " + std::to_string(lineNumber) + ": " + why;
    changes.clear();
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (!sawHeader) {
      if (line != "input-replay 1") return fail("not an input replay, version 1");
      sawHeader = true;
      continue;
    }
    if (line.rfind("joystick", 0) == 0) continue;
    const std::vector<std::string> words = Split(line, ' ');
    char* end = nullptr;
    const long frame = std::strtol(words[0].c_str(), &end, 10);
    if (end == words[0].c_str() || (*end != '\0' && *end != '.') || frame < 0) {
      return fail("no frame number");
    }
    if (frame < lastFrame) return fail("lines out of time order");
    lastFrame = frame;
    Change& change = changes[frame];
    for (size_t i = 1; i < words.size(); ++i) {
      const size_t eq = words[i].find('=');
      if (eq == std::string::npos) return fail("field without a value: " + words[i]);
      const std::string field = words[i].substr(0, eq);
      const std::string value = words[i].substr(eq + 1);
      std::vector<int> codes;
      if (field == "keys") {
        if (!ParseCodes(value, codes)) return fail("bad key list: " + value);
        change.setsKeys = true;
        change.keys = std::set<int>(codes.begin(), codes.end());
      } else if (field == "tap") {
        if (!ParseCodes(value, codes)) return fail("bad key list: " + value);
        change.taps.insert(change.taps.end(), codes.begin(), codes.end());
      }
    }
  }
  if (!sawHeader) return fail("empty replay");
  return true;
}

bool KeyScript::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot read " + path;
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  return Parse(text.str(), error);
}

HarnessIo::~HarnessIo() {
  CloseTrace();
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

void HarnessIo::SetScript(KeyScript script) {
  script_ = std::move(script);
  ApplyChanges();
}

bool HarnessIo::OpenTrace(const std::string& path) {
  if (trace_) std::fclose(trace_);
  trace_ = std::fopen(path.c_str(), "w");
  return trace_ != nullptr;
}

void HarnessIo::ApplyChanges() {
  auto it = script_.changes.find(frame_);
  if (it == script_.changes.end()) return;
  if (it->second.setsKeys) {
    // A key that becomes held is one press; taps add presses that were
    // released before anyone looked.
    held_ = it->second.keys;
  }
  for (int code : it->second.taps) taps_[code] += 1;
}

bool HarnessIo::KeyDown(int scanCode) {
  if (held_.count(scanCode)) return true;
  auto tap = taps_.find(scanCode);
  if (tap != taps_.end() && tap->second > 0) {
    tap->second -= 1;
    return true;
  }
  return false;
}

void HarnessIo::WriteTraceLine() {
  if (!trace_) return;
  const GameState& g = Game();
  const Run& r = g.run;
  const Settings& s = g.settings;
  std::string line =
      "{\"frame\":" + std::to_string(frame_) + ",\"frameTime\":" + Number(kFrameMs) +
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

void HarnessIo::EndFrame() {
  auto shot = shots_.find(frame_);
  if (shot != shots_.end()) inner_.ScreenToFile(shot->second.c_str());
  WriteTraceLine();
  const double workEnd = SteadyMs();
  sounds_.clear();
  music_.clear();
  inner_.EndFrame();
  const double stepped = SteadyMs();
  if (timing_ && workStart_ >= 0) {
    std::fprintf(timing_, "%ld %d %.4f %.4f\n", frame_, Trunc(Game().gameState),
                 workEnd - workStart_, stepped);
  }
  workStart_ = stepped;
  if (timing_ && !menuShown_ && Game().gameState == kMenu && frame_ > 0) {
    menuShown_ = true;
    std::fprintf(timing_, "menu-shown %.3f modal-wait %.3f\n", EpochMs(), ModalWaitMs());
    std::fflush(timing_);
  }
  ++frame_;
  ApplyChanges();
  if ((frameLimit_ > 0 && frame_ >= frameLimit_) || held_.count(kEscape)) End();
}

void HarnessIo::End() {
  if (trace_) std::fflush(trace_);
  if (timing_) std::fflush(timing_);
  inner_.End();
}

void HarnessIo::LoadSound(const RtString& file, double slot) {
  soundLengthMs_[Trunc(slot)] = WaveLengthMs(file);
  inner_.LoadSound(file, slot);
}

int HarnessIo::PlaySound(double slot, double volume) {
  sounds_.emplace_back(slot, volume);
  inner_.PlaySound(slot, volume);
  auto length = soundLengthMs_.find(Trunc(slot));
  if (length == soundLengthMs_.end() || length->second < 0) return -1;
  // Channels of our own, so that the end is decided by the clock alone.
  const int channel = nextChannel_++;
  channelEnds_[channel] = frame_ + static_cast<long>(std::ceil(length->second / kFrameMs));
  return channel;
}

bool HarnessIo::SoundPlaying(int channel) {
  auto it = channelEnds_.find(channel);
  return it != channelEnds_.end() && frame_ < it->second;
}

void HarnessIo::PlayMusic(const RtString& file, bool loop) {
  music_.push_back(std::string(file.c_str()) + (loop ? " loop" : ""));
  inner_.PlayMusic(file, loop);
}

void HarnessIo::StopMusic() {
  music_.push_back("stop");
  inner_.StopMusic();
}

bool ParseHarnessOptions(const std::string& commandLine, HarnessOptions& options,
                         std::string* error) {
  const std::vector<std::string> words = Split(commandLine, ' ');
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    const bool hasValue = i + 1 < words.size();
    if (w == "--unpaced") {
      options.unpaced = true;
    } else if (w == "--replay" && hasValue) {
      options.replay = words[++i];
    } else if (w == "--trace" && hasValue) {
      options.trace = words[++i];
    } else if (w == "--timing" && hasValue) {
      options.timing = words[++i];
    } else if (w == "--atlas" && hasValue) {
      options.atlas = words[++i];
    } else if (w == "--frames" && hasValue) {
      options.frames = std::strtol(words[++i].c_str(), nullptr, 10);
      if (options.frames <= 0) return fail("--frames needs a positive count");
    } else if (w == "--shot" && i + 2 < words.size()) {
      const long frame = std::strtol(words[i + 1].c_str(), nullptr, 10);
      options.shots.emplace_back(frame, words[i + 2]);
      i += 2;
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
    Io().ScreenToFile((folder + name).c_str());
    Io().EndFrame();
  }
}

}  // namespace zelvo
