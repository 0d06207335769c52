// Prints the answer to one platform query, so tests can compare answers
// given in different processes.
#include <cstdio>

#include "runtime/host/platform_query.h"

int main(int argc, char** argv) {
  RtString key(argc > 1 ? argv[1] : "");
  const RtString answer = QueryPlatform(key);
  std::fwrite(answer.c_str(), 1, answer.Length(), stdout);
  return 0;
}
