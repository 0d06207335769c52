#include "runtime/render/render_state.h"

namespace render {

RenderState& Render() {
  static RenderState state;
  return state;
}

}  // namespace render
