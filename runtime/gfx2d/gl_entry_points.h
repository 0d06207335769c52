// The render layer's loaded GL entry points (framebuffers, multitexturing),
// reached through this one include.
#pragma once

#include "runtime/render/gl_extensions.h"
