// Runs a program of the build as a child process, for tests of what two
// processes do to each other or of a tool's command line.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace testchild {

struct Child {
  pid_t pid = -1;
};

// Starts args[0] with its standard output and error in the files named
// (empty: inherited). pid -1 when it could not be started.
inline Child Spawn(const std::vector<std::string>& args, const std::string& out = "",
                   const std::string& err = "") {
  Child child;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!out.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  if (!err.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    child.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

// The exit status; -1 when the child did not exit normally, -2 when it was
// still running after timeoutSeconds (it is killed then: a hang is a
// failure, never a test that waits for ever).
inline int Wait(const Child& child, int timeoutSeconds = 120) {
  if (child.pid < 0) return -1;
  int status = 0;
  for (int waited = 0; waited < timeoutSeconds * 20; ++waited) {
    const pid_t done = waitpid(child.pid, &status, WNOHANG);
    if (done == child.pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0) return -1;
    const timespec pause{0, 50 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  kill(child.pid, SIGKILL);
  waitpid(child.pid, &status, 0);
  return -2;
}

}  // namespace testchild
