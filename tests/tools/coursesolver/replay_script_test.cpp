// The solver's key timeline and its replay text, read back by the game's
// input layer's replay reader.
#include <gtest/gtest.h>

#include "runtime/platform/input_devices.h"
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

  plat::ScriptedInputDevices devices;
  std::string error;
  ASSERT_TRUE(devices.LoadReplayText(text, &error)) << error;
  std::set<int> expected;
  for (long frame = 0; frame <= 401; ++frame) {
    if (frame > 0) devices.BeginFrame();
    const auto change = timeline.changes.find(frame);
    if (change != timeline.changes.end()) expected = change->second;
    const plat::InputSnapshot& snapshot = devices.Poll();
    std::set<int> held;
    for (int code = 0; code < 256; ++code)
      if (snapshot.keys[code] & 0x80) held.insert(code);
    ASSERT_EQ(held, expected) << "frame " << frame;
  }
  EXPECT_TRUE(devices.Finished());
}

}  // namespace
}  // namespace coursesolver
