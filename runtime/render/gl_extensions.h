// OpenGL entry points beyond 1.1, fetched by name once a context exists.
// A missing entry point stays null; every user checks before calling.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace ext {

#define RT_GL_MULTITEXTURE(X)                                  \
  X(PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)             \
  X(PFNGLMULTITEXCOORD2FARBPROC, glMultiTexCoord2fARB)         \
  X(PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB) \
  X(PFNGLGENBUFFERSARBPROC, glGenBuffersARB)                   \
  X(PFNGLBINDBUFFERARBPROC, glBindBufferARB)                   \
  X(PFNGLBUFFERDATAARBPROC, glBufferDataARB)                   \
  X(PFNGLDELETEBUFFERSARBPROC, glDeleteBuffersARB)             \
  X(PFNGLMAPBUFFERARBPROC, glMapBufferARB)                     \
  X(PFNGLUNMAPBUFFERARBPROC, glUnmapBufferARB)                 \
  X(PFNGLGETBUFFERPARAMETERIVARBPROC, glGetBufferParameterivARB)

#define RT_GL_SHADER_OBJECTS(X)                                  \
  X(PFNGLCREATEPROGRAMOBJECTARBPROC, glCreateProgramObjectARB)   \
  X(PFNGLDELETEOBJECTARBPROC, glDeleteObjectARB)                 \
  X(PFNGLCREATESHADEROBJECTARBPROC, glCreateShaderObjectARB)     \
  X(PFNGLSHADERSOURCEARBPROC, glShaderSourceARB)                 \
  X(PFNGLCOMPILESHADERARBPROC, glCompileShaderARB)               \
  X(PFNGLGETOBJECTPARAMETERIVARBPROC, glGetObjectParameterivARB) \
  X(PFNGLATTACHOBJECTARBPROC, glAttachObjectARB)                 \
  X(PFNGLGETINFOLOGARBPROC, glGetInfoLogARB)                     \
  X(PFNGLLINKPROGRAMARBPROC, glLinkProgramARB)                   \
  X(PFNGLUSEPROGRAMOBJECTARBPROC, glUseProgramObjectARB)         \
  X(PFNGLGETUNIFORMLOCATIONARBPROC, glGetUniformLocationARB)     \
  X(PFNGLUNIFORM1FARBPROC, glUniform1fARB)                       \
  X(PFNGLUNIFORM1IARBPROC, glUniform1iARB)                       \
  X(PFNGLGETATTRIBLOCATIONARBPROC, glGetAttribLocationARB)       \
  X(PFNGLVERTEXATTRIB1FARBPROC, glVertexAttrib1fARB)

// Framebuffer objects: the logical screen is one, and off-screen surfaces
// are more. Core names are preferred, the EXT names are the fallback.
#define RT_GL_FRAMEBUFFER(X)                                                   \
  X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                               \
  X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                         \
  X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                               \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)                     \
  X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                             \
  X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                       \
  X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                             \
  X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)                       \
  X(PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC, glRenderbufferStorageMultisample) \
  X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)               \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)                 \
  X(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)

// Core since 1.4; the EXT name is the fallback. Null: one draw per fan.
#define RT_GL_DRAWING(X) X(PFNGLMULTIDRAWARRAYSPROC, glMultiDrawArrays)

#define RT_GL_DECLARE(type, name) extern type name;
RT_GL_MULTITEXTURE(RT_GL_DECLARE)
RT_GL_DRAWING(RT_GL_DECLARE)
RT_GL_SHADER_OBJECTS(RT_GL_DECLARE)
RT_GL_FRAMEBUFFER(RT_GL_DECLARE)
#undef RT_GL_DECLARE

// Substring search in the GL extension string, as drivers list them.
bool HasExtension(const char* name);
// Looks the ARB entry points up according to the extensions present.
void LoadArbEntryPoints();
// Looks the framebuffer entry points up. True when the logical screen can be
// a framebuffer object (binding, storage and blit all present).
bool LoadFramebufferEntryPoints();

}  // namespace ext
