// Host services: what QueryPlatform tells about the machine, a function of
// a shared library looked up by name, one of the program's own functions
// called by name, another program started and waited for, and the system's
// file dialog. Escape ends it.
//
//   hostinfo                 R runs "uname" again, C calls by name,
//                            O opens the file dialog
//   hostinfo --shot FILE     the 10th frame to FILE, then end
#include <cstring>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

int g_calls = 0;

void CountCall() {
  ++g_calls;
}

// The program's table of functions that CallByName may call.
const CallableEntry kCallable[] = {{CountCall, "CountCall"}, {nullptr, nullptr}};

std::string Query(const char* key) {
  RtString k(key);  // QueryPlatform turns the caller's key into capitals
  return QueryPlatform(k).c_str();
}

std::string RunUname() {
  double exitCode = -1;
  if (RunProgram(RtString("uname -s"), 1, 0, exitCode) != 1) return "could not start uname";
  return "started uname -s: exit " + std::to_string(static_cast<int>(exitCode));
}

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  const bool shot = std::strncmp(commandLine, "--shot ", 7) == 0;
  SetProgramBuildStamp(__DATE__, __TIME__);
  SetCallableFunctionTable(kCallable);
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Host services");
  if (!MainWindowHandle()) End();

  // cos from the C mathematics library, looked up at run time.
  RtString library("libm.so.6");
  void* address = nullptr;
  DeclareFunction(library, RtString("cos"), address);
  std::string libm = "libm.so.6 cos: not found";
  if (address) {
    const auto cosine = reinterpret_cast<double (*)(double)>(address);
    libm = "libm.so.6 cos(0.5) = " + std::string(RtString(cosine(0.5)).c_str());
  }
  std::string uname = RunUname();
  std::string chosen = "O: open the file dialog";
  CallByName(RtString("CountCall"));

  const std::string glExtension = "GL_ARB_multitexture";
  const std::string hasExtension = Query(("GLEXT:" + glExtension).c_str());
  bool wasDown[256] = {};
  // True once per press of the key (scan code).
  const auto pressed = [&wasDown](int code) {
    const bool down = KeyDown(code) != 0, fresh = down && !wasDown[code];
    wasDown[code] = down;
    return fresh;
  };
  for (int frame = 0;; ++frame) {
    if (!shot) {
      if (pressed(keys::kR)) uname = RunUname();
      if (pressed(46)) CallByName(RtString("CountCall"));  // C
      if (pressed(24)) {                                   // O
        const RtString file = FileRequester(1, RtString("All files|*.*"));
        chosen = std::string("chosen: ") + file.c_str();
      }
    }

    FillRect(0, 0, 320, 240, 0x402818);
    const std::vector<std::string> lines = {
        "QueryPlatform",
        "  system   " + Query(""),
        "  device   " + Query("DEVICE"),
        "  id       " + Query("ID"),
        "  battery  " + Query("BATTERY"),
        "  time     " + Query("TIME"),
        "  compiled " + Query("COMPILED"),
        "  " + glExtension + " " + hasExtension,
        "",
        "DeclareFunction",
        "  " + libm,
        "",
        "CallByName(\"CountCall\")",
        "  called " + std::to_string(g_calls) + " time(s)",
        "",
        "RunProgram",
        "  " + uname,
        "",
        "FileRequester",
        "  " + chosen,
    };
    int y = 6;
    for (const std::string& line : lines) {
      DrawText(RtString(line.c_str()), 6, y);
      y += 11;
    }
    if (shot && frame == 10) {
      ScreenToFile(RtString(commandLine + 7));
      End();
    }
    EndFrame();
  }
}
