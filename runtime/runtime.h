// The runtime's command set: the one header a program of the runtime
// includes. Programs define ProgramStart and call these commands only.
#pragma once

#include "runtime/core/arrays.h"
#include "runtime/core/conversion.h"
#include "runtime/core/data_table.h"
#include "runtime/core/mathematics.h"
#include "runtime/core/random.h"
#include "runtime/core/rt_string.h"
#include "runtime/files/archive.h"
#include "runtime/files/directory_listing.h"
#include "runtime/files/file_channels.h"
#include "runtime/files/file_operations.h"
#include "runtime/files/ini_files.h"
#include "runtime/files/line_files.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/program_end.h"
#include "runtime/frame/screen_mode.h"
#include "runtime/frame/startup.h"
#include "runtime/net/http_fetch.h"
#include "runtime/net/multiplayer_link.h"
#include "runtime/net/sockets.h"
