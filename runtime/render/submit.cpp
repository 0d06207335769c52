// Immediate mode and client-side arrays, as the picture tests were made
// with. A batch of sprite quads would collect here, behind the same calls.
#include "runtime/render/submit.h"

#include "runtime/render/gl_extensions.h"

namespace render {

void DrawQuad(const float quad[4][4]) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glBegin(GL_TRIANGLE_FAN);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2f(quad[i][2], quad[i][3]);
    glVertex2f(quad[i][0], quad[i][1]);
  }
  glEnd();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void DrawPixelQuad(int x, int y, int width, int height, float u0, float u1, float vb, float vt) {
  glBegin(GL_QUADS);
  glTexCoord2f(u1, vt);
  glVertex2i(x + width, y);
  glTexCoord2f(u0, vt);
  glVertex2i(x, y);
  glTexCoord2f(u0, vb);
  glVertex2i(x, y + height);
  glTexCoord2f(u1, vb);
  glVertex2i(x + width, y + height);
  glEnd();
}

void DrawTexturedQuads(const float* corners, size_t cornerCount) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 20, corners);
  glTexCoordPointer(2, GL_FLOAT, 20, corners + 3);
  glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(cornerCount));
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void DrawColouredFan(const float* vertices, int count, bool textured, Filter filter, float alpha) {
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_DITHER);
  glShadeModel(GL_SMOOTH);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, 32, vertices);
  if (textured) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 32, vertices + 2);
    SetFilter(filter);
  }
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(4, GL_FLOAT, 32, vertices + 4);
  glDrawArrays(GL_TRIANGLE_FAN, 0, count);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glShadeModel(GL_FLAT);
  if (textured) EnableTexturing(true);
  glColor4f(1, 1, 1, alpha);
  glDisable(GL_DITHER);
  glDisable(GL_COLOR_MATERIAL);
}

void DrawPoint(int x, int y) {
  glBegin(GL_POINTS);
  glVertex2i(x, y);
  glEnd();
}

void DrawLine(int x1, int y1, int x2, int y2) {
  glBegin(GL_LINES);
  glVertex2i(x1, y1);
  glVertex2i(x2, y2);
  glEnd();
}

namespace {

void SetTextureCoordinates(const MeshArrays& mesh, bool sphereMap) {
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, static_cast<GLsizei>(mesh.stride), mesh.uv);
  if (sphereMap) {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  }
}

// 2D draws do not touch texture generation, so it must not outlive the
// draw that wanted it.
void ClearTextureCoordinates() {
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
}

}  // namespace

void DrawMesh(const MeshArrays& mesh, const float* transform, bool normals, bool sphereMap,
              float alpha) {
  const GLsizei stride = static_cast<GLsizei>(mesh.stride);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixf(transform);

  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, mesh.position);
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(3, GL_FLOAT, stride, mesh.colour);
  if (normals) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, mesh.normal);
  }
  const bool twoUnits = ext::glClientActiveTextureARB && ext::glActiveTextureARB;
  if (twoUnits) {
    ext::glClientActiveTextureARB(GL_TEXTURE1);
    ext::glActiveTextureARB(GL_TEXTURE1);
    SetTextureCoordinates(mesh, sphereMap);
    ext::glClientActiveTextureARB(GL_TEXTURE0);
    ext::glActiveTextureARB(GL_TEXTURE0);
  }
  SetTextureCoordinates(mesh, sphereMap);

  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh.count));

  ClearTextureCoordinates();
  if (twoUnits) {
    ext::glClientActiveTextureARB(GL_TEXTURE1);
    ext::glActiveTextureARB(GL_TEXTURE1);
    ClearTextureCoordinates();
    ext::glClientActiveTextureARB(GL_TEXTURE0);
    ext::glActiveTextureARB(GL_TEXTURE0);
  }
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glPopMatrix();
  // The colour array leaves the current colour undefined.
  glColor4f(1, 1, 1, alpha);
}

}  // namespace render
