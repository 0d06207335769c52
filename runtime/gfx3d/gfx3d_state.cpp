#include "runtime/gfx3d/gfx3d_state.h"

namespace gfx3d {

Gfx3dState& Gfx3d() {
  static Gfx3dState state;
  return state;
}

}  // namespace gfx3d
