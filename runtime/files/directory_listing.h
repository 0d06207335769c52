// The current directory, directory listings and wildcard matching.
#pragma once

#include "runtime/core/arrays.h"
#include "runtime/core/rt_string.h"

// The current directory with "/" separators and one final "/"; the empty
// text when the system cannot tell.
RtString GetCurrentDir();
// 1 on success, 0 on failure. Either separator is accepted.
int SetCurrentDir(const RtString& path);

// Lists the current directory into out: every directory (including "." and
// "..") whatever the pattern, then the files whose names match pattern, each
// group in the order the system delivers them. Returns
// directory count * 65536 + file count.
double ListDirectory(const RtString& pattern, TextArray& out);

// 1 when text matches pattern: "*" is any run (also empty), "?" one character
// other than ".", letters A-Z match either case, and "*.*" matches every name.
int MatchWildcard(const RtString& pattern, const RtString& text);
bool MatchWildcard(const char* pattern, const char* text);

// Turns every "\" into "/" in place; returns the length.
int ToForwardSlashes(RtString& text);
