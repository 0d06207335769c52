#include "runtime/host/gl_context_facts.h"

#include "runtime/platform/window.h"
#include "runtime/render/gl_info.h"

namespace {

bool InList(const std::string& list, const std::string& name) {
  if (name.empty() || name.find(' ') != std::string::npos) return false;
  const std::string needle = name + ' ';
  for (size_t at = list.find(needle); at != std::string::npos; at = list.find(needle, at + 1)) {
    if (at == 0 || list[at - 1] == ' ') return true;
  }
  return false;
}

}  // namespace

bool GlNameAvailable(const std::string& name) {
  if (!plat::HasGLContext()) return false;
  if (InList(GlExtensionList(), name)) return true;
  return IsGl11EntryPoint(name.c_str()) && plat::GetProcAddress(name.c_str()) != nullptr;
}
