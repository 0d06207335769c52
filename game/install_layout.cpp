#include "game/install_layout.h"

#include <climits>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace zelvo {

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  path[n] = '\0';
  return std::filesystem::path(path).parent_path().string();
}

std::string InstalledDataFolder(const std::string& programFolder) {
  if (programFolder.empty()) return "";
  const std::filesystem::path bin(programFolder);
  if (bin.filename() != "bin" && bin.filename() != "games") return "";
  const std::filesystem::path data = bin.parent_path() / "share" / "zelvo2";
  std::error_code ignored;
  if (!std::filesystem::is_directory(data, ignored)) return "";
  return data.lexically_normal().string();
}

std::string DataFolder() {
  const std::string program = ProgramFolder();
  const std::string installed = InstalledDataFolder(program);
  return installed.empty() ? program : installed;
}

}  // namespace zelvo
