// A second program for the archive tests: resolves archive entries to disk
// over and over and checks every copy it gets against the original, the way
// a program plays one piece of music after another.
//
//   archive_resolver ARCHIVE ROUNDS END NAME ORIGINAL [NAME ORIGINAL ...]
//
// END says how the process ends once the rounds are done: "exit" (normal
// program end), "fatal" (a fatal runtime error) or "vanish" (no exit
// handlers, as after a crash). Prints its private folder first; exit status 0
// when every copy matched.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/core/runtime_error.h"
#include "runtime/files/archive.h"
#include "runtime/files/private_temp.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || (argc - 4) % 2 != 0) {
    std::fprintf(stderr, "usage: archive_resolver ARCHIVE ROUNDS END NAME ORIGINAL...\n");
    return 2;
  }
  const int rounds = std::atoi(argv[2]);
  const std::string end = argv[3];
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 4; i + 1 < argc; i += 2) entries.emplace_back(argv[i], Slurp(argv[i + 1]));

  std::printf("%s\n", files::PrivateTempFolder().c_str());
  std::fflush(stdout);
  int failures = 0;
  {
    ArchiveSource archive;
    archive.path = argv[1];
    for (int round = 0; round < rounds; ++round) {
      for (const auto& [name, original] : entries) {
        std::string resolved;
        if (!ResolveAssetName(&archive, name.c_str(), resolved, false)) {
          std::fprintf(stderr, "round %d: %s did not resolve\n", round, name.c_str());
          ++failures;
          continue;
        }
        // Two opens, as a loader that checks a file's kind and then reads
        // it: the file must survive between them.
        for (int open = 0; open < 2; ++open) {
          if (Slurp(resolved) != original) {
            std::fprintf(stderr, "round %d: %s (%s) changed or vanished\n", round, name.c_str(),
                         resolved.c_str());
            ++failures;
          }
        }
      }
    }
    if (end == "vanish") _exit(failures == 0 ? 0 : 1);
  }
  if (end == "fatal") FatalRuntimeError(kErrFileIo);
  return failures == 0 ? 0 : 1;
}
