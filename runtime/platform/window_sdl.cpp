#include <SDL.h>
#include <dlfcn.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fstream>
#include <vector>

#include "runtime/platform/keymap.h"
#include "runtime/platform/sdl_window.h"
#include "runtime/platform/test_backend.h"
#include "runtime/platform/window.h"

// Last: Xlib's macros (None, Bool, Status...) must not reach the headers
// above.
#include <SDL_syswm.h>
// X.h's screen-saver constant has the name of a platform function.
#undef DisableScreenSaver

namespace plat {
namespace {

bool g_videoUp = false;
SDL_GLContext g_context = nullptr;
std::function<void(BoxIcon, const std::string&, const std::string&)> g_boxRecorder;
std::deque<WindowEvent> g_posted;

WindowEvent Translate(const SDL_Event& ev) {
  WindowEvent out;
  switch (ev.type) {
    case SDL_QUIT:
      out.kind = WindowEvent::kCloseRequested;
      break;
    case SDL_WINDOWEVENT:
      switch (ev.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          out.kind = WindowEvent::kActivated;
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          out.kind = WindowEvent::kDeactivated;
          break;
        case SDL_WINDOWEVENT_CLOSE:
          out.kind = WindowEvent::kCloseRequested;
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          out.kind = WindowEvent::kResized;
          break;
        default:
          break;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      out.kind = ev.type == SDL_KEYDOWN ? WindowEvent::kKeyDown : WindowEvent::kKeyUp;
      out.key = ScanCodeFromSdl(ev.key.keysym.scancode);
      out.alt = (ev.key.keysym.mod & KMOD_ALT) != 0;
      out.repeat = ev.key.repeat != 0;
      break;
    default:
      break;
  }
  return out;
}

// Under the leak checker the GL loader libraries must stay mapped until
// the process ends: SDL unloads them when it quits, and the memory they
// still hold then looks leaked because the globals that point at it are
// gone. Pinning them keeps those allocations reachable.
void PinGlLibrariesForLeakChecker() {
#if defined(__SANITIZE_ADDRESS__)
  static bool pinned = false;
  if (pinned) return;
  pinned = true;
  const char* libs[] = {"libEGL.so.1", "libEGL_mesa.so.0", "libGL.so.1", "libGLX.so.0",
                        "libGLX_mesa.so.0", "libGLdispatch.so.0", "libgbm.so.1",
                        // Mesa's software driver, loaded by the libraries above.
                        "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"};
  for (const char* lib : libs) dlopen(lib, RTLD_NOW | RTLD_NODELETE | RTLD_GLOBAL);
#endif
}

#if defined(SDL_VIDEO_DRIVER_X11)
// The few Xlib calls the full-screen check needs, taken from the libX11 that
// SDL's X11 driver has already loaded, so the runtime and every program
// built on it link no window-system library of their own.
struct XlibCalls {
  Atom (*internAtom)(Display*, const char*, Bool) = nullptr;
  int (*getWindowProperty)(Display*, ::Window, Atom, long, long, Bool, Atom, Atom*, int*,
                           unsigned long*, unsigned long*, unsigned char**) = nullptr;
  int (*free)(void*) = nullptr;
  int (*sync)(Display*, Bool) = nullptr;
  XErrorHandler (*setErrorHandler)(XErrorHandler) = nullptr;
  bool ok = false;
};

const XlibCalls& Xlib() {
  static const XlibCalls calls = [] {
    XlibCalls c;
    void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return c;
    c.internAtom = reinterpret_cast<decltype(c.internAtom)>(dlsym(lib, "XInternAtom"));
    c.getWindowProperty =
        reinterpret_cast<decltype(c.getWindowProperty)>(dlsym(lib, "XGetWindowProperty"));
    c.free = reinterpret_cast<decltype(c.free)>(dlsym(lib, "XFree"));
    c.sync = reinterpret_cast<decltype(c.sync)>(dlsym(lib, "XSync"));
    c.setErrorHandler =
        reinterpret_cast<decltype(c.setErrorHandler)>(dlsym(lib, "XSetErrorHandler"));
    c.ok = c.internAtom && c.getWindowProperty && c.free && c.sync && c.setErrorHandler;
    // The handle stays open: SDL holds the library for the life of the video
    // subsystem, and the pointers above must not outlive it.
    return c;
  }();
  return calls;
}

bool g_xRequestFailed = false;
int RecordXError(Display*, XErrorEvent*) {
  g_xRequestFailed = true;
  return 0;
}

// Reads up to maxItems 32-bit items of a window property of the given type;
// empty when it is missing or the window is gone.
std::vector<unsigned long> ReadProperty(Display* d, ::Window win, const char* name, Atom type,
                                        long maxItems) {
  const XlibCalls& x = Xlib();
  std::vector<unsigned long> out;
  const Atom prop = x.internAtom(d, name, True);
  if (prop == None) return out;
  // A window named by a property may be gone (a window manager that quit
  // leaves its check window's id behind); Xlib's default answer to that is
  // to end the process.
  x.sync(d, False);
  g_xRequestFailed = false;
  XErrorHandler previous = x.setErrorHandler(RecordXError);
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = x.getWindowProperty(d, win, prop, 0, maxItems, False, type, &actualType,
                                         &format, &count, &after, &data);
  x.sync(d, False);
  x.setErrorHandler(previous);
  if (status == Success && !g_xRequestFailed && data && actualType == type && format == 32) {
    // Xlib hands 32-bit items over as longs.
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    out.assign(items, items + count);
  }
  if (data) x.free(data);
  return out;
}
#endif

// Whether something will act on the window's full-screen request: an X11
// window manager that says it does full screen. Without one the request is
// lost, while SDL goes on reporting the display's size as the window's.
// Other video drivers do it themselves.
bool FullScreenHandledForUs(Window* w) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(w->sdl, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  if (!Xlib().ok) return true;
  Display* d = info.info.x11.display;
  const ::Window root = DefaultRootWindow(d);
  const auto check = ReadProperty(d, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1);
  if (check.empty()) return false;
  // A live window manager's check window names itself.
  const auto self = ReadProperty(d, check[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1);
  if (self.empty() || self[0] != check[0]) return false;
  const Atom fullScreen = Xlib().internAtom(d, "_NET_WM_STATE_FULLSCREEN", True);
  if (fullScreen == None) return false;
  for (unsigned long atom : ReadProperty(d, root, "_NET_SUPPORTED", XA_ATOM, 4096))
    if (atom == fullScreen) return true;
  return false;
#else
  (void)w;
  return true;
#endif
}

}  // namespace

bool Init() {
  if (g_videoUp) return true;
  PinGlLibrariesForLeakChecker();
  // The frame wait sleeps to within half a millisecond of its deadline; the
  // default 50 us timer slack would eat a tenth of that margin.
  prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "video start failed: %s\n", SDL_GetError());
    return false;
  }
  g_videoUp = true;
  DisableScreenSaver();
  return true;
}

void Quit() {
  DestroyGLContext();
  if (g_videoUp) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    SDL_Quit();
    g_videoUp = false;
  }
  g_posted.clear();
}

