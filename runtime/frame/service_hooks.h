// The places where the engine's start-up, frame step, mode switches and
// shutdown call into the other services. Each service fills in its own
// function here when it arrives; until then the call does nothing.
#pragma once

#include <string>

namespace plat {
struct Window;
}

namespace hooks {

// ---- start-up, in the order EngineStart calls them ----
void SeedRandom(int seed);
void CreateNetwork();
void Create3DRenderer();
void CreateInput();
void CreateSound();
void AttachInputAndSound(plat::Window* window, void* instance, bool exclusiveMouse);
void CreateArchives(const std::string& exePath);
void ClearScreen();
void ResetDrawArea();
void LoadBuiltInFont();
void ShowLoadingText();
void LoadDefaultFont();
void ApplyMouseMode();

// ---- every frame ----
void SampleInput();
void ServiceMusicLoop();
void EndStencilShadowPass();
void ReturnDrawingToScreen();
void ResetFrameDrawState();

// ---- window changes ----
// The window (possibly new) is handed to input and sound.
void HandOverWindow(plat::Window* window);
// Surfaces, sprite and background textures go before the context does.
void ReleaseGraphics();

// ---- shutdown, in the order ShutdownEngine calls them ----
void CloseAllChannels();
void StopMusic();
void DestroyInput();
void DestroySoundSlots();
void DestroySoundDevice();
void ShutdownNetwork();
void ReleaseArchives();

// ---- process exit ----
// Registers the process-exit clean-up once (INI and line files written
// back, libraries loaded by name unloaded). Safe to call many times.
void EnsureProcessExitCleanup();

}  // namespace hooks
