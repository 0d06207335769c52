// The window, its OpenGL context, window events, the keyboard state, the
// desktop and message boxes. Everything outside this folder reaches SDL's
// video side only through these functions, so the rest of the runtime reads
// like it was written against a plain desktop API.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace plat {

// Brings up the video subsystem once per process. False when no video
// driver could be opened.
bool Init();
// Releases everything the platform opened.
void Quit();

// ---- window and GL context -----------------------------------------------

struct Window;  // opaque; stands for the native window handle

struct WindowEvent {
  enum Kind { kActivated, kDeactivated, kCloseRequested, kKeyDown, kKeyUp, kResized, kOther };
  Kind kind = kOther;
  int key = 0;  // DirectInput-style scan code for key events (0 when unknown)
  bool alt = false;
  bool repeat = false;
};

// Creates a hidden top-level window whose client area is clientW x clientH.
Window* CreateWindow(const char* title, int clientW, int clientH);
void DestroyWindow(Window* w);
void SetWindowTitle(Window* w, const char* title);
std::string GetWindowTitle(Window* w);
void ShowWindow(Window* w);
void HideWindow(Window* w);
void RaiseWindow(Window* w);
void SetWindowPosition(Window* w, int x, int y);
void SetWindowClientSize(Window* w, int cw, int ch);
// Size of the drawable in physical pixels.
void GetDrawableSize(Window* w, int* cw, int* ch);
// Desktop-sized borderless full screen on or off. False when the system
// refused the change.
bool SetFullScreen(Window* w, bool on);
bool IsWindowFullScreen(Window* w);
bool IsWindowVisible(Window* w);

// The single OpenGL context: double buffered, 24-bit depth, 8-bit stencil,
// compatibility profile. Created once and made current on whichever window
// the runtime uses, so textures survive every window change.
bool CreateGLContext(Window* w);
bool MakeCurrent(Window* w);
void ReleaseCurrent();
void DestroyGLContext();
bool HasGLContext();
void SwapBuffers(Window* w);
void* GetProcAddress(const char* name);
// Keep the buffer swap from blocking on the display's refresh; the runtime
// paces frames itself.
void SetSwapInterval(int interval);

// Delivers every pending event of the window to handler, in order.
void PollEvents(const std::function<void(const WindowEvent&)>& handler);
// Queues a synthetic event for the next PollEvents (tests, and the runtime's
// own requests such as a close).
void PostEvent(const WindowEvent& e);

// ---- desktop -------------------------------------------------------------

// The desktop's size and colour depth (the stand-in for the display mode).
void GetDesktopMode(int* w, int* h, int* bits);
void DisableScreenSaver();
void Beep();

// ---- message box ---------------------------------------------------------

enum class BoxIcon { kInfo, kWarning, kError };
// Shows a modal box and returns when the user dismissed it.
void ShowMessageBox(BoxIcon icon, const char* caption, const char* text);
// False when the video driver draws nowhere a person looks (SDL's offscreen
// and dummy drivers): a box there could only wait for nobody. A test's box
// recorder stands for a person.
bool DisplayShowsBoxes();

}  // namespace plat
