// What the render layer remembers of the GL state between draws, so that a
// run of draws changes nothing the driver already has: each rebind or unit
// switch ends the driver's batch of consecutive sprites.
#pragma once

#include <cstdint>

namespace render {

struct RenderState {
  static constexpr uint32_t kUnknownTexture = 0xFFFFFFFFu;
  // What unit 0 holds and whether texturing is on there (-1: unknown).
  // Anything that binds, deletes or toggles textures other than through the
  // cached binding forgets them.
  uint32_t unit0Texture = kUnknownTexture;
  int8_t unit0Enabled = -1;
  // Whether the second texture unit may be on (a 3D pass may leave it so);
  // 2D draws turn it off once per state reset, not once per draw.
  bool secondUnitMayBeOn = true;
  // The filter last set on the bound texture, known only until the stream
  // is next drawn (FlushBatch forgets it): each sprite of a run sets it
  // again, which must not cut the stream.
  bool filterKnown = false;
  int filter = 0;
  // Whether the current colour is opaque white, under which the stream's
  // textured draws replace instead of modulating (the same bytes, less
  // work a pixel for a software rasteriser), and which of the two texture
  // environments unit 0 has (-1: unknown).
  bool colourOpaqueWhite = false;
  int8_t replaceEnvironment = -1;
  // Whether one unit of the projection is one pixel of the viewport with
  // nothing placed on top, so whole-number corners lie on pixel edges.
  bool pixelProjection = false;
  int viewportWidth = 0, viewportHeight = 0;
  int projectionWidth = -1, projectionHeight = -1;
  int placements = 0;
};

RenderState& Render();
// After any glViewport call.
inline void NoteViewport(int width, int height) {
  Render().viewportWidth = width;
  Render().viewportHeight = height;
}

}  // namespace render
