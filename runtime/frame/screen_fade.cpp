#include "runtime/frame/screen_fade.h"

#include <string>

#include "runtime/frame/frame_clock.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/primitives.h"
#include "runtime/gfx2d/sprites.h"

namespace {

constexpr double kFadeMs = 1500;
// The background slots the fade works in: 0 is the image every frame starts
// with, 1 the new picture, 2 the old screen.
constexpr int kBackgroundImage = 0;
constexpr int kIncoming = 1;
constexpr int kOutgoing = 2;

}  // namespace

void FadeToImage(const RtString& fileName) {
  std::string resolved;
  if (!gfx2d::ResolveImageName(fileName.c_str(), resolved)) return;
  gfx2d::CopyScreenToBackgroundSlot(kOutgoing);
  gfx2d::LoadBackgroundSlot(kIncoming, resolved.c_str());
  ClearScreen();  // frees the background image too

  const double deadline = ElapsedTime() + kFadeMs;
  double f = 0.9;
  while (f > 0 && f < 1) {
    SetBlendMode(f);
    gfx2d::DrawBackgroundSlot(kOutgoing);
    SetBlendMode(1 - f);
    gfx2d::DrawBackgroundSlot(kIncoming);
    EndFrame();
    f = (deadline - ElapsedTime()) / kFadeMs;
  }
  gfx2d::FreeBackgroundSlot(kIncoming);
  gfx2d::FreeBackgroundSlot(kOutgoing);
  // A fresh resolution: the first one named a file of the archive's that the
  // fade's own loads may have replaced since, and the plain name would miss
  // a picture that exists only in the archive.
  if (gfx2d::ResolveImageName(fileName.c_str(), resolved))
    gfx2d::LoadBackgroundSlot(kBackgroundImage, resolved.c_str());
  SetBlendMode(0);
  gfx2d::DrawBackgroundSlot(kBackgroundImage);
  EndFrame();
}

int FadeFrames(double frameMs) {
  if (!(frameMs > 0)) return 0;
  // FadeToImage's loop on a clock of whole frames from 0.
  int frames = 0;
  double f = 0.9;
  while (f > 0 && f < 1) {
    ++frames;
    f = (kFadeMs - frames * frameMs) / kFadeMs;
  }
  return frames + 1;
}
