#include "runtime/host/process_spawn.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>

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

// One thread collects every child started without waiting. It watches each
// child through a process descriptor (pidfd), which becomes readable when
// the child ends; a child whose descriptor cannot be had (an old kernel, no
// descriptors left) is looked at every kPollMs instead. Only the children
// handed over are ever waited for, never any other child of the process.
constexpr int kPollMs = 100;

struct ChildCollector {
  std::mutex mutex;
  std::vector<pid_t> handedOver;
  int wakeFd = -1;
  bool started = false;
};

// Never destroyed: the thread may still run while the process exits.
ChildCollector& Collector() {
  static ChildCollector* collector = new ChildCollector;
  return *collector;
}

int OpenProcessDescriptor(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  errno = ENOSYS;
  return -1;
#endif
}

// True once the child is collected (or is not ours to collect).
bool Collected(pid_t pid) {
  for (;;) {
    const pid_t got = waitpid(pid, nullptr, WNOHANG);
    if (got == pid) return true;
    if (got == 0) return false;
    if (errno != EINTR) return true;
  }
}

void* CollectChildren(void*) {
  ChildCollector& collector = Collector();
  struct Watched {
    pid_t pid;
    int fd;
  };
  std::vector<Watched> watched;
  std::vector<pollfd> waits;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(collector.mutex);
      for (pid_t pid : collector.handedOver) watched.push_back({pid, OpenProcessDescriptor(pid)});
      collector.handedOver.clear();
    }
    bool polling = false;
    for (size_t i = 0; i < watched.size();) {
      if (Collected(watched[i].pid)) {
        if (watched[i].fd >= 0) close(watched[i].fd);
        watched[i] = watched.back();
        watched.pop_back();
        continue;
      }
      polling = polling || watched[i].fd < 0;
      ++i;
    }
    waits.clear();
    waits.push_back(pollfd{collector.wakeFd, POLLIN, 0});
    for (const Watched& w : watched) {
      if (w.fd >= 0) waits.push_back(pollfd{w.fd, POLLIN, 0});
    }
    const int ready = poll(waits.data(), waits.size(), polling ? kPollMs : -1);
    if (ready > 0 && (waits[0].revents & POLLIN)) {
      uint64_t count = 0;
      while (read(collector.wakeFd, &count, sizeof count) < 0 && errno == EINTR) {
      }
    }
  }
  return nullptr;
}

// Starts the collecting thread once; false when it cannot run.
bool CollectorRunningLocked(ChildCollector& collector) {
  if (collector.started) return true;
  if (collector.wakeFd < 0) collector.wakeFd = eventfd(0, EFD_CLOEXEC);
  if (collector.wakeFd < 0) return false;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  collector.started = pthread_create(&thread, &attributes, CollectChildren, nullptr) == 0;
  pthread_attr_destroy(&attributes);
  return collector.started;
}

}  // namespace

void CollectWhenEnded(pid_t pid) {
  ChildCollector& collector = Collector();
  {
    std::lock_guard<std::mutex> guard(collector.mutex);
    if (!CollectorRunningLocked(collector)) {
      // Without the thread, a non-blocking look at least collects a child
      // that has already ended.
      waitpid(pid, nullptr, WNOHANG);
      return;
    }
    collector.handedOver.push_back(pid);
  }
  const uint64_t one = 1;
  while (write(collector.wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
  }
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
