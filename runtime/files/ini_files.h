// INI files: sections of key=value lines. The runtime holds one file at a
// time (IniOpen, IniGet, IniPut) and writes it back when another file is
// opened or the program ends; other parts keep their own parsed copies
// through ParseIniFile and IniLookup.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "runtime/core/rt_string.h"

struct IniEntry {
  std::string key;
  std::string value;
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

struct IniCache {
  // The name after archive resolution: a "mem://" name (from the archive) is
  // never written back; empty = nothing to write.
  std::string fileName;
  // Where a write-back goes: the disk file's absolute path.
  std::string diskPath;
  std::vector<IniSection> sections;
  // Changed through IniPut since this file was loaded or last written.
  bool changed = false;
  // False when the file exists but could not be read: writing the cache
  // over it would destroy what we never saw.
  bool writable = true;
};

// Loads name (disk first, then the data archive) into cache, replacing what
// it held. False, with an empty cache, when the file cannot be read.
bool ParseIniFile(IniCache& cache, const char* name);
// Parses INI text held in memory into cache's sections (the file name and
// flags are left alone).
void ParseIniText(IniCache& cache, const char* bytes, size_t size);
// The first matching section's first matching entry (both ignoring letter
// case), or "NO_DATA".
RtString IniLookup(const IniCache& cache, const char* section, const char* key);
// The written form: "[name]" then "key=value" lines, each ended by CR LF.
std::string IniText(const IniCache& cache);

// Writes back the open file when it holds changes, then loads name.
void IniOpen(const RtString& name);
// The value of key in section of the open file (both ignoring letter
// case), or "NO_DATA".
RtString IniGet(const RtString& section, const RtString& key);
// Sets key in section (created at the end when missing); an empty value
// deletes the key, an empty key deletes the section. A section name holding
// CR, LF or "]", a key holding CR, LF or "=" and a value holding CR or LF
// are refused: nothing changes and runtime error 7 is recorded, since the
// file would read back other sections or keys than were put.
void IniPut(const RtString& section, const RtString& key, const RtString& value);

// Program end: writes the open file back when it holds changes.
void IniWriteBack();
