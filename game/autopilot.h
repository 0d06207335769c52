// The autopilot: the real game, in its window at real speed with sound,
// flown through every room by the replay the course solver wrote
// (autopilot.replay beside the program), from the menu to the "game
// complete" screen. Escape ends it as it ends every run.
#pragma once

#include <string>

namespace zelvo {

// The replay the autopilot plays, relative to the run directory.
inline constexpr const char* kAutopilotScript = "autopilot.replay";

// Removes the word --autopilot from a command line; true when it was there.
bool TakeAutopilotOption(std::string& commandLine);

}  // namespace zelvo
