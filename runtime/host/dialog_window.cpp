#include "runtime/host/dialog_window.h"

#include "runtime/host/host_state.h"
#include "runtime/platform/window.h"

WindowAsideForDialog::WindowAsideForDialog() : window_(Host().window) {
  if (!window_) return;
  wasVisible_ = plat::IsWindowVisible(window_);
  wasFullScreen_ = plat::IsWindowFullScreen(window_);
  plat::HideWindow(window_);
}

WindowAsideForDialog::~WindowAsideForDialog() {
  if (!window_) return;
  if (wasVisible_) plat::ShowWindow(window_);
  // Showing a hidden full-screen window is meant to bring full screen back,
  // but not every window system does; set the mode it had either way.
  if (plat::IsWindowFullScreen(window_) != wasFullScreen_)
    plat::SetFullScreen(window_, wasFullScreen_);
  if (wasVisible_) plat::RaiseWindow(window_);
}
