#include "runtime/frame/service_hooks.h"

#include <cstdlib>

#include "runtime/frame/engine_state.h"
#include "runtime/platform/platform.h"

namespace hooks {

// The random generator arrives with the mathematics commands.
void SeedRandom(int) {}
// The multiplayer link state arrives with the network subsystem.
void CreateNetwork() {}
// The 3D renderer arrives with the 3D subsystem.
void Create3DRenderer() {}
// The input record arrives with the input subsystem.
void CreateInput() {}
// The sound device and its slot table arrive with the audio subsystem.
void CreateSound() {}
void AttachInputAndSound(plat::Window*, void*, bool) {}
// Both archive contexts arrive with the archive reader.
void CreateArchives(const std::string&) {}
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
  plat::GetKeyboardState(g_engine.keys);
}
// Looping music arrives with the audio subsystem.
void ServiceMusicLoop() {}
void EndStencilShadowPass() {}
// Off-screen surfaces arrive with the 2D subsystem.
void ReturnDrawingToScreen() {}
void ResetFrameDrawState() {}

void HandOverWindow(plat::Window*) {}
void ReleaseGraphics() {}

void CloseAllChannels() {}
void StopMusic() {}
void DestroyInput() {}
void DestroySoundSlots() {}
void DestroySoundDevice() {}
void ShutdownNetwork() {}
void ReleaseArchives() {}

namespace {
void ProcessExitCleanup() {
  // INI write-back, line-file write-back and library unloading arrive with
  // the files and host subsystems.
}
}  // namespace

void EnsureProcessExitCleanup() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  std::atexit(ProcessExitCleanup);
}

}  // namespace hooks