Window* CreateWindow(const char* title, int clientW, int clientH) {
  if (!Init()) return nullptr;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  if (clientW <= 0) clientW = 1;
  if (clientH <= 0) clientH = 1;
  SDL_Window* sdl =
      SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientW, clientH,
                       SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!sdl) {
    std::fprintf(stderr, "window creation failed: %s\n", SDL_GetError());
    return nullptr;
  }
  return new Window{sdl};
}

void DestroyWindow(Window* w) {
  if (!w) return;
  if (w->sdl) SDL_DestroyWindow(w->sdl);
  delete w;
}

void SetWindowTitle(Window* w, const char* title) {
  if (w) SDL_SetWindowTitle(w->sdl, title ? title : "");
}

std::string GetWindowTitle(Window* w) {
  return w ? SDL_GetWindowTitle(w->sdl) : std::string();
}

void ShowWindow(Window* w) {
  if (w) SDL_ShowWindow(w->sdl);
}

void HideWindow(Window* w) {
  if (w) SDL_HideWindow(w->sdl);
}

void RaiseWindow(Window* w) {
  if (w) SDL_RaiseWindow(w->sdl);
}

void SetWindowPosition(Window* w, int x, int y) {
  if (w) SDL_SetWindowPosition(w->sdl, x, y);
}

void SetWindowClientSize(Window* w, int cw, int ch) {
  if (w && cw > 0 && ch > 0) SDL_SetWindowSize(w->sdl, cw, ch);
}

void GetDrawableSize(Window* w, int* cw, int* ch) {
  *cw = *ch = 0;
  if (w) SDL_GL_GetDrawableSize(w->sdl, cw, ch);
}

