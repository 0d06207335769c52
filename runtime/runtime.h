// The runtime's command set: the one header a program of the runtime
// includes. Programs define ProgramStart and call these commands only.
#pragma once

#include "runtime/core/conversion.h"
#include "runtime/core/rt_string.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/program_end.h"
#include "runtime/frame/screen_mode.h"
#include "runtime/frame/startup.h"
