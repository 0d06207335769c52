#include "runtime/host/process_spawn.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

extern char** environ;

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  const size_t n = line.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t i = 0;
  while (i < n && blank(line[i])) ++i;
  if (i == n) return args;

  // A program path is full of backslashes that are no escapes.
  std::string program;
  bool quoted = false;
  for (; i < n; ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && blank(c)) break;
    program += c;
  }
  args.push_back(std::move(program));

  for (;;) {
    while (i < n && blank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    quoted = false;
    while (i < n) {
      size_t slashes = 0;
      while (i < n && line[i] == '\\') {
        ++slashes;
        ++i;
      }
      if (i < n && line[i] == '"') {
        arg.append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          arg += '"';
        } else if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
        continue;
      }
      arg.append(slashes, '\\');
      if (i >= n || (!quoted && blank(line[i]))) break;
      arg += line[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

pid_t StartProcess(const std::vector<std::string>& argv, int* outputRead) {
  if (argv.empty() || argv[0].empty()) return -1;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  int pipeEnds[2] = {-1, -1};
  if (outputRead && pipe2(pipeEnds, O_CLOEXEC) != 0) return -1;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outputRead) posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  // Sockets, archives and log files of ours are none of the child's
  // business, and an inherited socket would keep a peer connected after we
  // closed it.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

  // The runtime ignores SIGPIPE for its sockets; a child must not inherit
  // that, nor a blocked signal.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all, none;
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);

  if (outputRead) {
    close(pipeEnds[1]);
    if (failed) {
      close(pipeEnds[0]);
    } else {
      *outputRead = pipeEnds[0];
    }
  }
  return failed ? -1 : pid;
}

int WaitForExit(pid_t pid) {
  int status = 0;
  for (;;) {
    const pid_t got = waitpid(pid, &status, 0);
    if (got == pid) break;
    if (got < 0 && errno == EINTR) continue;
    return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

namespace {

void* CollectChild(void* pidAsPointer) {
  WaitForExit(static_cast<pid_t>(reinterpret_cast<intptr_t>(pidAsPointer)));
  return nullptr;
}

}  // namespace

void CollectWhenEnded(pid_t pid) {
  // One small thread per running child: waiting for that pid alone leaves
  // every other child to whoever started it. A child that outlives us is
  // inherited by init.
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  const int failed = pthread_create(&thread, &attributes, CollectChild,
                                    reinterpret_cast<void*>(static_cast<intptr_t>(pid)));
  pthread_attr_destroy(&attributes);
  // Without a thread, a non-blocking look at least collects a child that
  // has already ended.
  if (failed) waitpid(pid, nullptr, WNOHANG);
}

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
  if (name.empty()) return std::string();
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : "";
  const char* path = std::getenv("PATH");
  std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    std::string candidate = dir.empty() ? std::string(".") : std::string(dir);
    candidate += '/';
    candidate += name;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return std::string();
}
