#include "game/game_io.h"

#include <cstdio>
#include <cstdlib>

namespace zelvo {

namespace {
GameIo* g_io = nullptr;
}

GameIo& Io() {
  if (!g_io) {
    // The program installs the runtime's at start; a test forgot its own.
    std::fputs("zelvo2: no GameIo installed\n", stderr);
    std::abort();
  }
  return *g_io;
}

void SetIo(GameIo* io) {
  g_io = io;
}

}  // namespace zelvo
