#include "tools/coursesolver/replay_script.h"

#include <iterator>

namespace coursesolver {

void KeyTimeline::Hold(long frame, const std::set<int>& keys) {
  // What is held just before this frame (nothing before the first line).
  auto after = changes.upper_bound(frame - 1);
  const std::set<int> none;
  const std::set<int>& before = after == changes.begin() ? none : std::prev(after)->second;
  if (keys == before) {
    changes.erase(frame);
  } else {
    changes[frame] = keys;
  }
}

std::string KeyTimeline::ReplayText(const std::vector<std::string>& comments) const {
  std::string text = "input-replay 1\n";
  for (const std::string& comment : comments) text += "# " + comment + "\n";
  for (const auto& [frame, keys] : changes) {
    text += std::to_string(frame) + " keys=";
    if (keys.empty()) text += "-";
    bool first = true;
    for (int code : keys) {
      if (!first) text += ",";
      text += std::to_string(code);
      first = false;
    }
    text += "\n";
  }
  return text;
}

}  // namespace coursesolver
