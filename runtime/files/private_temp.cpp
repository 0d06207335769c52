#include "runtime/files/private_temp.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "runtime/platform/process.h"

namespace files {

namespace {

constexpr char kPrefix[] = "brakmor-";
constexpr char kLockName[] = ".owner";

struct Folder {
  std::mutex mutex;
  std::string path;     // with the trailing '/', or empty
  std::string tempDir;  // the temporary directory it was made in
  pid_t owner = 0;
  int lockFd = -1;
};

Folder& TheFolder() {
  // Never destroyed: the exit handler may run after static destructors.
  static Folder* folder = new Folder;
  return *folder;
}

void RemoveTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void RemoveAtExit() {
  RemovePrivateTempFolder();
}

// The number in "brakmor-PID-XXXXXX", or 0 when name is not one of ours.
pid_t OwnerOf(const char* name) {
  const size_t prefix = sizeof kPrefix - 1;
  if (std::strncmp(name, kPrefix, prefix) != 0) return 0;
  char* end = nullptr;
  errno = 0;
  const long pid = std::strtol(name + prefix, &end, 10);
  if (errno != 0 || end == name + prefix || *end != '-' || pid <= 0) return 0;
  return static_cast<pid_t>(pid);
}

bool ProcessRuns(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno != ESRCH;
}

// True when nobody holds the folder's lock. A folder without a lock file
// is a folder being made right now, or one whose maker died before locking:
// only the process number decides then.
bool LockFree(const std::string& folder) {
  const int fd = ::open((folder + "/" + kLockName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return errno == ENOENT;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

}  // namespace

int RemoveAbandonedTempFolders(const std::string& tempDir) {
  DIR* dir = ::opendir(tempDir.c_str());
  if (!dir) return 0;
  const pid_t self = ::getpid();
  std::string base = tempDir;
  if (!base.empty() && base.back() != '/') base.push_back('/');
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t pid = OwnerOf(entry->d_name);
    if (pid == 0 || pid == self) continue;
    const std::string path = base + entry->d_name;
    struct stat st;
    // Only our own folders: never a link, never another user's.
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
      continue;
    }
    if (ProcessRuns(pid) || !LockFree(path)) continue;
    RemoveTree(path);
    ++removed;
  }
  ::closedir(dir);
  return removed;
}

std::string PrivateTempFolder() {
  Folder& folder = TheFolder();
  std::lock_guard<std::mutex> hold(folder.mutex);
  const pid_t self = ::getpid();
  const std::string tempDir = plat::TempDirectory();
  if (!folder.path.empty() && folder.owner == self) {
    struct stat st;
    if (folder.tempDir == tempDir && ::lstat(folder.path.c_str(), &st) == 0 &&
        S_ISDIR(st.st_mode)) {
      return folder.path;
    }
    // The temporary directory was pointed elsewhere, or someone removed
    // the folder: a new one where files are now expected.
    RemoveTree(folder.path);
    if (folder.lockFd >= 0) ::close(folder.lockFd);
  }
  // A forked child has its parent's record; the folder is not the child's.
  folder.path.clear();
  folder.lockFd = -1;

  RemoveAbandonedTempFolders(tempDir);
  std::string pattern = tempDir + kPrefix + std::to_string(self) + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) return std::string();
  const int fd = ::open((pattern + "/" + kLockName).c_str(),
                        O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (fd >= 0) ::close(fd);
    RemoveTree(pattern);
    return std::string();
  }
  folder.lockFd = fd;
  folder.owner = self;
  folder.path = pattern + "/";
  folder.tempDir = tempDir;

  static pid_t registeredIn = 0;
  if (registeredIn != self) {
    registeredIn = self;
    std::atexit(RemoveAtExit);
  }
  return folder.path;
}

void RemovePrivateTempFolder() {
  Folder& folder = TheFolder();
  std::lock_guard<std::mutex> hold(folder.mutex);
  if (folder.path.empty() || folder.owner != ::getpid()) return;
  RemoveTree(folder.path);
  if (folder.lockFd >= 0) ::close(folder.lockFd);
  folder.lockFd = -1;
  folder.path.clear();
}

}  // namespace files
