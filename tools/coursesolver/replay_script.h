// The solver's answer as an input replay (format version 1): the held keys
// by frame, one line where the set changes.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace coursesolver {

struct KeyTimeline {
  // Every held key from the frame on; a frame's set replaces the one before.
  std::map<long, std::set<int>> changes;

  // Holds keys from frame on; drops the entry again when nothing changes.
  void Hold(long frame, const std::set<int>& keys);
  // The replay text, with the comment lines first.
  std::string ReplayText(const std::vector<std::string>& comments) const;
};

}  // namespace coursesolver