bool SetFullScreen(Window* w, bool on) {
  if (!w) return false;
  if (!on) {
    const bool ok = SDL_SetWindowFullscreen(w->sdl, 0) == 0;
    if (w->coveredByHand) {
      w->coveredByHand = false;
      SDL_SetWindowSize(w->sdl, w->windowedW, w->windowedH);
      SDL_SetWindowPosition(w->sdl, w->windowedX, w->windowedY);
    }
    return ok;
  }
  if (IsWindowFullScreen(w)) return true;
  if (!FullScreenHandledForUs(w)) {
    // Nobody will act on the request: cover the display with the window
    // first, while SDL still moves and sizes it, so that the size SDL
    // reports in full screen is the window's real one.
    SDL_GetWindowPosition(w->sdl, &w->windowedX, &w->windowedY);
    SDL_GetWindowSize(w->sdl, &w->windowedW, &w->windowedH);
    int display = SDL_GetWindowDisplayIndex(w->sdl);
    SDL_Rect bounds;
    if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0) {
      display = 0;
      if (SDL_GetDisplayBounds(0, &bounds) != 0) return false;
    }
    w->coveredByHand = true;
    SDL_SetWindowPosition(w->sdl, bounds.x, bounds.y);
    SDL_SetWindowSize(w->sdl, bounds.w, bounds.h);
  }
  if (SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    SetFullScreen(w, false);
    return false;
  }
  return true;
}

bool IsWindowFullScreen(Window* w) {
  return w && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool IsWindowVisible(Window* w) {
  return w && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_SHOWN) != 0;
}

bool CreateGLContext(Window* w) {
  if (!w) return false;
  if (g_context) return MakeCurrent(w);
  g_context = SDL_GL_CreateContext(w->sdl);
  if (!g_context) {
    std::fprintf(stderr, "GL context creation failed: %s\n", SDL_GetError());
    return false;
  }
  return MakeCurrent(w);
}

bool MakeCurrent(Window* w) {
  if (!w || !g_context) return false;
  return SDL_GL_MakeCurrent(w->sdl, g_context) == 0;
}

void ReleaseCurrent() {
  if (g_videoUp) SDL_GL_MakeCurrent(nullptr, nullptr);
}

void DestroyGLContext() {
  if (!g_context) return;
  SDL_GL_MakeCurrent(nullptr, nullptr);
  SDL_GL_DeleteContext(g_context);
  g_context = nullptr;
}

bool HasGLContext() {
  return g_context != nullptr;
}

void SwapBuffers(Window* w) {
  if (w) SDL_GL_SwapWindow(w->sdl);
}

void* GetProcAddress(const char* name) {
  return SDL_GL_GetProcAddress(name);
}

void SetSwapInterval(int interval) {
  SDL_GL_SetSwapInterval(interval);
}

void PollEvents(const std::function<void(const WindowEvent&)>& handler) {
  while (!g_posted.empty()) {
    WindowEvent e = g_posted.front();
    g_posted.pop_front();
    handler(e);
  }
  if (!g_videoUp) return;
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    WindowEvent e = Translate(ev);
    if (e.kind != WindowEvent::kOther) handler(e);
  }
}

void PostEvent(const WindowEvent& e) {
  g_posted.push_back(e);
}

void GetDesktopMode(int* w, int* h, int* bits) {
  *w = 1024;
  *h = 768;
  *bits = 24;
  if (!Init()) return;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    *w = mode.w;
    *h = mode.h;
    const int b = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    if (b > 0) *bits = b;
  }
}

void DisableScreenSaver() {
  SDL_DisableScreenSaver();
}

void Beep() {
  // No system beep exists behind SDL; a terminal bell is the nearest thing
  // and is harmless when nobody listens.
  if (isatty(STDERR_FILENO)) std::fputc('\a', stderr);
}

void ShowMessageBox(BoxIcon icon, const char* caption, const char* text) {
  if (g_boxRecorder) {
    g_boxRecorder(icon, caption ? caption : "", text ? text : "");
    return;
  }
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  if (icon == BoxIcon::kWarning) flags = SDL_MESSAGEBOX_WARNING;
  if (icon == BoxIcon::kError) flags = SDL_MESSAGEBOX_ERROR;
  if (SDL_ShowSimpleMessageBox(flags, caption, text, nullptr) != 0) {
    // No way to show a box (no display): the text must not be lost.
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
}

bool DisplayShowsBoxes() {
  if (g_boxRecorder) return true;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) driver = std::getenv("SDL_VIDEODRIVER");
  if (!driver) return true;
  return SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0;
}

void SetMessageBoxRecorder(
    std::function<void(BoxIcon, const std::string&, const std::string&)> recorder) {
  g_boxRecorder = std::move(recorder);
}

}  // namespace plat
