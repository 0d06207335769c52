// The smallest program of the runtime: a window that runs frames until
// Escape, Alt+F4 or the close box ends it.
#include "runtime/runtime.h"

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  g_engine.commandLine = RtString(commandLine);
  g_settings.screenWidth = 320;
  g_settings.screenHeight = 240;
  g_settings.fullScreen = 0;
  g_settings.frameRate = 60;
  EngineStart(instance, previousInstance, commandLine, showCommand, "Frames");
  if (!MainWindowHandle()) {
    StdErr(RtString("frames: no window could be opened\n"));
    FatalRuntimeError(kErrInvalidArgument);
  }
  g_engine.errorCode = g_engine.errorLine = g_engine.currentLine = 0;
  for (;;) EndFrame();
}
