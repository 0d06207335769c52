// Facts about the running process and its place in the file system.
#pragma once

#include <string>

namespace plat {

std::string ExecutablePath();
// The system's temporary directory, always ending in '/'.
std::string TempDirectory();
std::string CurrentDirectory();
bool SetCurrentDirectory(const std::string& dir);
bool DebuggerAttached();
void DebugOutput(const char* text);

}  // namespace plat
