// The process's own temporary folder. Files the runtime unpacks to disk go
// here rather than under fixed names in the shared temporary directory, so
// two programs of the runtime (or two copies of one) never replace or delete
// each other's files.
#pragma once

#include <string>

namespace files {

// The folder, ending in '/': "brakmor-PID-XXXXXX" under the system's
// temporary directory, mode 0700, created on first use and removed with
// everything in it when the process exits (std::exit, which fatal runtime
// errors end in, included). Creating it first clears away the folders of
// processes that are gone. Empty when it cannot be created.
std::string PrivateTempFolder();

// Removes the folder now; the next PrivateTempFolder makes a new one. Only
// the process that made the folder removes it (a forked child does not).
void RemovePrivateTempFolder();

// Removes the private folders under tempDir whose process has ended (one
// that crashed or was killed never ran its exit handler). A folder is left
// while its process still holds the lock inside it or while a process of its
// number runs. Returns how many were removed.
int RemoveAbandonedTempFolders(const std::string& tempDir);

}  // namespace files
