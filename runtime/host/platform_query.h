// Facts about the platform the program runs on.
#pragma once

#include "runtime/core/rt_string.h"

// key is turned into upper case, in the caller's variable too, then:
//   ""            "LINUX"
//   "GLEXT:name"  "1" when name (in the caller's letter case) is an
//                 extension of the current GL context or an OpenGL 1.1
//                 function it provides, else "0"
//   "ID"          four printable characters identifying this machine
//   "DEVICE"      "DESKTOP"
//   "TIME"        the local time as "YYYY-MM-DD HH:MM:SS"
//   "BATTERY"     battery charge in percent, "255" when unknown
//   "COMPILED"    the program's build stamp, "Jul 16 2009-18:12:24" style
// and "NO_DATA" for anything else.
RtString QueryPlatform(RtString& key);

// The program's build date and time as the compiler gives them (__DATE__,
// __TIME__). Without it "COMPILED" answers the runtime's own build stamp.
void SetProgramBuildStamp(const char* date, const char* time);
