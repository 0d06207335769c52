#include "game/autopilot.h"

#include <sstream>

namespace zelvo {

bool TakeAutopilotOption(std::string& commandLine) {
  std::istringstream in(commandLine);
  std::string word, rest;
  bool found = false;
  while (in >> word) {
    if (word == "--autopilot") {
      found = true;
      continue;
    }
    if (!rest.empty()) rest += ' ';
    rest += word;
  }
  if (found) commandLine = rest;
  return found;
}

}  // namespace zelvo
