#include "runtime/render/lighting.h"
#include "runtime/render/submit.h"

#include <GL/gl.h>

namespace render {

void SwitchLightOff(int index, bool lastOne) {
  FlushBatch();
  glDisable(GL_LIGHT0 + index);
  if (lastOne) glDisable(GL_LIGHTING);
}

void SwitchLightOn(int index, const float diffuse[4], const float position[4],
                   const float* spotDirection, float cutoff) {
  FlushBatch();
  const GLenum light = GL_LIGHT0 + index;
  glEnable(GL_LIGHTING);
  glEnable(light);
  glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
  const float black[4] = {0, 0, 0, 1};
  glLightfv(light, GL_SPECULAR, black);
  glLightfv(light, GL_DIFFUSE, diffuse);
  if (spotDirection) glLightfv(light, GL_SPOT_DIRECTION, spotDirection);
  glLightfv(light, GL_POSITION, position);
  glLightf(light, GL_SPOT_CUTOFF, cutoff);
}

void SwitchFogOff() {
  FlushBatch();
  glDisable(GL_FOG);
}

void SetExponentialFog(const float colour[4], float density) {
  FlushBatch();
  glEnable(GL_FOG);
  glFogfv(GL_FOG_COLOR, colour);
  glFogi(GL_FOG_MODE, GL_EXP);
  glFogf(GL_FOG_DENSITY, density);
}

void SetLinearFog(const float colour[4], float start, float end) {
  FlushBatch();
  glEnable(GL_FOG);
  glFogfv(GL_FOG_COLOR, colour);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, start);
  glFogf(GL_FOG_END, end);
}

}  // namespace render
