// A program for the host tests to start:
//   --args-to FILE ARG...      writes every ARG to FILE, each ended by a NUL
//   --exit N                   ends with exit code N
//   --killed                   ends by SIGKILL
//   --sleep MS                 sleeps, then ends with 0
//   --copy FROM TO [FROM TO]   copies files
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

int main(int argc, char** argv) {
  if (argc < 2) return 100;
  const char* mode = argv[1];
  if (std::strcmp(mode, "--args-to") == 0 && argc >= 3) {
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 101;
    for (int i = 3; i < argc; ++i) std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
    std::fclose(out);
    return 0;
  }
  if (std::strcmp(mode, "--exit") == 0 && argc == 3) return std::atoi(argv[2]);
  if (std::strcmp(mode, "--killed") == 0) {
    raise(SIGKILL);
    return 102;
  }
  if (std::strcmp(mode, "--sleep") == 0 && argc == 3) {
    usleep(static_cast<useconds_t>(std::atoi(argv[2])) * 1000);
    return 0;
  }
  if (std::strcmp(mode, "--copy") == 0) {
    for (int i = 2; i + 1 < argc; i += 2) {
      std::ifstream in(argv[i], std::ios::binary);
      std::ofstream out(argv[i + 1], std::ios::binary);
      out << in.rdbuf();
    }
    return 0;
  }
  return 103;
}
