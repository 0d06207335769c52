// Sound effects: four tones made at start (WAV files written with the file
// commands, loaded into sound slots 0-3 with two copies each), played from
// the keyboard or the mouse. The mouse's x sets the pan, its y the volume;
// keys 1-4 or a click on a pad play that tone, and a pad lights while its
// sound plays. Escape ends it.
//
//   tones                  until Escape
//   tones --shot FILE      plays two tones, writes the 10th frame to FILE, ends
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "runtime/runtime.h"

namespace {

constexpr int kTones = 4;
constexpr int kRate = 22050;
constexpr double kSeconds = 0.6;
constexpr double kPitch[kTones] = {262, 330, 392, 523};  // C E G C
const char* const kNames[kTones] = {"C4", "E4", "G4", "C5"};

// One sample of tone n at sample i: a sine with a falling envelope, -1..1.
double Sample(int n, int i) {
  const double t = static_cast<double>(i) / kRate;
  return std::sin(2 * 3.14159265358979 * kPitch[n] * t) * std::exp(-4 * t / kSeconds);
}

// A 16-bit mono WAV file through file channel 0.
bool WriteTone(const std::string& path, int n) {
  if (OpenFile(0, RtString(path.c_str()), 0) != 1) return false;
  const int samples = static_cast<int>(kRate * kSeconds);
  WriteText(0, RtString("RIFF"));
  WriteLong(0, 36 + samples * 2);
  WriteText(0, RtString("WAVEfmt "));
  WriteLong(0, 16);
  WriteWord(0, 1);  // PCM
  WriteWord(0, 1);  // mono
  WriteLong(0, kRate);
  WriteLong(0, kRate * 2);
  WriteWord(0, 2);
  WriteWord(0, 16);
  WriteText(0, RtString("data"));
  WriteLong(0, samples * 2);
  for (int i = 0; i < samples; ++i) WriteWord(0, std::lround(Sample(n, i) * 30000));
  CloseFile(0);
  return true;
}

struct Pad {
  int x, y, w, h;
  int channel = -1;  // PlaySound's result for the latest play
};

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  const bool shot = std::strncmp(commandLine, "--shot ", 7) == 0;
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Tones");
  if (!MainWindowHandle()) End();

  // The files are needed only while loading: the slots keep the sounds.
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tones-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  double lengthMs = -1;
  for (int n = 0; n < kTones; ++n) {
    const std::string path = (dir / (std::string(kNames[n]) + ".wav")).string();
    if (WriteTone(path, n)) {
      LoadSound(RtString(path.c_str()), n, 2);
      lengthMs = SoundFileLengthMs(RtString(path.c_str()));
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);

  Pad pads[kTones];
  for (int n = 0; n < kTones; ++n) pads[n] = {8 + n * 78, 40, 70, 90};
  double pan = 0, volume = 0.8;
  bool wasDown[kTones + 1] = {};
  for (int frame = 0;; ++frame) {
    int32_t mx = 160, my = 60, left = 0, right = 0;
    if (!shot) {
      MouseStateInt(mx, my, left, right);
      pan = mx / 160.0 - 1;
      volume = 1 - my / 240.0;
    }
    for (int n = 0; n < kTones; ++n) {
      const Pad& p = pads[n];
      const bool clicked = left && mx >= p.x && mx < p.x + p.w && my >= p.y && my < p.y + p.h;
      const bool down = KeyDown(2 + n) != 0 || clicked;  // scan codes 2-5: keys 1-4
      const bool scripted = shot && frame == 1 && (n == 1 || n == 3);
      if ((down && !wasDown[n]) || scripted) pads[n].channel = PlaySound(n, pan, volume);
      wasDown[n] = down;
    }

    FillRect(0, 0, 320, 240, Rgb(20, 24, 40));
    DrawText(RtString("keys 1-4 or click: play"), 8, 8);
    DrawText(RtString("mouse x: pan, mouse y: volume"), 8, 20);
    for (int n = 0; n < kTones; ++n) {
      const Pad& p = pads[n];
      const bool playing = p.channel >= 0 && SoundPlaying(p.channel);
      FillRect(p.x, p.y, p.w, p.h, playing ? Rgb(230, 170, 40) : Rgb(60, 70, 110));
      // The tone's first 12 ms as a wave across the pad.
      for (int px = 0; px < p.w - 4; ++px) {
        const int i = px * kRate * 12 / 1000 / (p.w - 4);
        PlotPixel(p.x + 2 + px, p.y + p.h / 2 - static_cast<int>(Sample(n, i) * (p.h / 3)),
                  Rgb(255, 255, 255));
      }
      DrawText(RtString(kNames[n]), p.x + 4, p.y + p.h - 12);
    }
    // Pan and volume as bars.
    FillRect(8, 150, 304, 10, Rgb(40, 40, 60));
    FillRect(160 + static_cast<int>(pan * 150) - 2, 150, 5, 10, Rgb(120, 220, 255));
    DrawText(RtString("pan"), 8, 164);
    FillRect(8, 180, static_cast<int>(304 * volume), 10, Rgb(120, 255, 140));
    DrawText(RtString("volume"), 8, 194);
    DrawText(RtString(("each tone lasts " + std::to_string(std::lround(lengthMs)) + " ms").c_str()),
             8, 216);

    if (shot && frame == 10) {
      ScreenToFile(RtString(commandLine + 7));
      End();
    }
    EndFrame();
  }
}
