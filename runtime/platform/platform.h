// The runtime's window onto the operating system. Everything outside this
// folder reaches SDL (window, GL context, events, clock, message box) only
// through these functions, so the rest of the runtime reads like it was
// written against a plain desktop API.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace plat {

// ---- life cycle ----------------------------------------------------------

// Brings up the video subsystem once per process. False when no video
// driver could be opened.
bool Init();
// Releases everything the platform opened.
void Quit();

// ---- clock ---------------------------------------------------------------

// Monotonic milliseconds with sub-millisecond resolution.
double NowMs();
// Sleeps for ms milliseconds with the system's finest timer (no whole-ms
// rounding); 0 or less returns at once.
void SleepMs(double ms);

// Tests replace the clock and the sleep so that pacing can be checked
// without real time passing. Passing empty functions restores the real ones.
void SetTestClock(std::function<double()> now, std::function<void(double)> sleep);

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
void GetWindowPosition(Window* w, int* x, int* y);
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
// Shows a modal box and returns when the user dismissed it. Tests install a
// recorder so no box is shown.
void ShowMessageBox(BoxIcon icon, const char* caption, const char* text);
void SetMessageBoxRecorder(
    std::function<void(BoxIcon, const std::string&, const std::string&)> recorder);

// ---- process facts -------------------------------------------------------

std::string ExecutablePath();
// The system's temporary directory, always ending in '/'.
std::string TempDirectory();
std::string CurrentDirectory();
bool SetCurrentDirectory(const std::string& dir);
bool DebuggerAttached();
void DebugOutput(const char* text);

}  // namespace plat
