#include "runtime/frame/service_hooks.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/core/random.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/ini_files.h"
#include "runtime/files/line_files.h"
#include "runtime/frame/engine_state.h"
#include "runtime/input/input_service.h"
#include "runtime/input/input_state.h"
#include "runtime/net/multiplayer_link.h"
#include "runtime/platform/platform.h"

namespace hooks {

void SeedRandom(int seed) {
  RandomSeed(seed);
}
// Programs without a window create the link on first use instead.
void CreateNetwork() {
  NetLinkInstance();
}
// The 3D renderer arrives with the 3D subsystem.
void Create3DRenderer() {}
// The input record arrives with the input subsystem.
void CreateInput() {}
// The sound device and its slot table arrive with the audio subsystem.
void CreateSound() {}
void AttachInputAndSound(plat::Window*, void*, bool) {}
// Both archives first name the program's own file, so an archive appended
// to the executable works without configuration.
void CreateArchives(const std::string& exePath) {
  if (!g_engine.dataArchive) g_engine.dataArchive = new ArchiveSource;
  if (!g_engine.musicArchive) g_engine.musicArchive = new ArchiveSource;
  SetArchiveFiles(exePath.c_str(), exePath.c_str());
}
// Background slots and the draw area arrive with the 2D subsystem; until
// then the screen framebuffer is cleared when it is made.
void ClearScreen() {}
void ResetDrawArea() {}
// Fonts arrive with the 2D subsystem.
void LoadBuiltInFont() {}
void ShowLoadingText() {}
void LoadDefaultFont() {}
// Mouse cooperation and the cursor arrive with the input subsystem.
void ApplyMouseMode() {}

// Until the input subsystem owns the keyboard, the frame keeps its own
// snapshot so the quit keys work.
void SampleInput() {
  InputFrame();
  std::copy(Input().keys.begin(), Input().keys.end(), g_engine.keys);
}
// Looping music arrives with the audio subsystem.
void ServiceMusicLoop() {}
void EndStencilShadowPass() {}
// Off-screen surfaces arrive with the 2D subsystem.
void ReturnDrawingToScreen() {}
void ResetFrameDrawState() {}

void HandOverWindow(plat::Window*) {}
void ReleaseGraphics() {}

void CloseAllChannels() {
  CloseAllFiles();
}
void StopMusic() {}
void DestroyInput() {}
void DestroySoundSlots() {}
void DestroySoundDevice() {}
// Stops the worker (waiting for it), closes the link's slots and frees it.
void ShutdownNetwork() {
  NetLinkShutdown();
}
// Deleting a record deletes its temporary file too.
void ReleaseArchives() {
  delete g_engine.musicArchive;
  g_engine.musicArchive = nullptr;
  delete g_engine.dataArchive;
  g_engine.dataArchive = nullptr;
}

namespace {
void ProcessExitCleanup() {
  IniWriteBack();
  SelectLineFile(nullptr);
  // Library unloading arrives with the host subsystem.
}
}  // namespace

void EnsureProcessExitCleanup() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  std::atexit(ProcessExitCleanup);
}

}  // namespace hooks
