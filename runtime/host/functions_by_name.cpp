#include "runtime/host/functions_by_name.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/conversion.h"
#include "runtime/host/host_state.h"

namespace {

// Libraries stay loaded until the process ends; function pointers handed
// out earlier must stay valid until then.
void UnloadModules() {
  HostState& host = Host();
  for (LoadedModule& module : host.modules) {
    if (module.handle) dlclose(module.handle);
  }
  host.modules.clear();
}

void EnsureUnloadAtExit() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  std::atexit(UnloadModules);
}

bool HasSuffix(const std::string& name) {
  const size_t slash = name.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  return name.find('.', base) != std::string::npos;
}

// "dir/name" -> "dir/libname.so", the usual file of a library called name.
std::string LibraryFileName(const std::string& name) {
  const size_t slash = name.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  return name.substr(0, base) + "lib" + name.substr(base) + ".so";
}

// File names are case-sensitive here, while programs written for a system
// where they are not may spell a library any way: the caller's spelling is
// the one most likely to exist on disk.
void* OpenModule(const std::string& callerSpelling, const std::string& lowerSpelling) {
  std::vector<std::string> candidates = {callerSpelling};
  if (lowerSpelling != callerSpelling) candidates.push_back(lowerSpelling);
  if (!HasSuffix(callerSpelling)) {
    candidates.push_back(LibraryFileName(callerSpelling));
    if (lowerSpelling != callerSpelling) candidates.push_back(LibraryFileName(lowerSpelling));
  }
  for (const std::string& file : candidates) {
    if (void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
  }
  return nullptr;
}

const CallableEntry* FindCallable(const RtString& name) {
  const CallableEntry* entry = Host().callables;
  if (!entry) return nullptr;
  for (; entry->name; ++entry) {
    if (std::strlen(entry->name) == name.Length() &&
        std::memcmp(entry->name, name.c_str(), name.Length()) == 0)
      return entry;
  }
  return nullptr;
}

}  // namespace

void SetCallableFunctionTable(const CallableEntry* table) {
  Host().callables = table;
}

void DeclareFunction(RtString& module, const RtString& function, void*& out) {
  out = nullptr;
  const std::string callerSpelling(module.c_str());
  LowerCaseInPlace(module);
  const std::string key(module.c_str(), module.Length());

  HostState& host = Host();
  void* handle = nullptr;
  for (const LoadedModule& loaded : host.modules) {
    if (loaded.key == key) {
      handle = loaded.handle;
      break;
    }
  }
  if (!handle) {
    // An empty name would give the program's own symbols, which no caller
    // asks for by naming a library.
    if (!callerSpelling.empty()) handle = OpenModule(callerSpelling, module.c_str());
    if (!handle) {
      HostDebugLine("DECLARE module not found:" + key + "\n");
      return;
    }
    EnsureUnloadAtExit();
    host.modules.push_back({key, handle});
  }
  out = dlsym(handle, function.c_str());
}

double CallByName(const RtString& name) {
  const CallableEntry* entry = FindCallable(name);
  if (entry && entry->function) {
    entry->function();
    return 1;
  }
  HostDebugLine("CALLBYNAME \"" + std::string(name.c_str(), name.Length()) + "\" *** failed ***\n");
  return 0;
}

CallableFunction FindFunctionByName(const RtString& name) {
  const CallableEntry* entry = FindCallable(name);
  return entry ? entry->function : nullptr;
}
