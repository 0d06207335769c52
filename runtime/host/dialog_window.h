// The one place where a system dialog touches the game window: the window
// steps aside while the dialog runs, so the dialog is never stuck behind a
// full-screen picture, and comes back as it was, in front and focused.
#pragma once

namespace plat {
struct Window;
}

class WindowAsideForDialog {
 public:
  WindowAsideForDialog();
  ~WindowAsideForDialog();
  WindowAsideForDialog(const WindowAsideForDialog&) = delete;
  WindowAsideForDialog& operator=(const WindowAsideForDialog&) = delete;

 private:
  plat::Window* window_ = nullptr;
  bool wasVisible_ = false;
  bool wasFullScreen_ = false;
};
