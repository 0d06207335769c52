// The solver's key timeline and its replay text, read back by the game's
// own replay reader.
#include <gtest/gtest.h>

#include "game/harness.h"
#include "tools/coursesolver/replay_script.h"

namespace coursesolver {
namespace {

TEST(KeyTimeline, KeepsOnlyTheFramesWhereTheHeldSetChanges) {
  KeyTimeline timeline;
  timeline.Hold(0, {});  // nothing held is where a replay starts
  timeline.Hold(5, {79});
  timeline.Hold(6, {79});
  timeline.Hold(7, {79, 72});
  timeline.Hold(8, {});
  timeline.Hold(9, {});
  ASSERT_EQ(timeline.changes.size(), 3u);
  EXPECT_EQ(timeline.changes.at(5), (std::set<int>{79}));
  EXPECT_EQ(timeline.changes.at(7), (std::set<int>{72, 79}));
  EXPECT_TRUE(timeline.changes.at(8).empty());
}

TEST(KeyTimeline, ReplayTextReadsBackAsTheSameKeys) {
  KeyTimeline timeline;
  timeline.Hold(3, {45});
  timeline.Hold(120, {75, 72});
  timeline.Hold(121, {});
  timeline.Hold(400, {1});
  const std::string text = timeline.ReplayText({"made by a test", "second line"});
  EXPECT_EQ(text.rfind("input-replay 1\n# made by a test\n# second line\n", 0), 0u) << text;

  zelvo::KeyScript script;
  std::string error;
  ASSERT_TRUE(script.Parse(text, &error)) << error;
  ASSERT_EQ(script.changes.size(), timeline.changes.size());
  for (const auto& [frame, keys] : timeline.changes) {
    ASSERT_TRUE(script.changes.count(frame)) << frame;
    const auto& change = script.changes.at(frame);
    EXPECT_TRUE(change.setsKeys) << frame;
    EXPECT_EQ(change.keys, keys) << frame;
    EXPECT_TRUE(change.taps.empty());
  }
  EXPECT_EQ(script.LastFrame(), 400);
}

}  // namespace
}  // namespace coursesolver
