// Shows what the input commands see, on the screen every frame and as one
// line on standard output whenever the held keys, the typed text, the mouse
// or a joystick change. Escape ends it.
//
//   input                  read the real devices
//   input --record FILE    read them and write a replay of them to FILE
//   input --replay FILE    read FILE instead of the devices
//   input [--replay FILE] --shot PNG   write the 30th frame's screen and end
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

std::string DescribeInput(const std::string& typed) {
  std::ostringstream line;
  line << "keys:";
  for (int code = 0; code < 256; ++code)
    if (KeyDown(code)) line << ' ' << code;
  int32_t x, y, left, right;
  MouseStateInt(x, y, left, right);
  line << " | typed: " << typed << " | mouse " << x << ',' << y << " buttons " << left << right
       << MouseReading(5) << " wheel " << MouseReading(2);
  for (int j = 0; j < JoyCount(); ++j) {
    line << " | joy" << j << " \"" << JoyName(j).c_str() << "\" " << JoyX(j) << ',' << JoyY(j)
         << ',' << JoyZ(j) << " hat " << JoyHatX(j) << ',' << JoyHatY(j) << " buttons";
    for (int b = 0; b < 32; ++b)
      if (JoyButton(j, b)) line << ' ' << b;
  }
  return line.str();
}

// The description as screen lines of at most 39 characters of the built-in
// 8-pixel font, a new line at every section.
void DrawDescription(const std::string& line) {
  std::vector<std::string> rows;
  std::string section;
  std::istringstream parts(line);
  while (std::getline(parts, section, '|')) {
    while (!section.empty() && section.front() == ' ') section.erase(section.begin());
    do {
      rows.push_back(section.substr(0, 39));
      section = section.size() > 39 ? section.substr(39) : std::string();
    } while (!section.empty());
  }
  DrawText(RtString("INPUT (Escape ends)"), 4, 4);
  for (size_t i = 0; i < rows.size() && i < 26; ++i)
    DrawText(RtString(rows[i].c_str()), 4, 20 + static_cast<double>(i) * 8);
}

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  settings.frameRate = 60;
  SetProjectSettings(settings);

  std::istringstream args(commandLine);
  std::string option, path, shotOption, shotPath;
  args >> option >> path >> shotOption >> shotPath;
  std::string error;
  if (option == "--replay") {
    // Played on the real-time schedule, as the recording was made.
    DeterministicRunOptions run;
    run.paced = true;
    run.replayFile = path;
    if (!StartDeterministicRun(run, &error)) {
      std::fprintf(stderr, "input: %s\n", error.c_str());
      std::exit(2);
    }
  } else if (option == "--record") {
    if (!StartInputRecording(path, &error)) {
      std::fprintf(stderr, "input: %s\n", error.c_str());
      std::exit(2);
    }
  }
  // --shot may stand alone or follow --replay FILE.
  const bool shot = option == "--shot" || shotOption == "--shot";
  const std::string shotFile = option == "--shot" ? path : shotPath;

  EngineStart(instance, previousInstance, commandLine, showCommand, "Input");
  // Keep running while another window has the focus, to show that the
  // keys held then are kept.
  SetAutoPause(0);

  std::string typed, shown;
  for (long frame = 0;; ++frame) {
    const RtString ch = TypedChar();
    if (ch.Length() > 0) typed += ch.c_str()[0] == '\b' ? std::string("<BS>") : ch.c_str();
    const std::string line = DescribeInput(typed);
    if (line != shown) {
      std::printf("frame %ld %s\n", frame, line.c_str());
      std::fflush(stdout);
      shown = line;
    }
    DrawDescription(line);
    if (shot && frame == 30) {
      ScreenToFile(RtString(shotFile.c_str()));
      End();
    }
    EndFrame();
  }
}
