// INI files as the INI commands and the world reader parse them, then the
// lookups and the text written back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/files/ini_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IniCache cache;
  ParseIniText(cache, reinterpret_cast<const char*>(data), size);
  for (const IniSection& section : cache.sections) {
    for (const IniEntry& entry : section.entries)
      IniLookup(cache, section.name.c_str(), entry.key.c_str());
  }
  // What is written back is read again at the next open.
  const std::string text = IniText(cache);
  IniCache again;
  ParseIniText(again, text.data(), text.size());
  return 0;
}
