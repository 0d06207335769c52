// Whole-file commands: existence, size, deletion and copying, plus the
// helpers the line and INI caches share for handing paths to the system and
// for replacing a file's contents without a window in which it is missing.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "runtime/core/rt_string.h"

// 1 when the file can be opened for reading (disk or "mem://" name; a
// "mem://" name always counts), else 0. The archive is not consulted.
int FileExists(const RtString& name);
// Size in bytes; 0 when the file cannot be opened.
int FileSize(const RtString& name);
// 1 when the file was deleted. Directories are never deleted.
int DeleteFile(const RtString& name);
// Copies a disk or "mem://" file to a disk file, replacing it. A copy that
// fails part-way leaves no destination behind.
void CopyFile(const RtString& source, const RtString& destination);

namespace fileops {

// Programs may write either separator; the system is handed "/".
std::string SystemPath(const char* name);
bool IsMemoryName(const char* name);
bool IsDirectory(const std::string& path);
// path made independent of the current directory, which may have changed by
// the time a cached file is written back (program end restores it).
std::string AbsolutePath(const std::string& path);

// Writes a new version of path through writeBody into a temporary file in
// the same directory and renames it over the old one, so a crash or a full
// disk leaves either the old or the new file, never neither. An existing
// file's permission bits are kept. False (old file untouched) on any failure.
bool ReplaceFile(const std::string& path, const std::function<bool(std::FILE*)>& writeBody);

}  // namespace fileops
