#include "runtime/frame/engine_state.h"

#include "runtime/frame/engine.h"

ProjectSettings g_settings;
EngineState g_engine;

void SetProjectSettings(const ProjectSettings& settings) {
  g_settings = settings;
}

const ProjectSettings& CurrentProjectSettings() {
  return g_settings;
}

plat::Window* MainWindowHandle() {
  return g_engine.window;
}

void SetCommandLine(const RtString& commandLine) {
  g_engine.commandLine = commandLine;
}

RtString CommandLine() {
  return g_engine.commandLine;
}

double FirstFrameShownAt() {
  return g_engine.firstFrameShownAt;
}

double ModalWaitMs() {
  return g_engine.modalWaitMs;
}
