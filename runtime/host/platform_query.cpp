#include "runtime/host/platform_query.h"

#include <sys/statvfs.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "runtime/core/conversion.h"
#include "runtime/host/gl_context_facts.h"
#include "runtime/host/host_state.h"
#include "runtime/platform/power_info.h"

namespace {

std::string FirstLineOf(const char* path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t'))
    line.pop_back();
  return line;
}

// The machine id outlives reboots and reinstalls of the program; the root
// file system's id is the last resort on systems without one.
std::string MachineIdentity() {
  for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
    std::string id = FirstLineOf(path);
    if (!id.empty()) return id;
  }
  struct statvfs root {};
  if (statvfs("/", &root) == 0) return "fsid:" + std::to_string(root.f_fsid);
  return std::string();
}

// Four characters from [0-9A-Za-z]: printable, and safe in file names,
// URLs and INI values alike.
std::string IdentifierText(const std::string& identity) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (unsigned char c : identity) {
    hash ^= c;
    hash *= 16777619u;
  }
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::string text(4, '0');
  for (char& c : text) {
    c = kDigits[hash % 62];
    hash /= 62;
  }
  return text;
}

std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string BuildStampText() {
  const HostState& host = Host();
  if (!host.buildDate.empty()) return host.buildDate + "-" + host.buildTime;
  return std::string(__DATE__) + "-" + __TIME__;
}

}  // namespace

void SetProgramBuildStamp(const char* date, const char* time) {
  HostState& host = Host();
  host.buildDate = date ? date : "";
  host.buildTime = time ? time : "";
}

RtString QueryPlatform(RtString& key) {
  // The name after "GLEXT:" keeps the caller's letter case: GL names are
  // case-sensitive.
  const std::string original(key.c_str(), key.Length());
  UpperCaseInPlace(key);
  const std::string upper(key.c_str(), key.Length());

  // Programs branch on this answer (paths, program names), so it names the
  // system they really run on.
  if (upper.empty()) return RtString("LINUX");
  if (upper.rfind("GLEXT:", 0) == 0)
    return RtString(GlNameAvailable(original.substr(6)) ? "1" : "0");
  if (upper == "ID") return RtString(IdentifierText(MachineIdentity()).c_str());
  if (upper == "DEVICE") return RtString("DESKTOP");
  if (upper == "TIME") return RtString(LocalTimeText().c_str());
  if (upper == "BATTERY") {
    const int percent = plat::BatteryPercent();
    return RtString(percent < 0 ? 255 : percent);
  }
  if (upper == "COMPILED") return RtString(BuildStampText().c_str());
  return RtString("NO_DATA");
}
