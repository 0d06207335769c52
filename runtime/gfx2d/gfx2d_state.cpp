#include "runtime/gfx2d/gfx2d_state.h"

namespace gfx2d {

Gfx2dState& Gfx2d() {
  static Gfx2dState state;
  return state;
}

}  // namespace gfx2d
