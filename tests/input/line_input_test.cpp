#include "runtime/frame/line_input.h"

#include <vector>

#include "input_fixture.h"

namespace {

TEST(LineEditor, BackspaceAndEnterOnAnEmptyLine) {
  LineEditor editor("");
  EXPECT_FALSE(editor.Step('\b'));
  EXPECT_EQ(editor.Text(), "");
  EXPECT_TRUE(editor.Step('\n'));
  EXPECT_EQ(editor.Text(), "");
}

TEST(LineEditor, CursorShowsAndHidesForTwentyOneIdleFramesEach) {
  LineEditor editor("ab");
  std::string phases;
  for (int frame = 1; frame <= 84; ++frame) {
    editor.Step(0);
    phases += editor.Shown() == "ab_" ? '1' : '0';
  }
  EXPECT_EQ(phases, std::string(20, '0') + std::string(21, '1') + std::string(21, '0') +
                        std::string(21, '1') + "0");
  // Typing does not count toward the blink.
  editor.Step('c');
  EXPECT_EQ(editor.Shown(), "abc");
}

using LineInput = InputTest;

TEST_F(LineInput, TypedCharactersEditTheLineUntilEnter) {
  Start();
  std::vector<std::string> printed;
  int kept = 0, released = 0;
  LineInputDrawing drawing;
  drawing.keepScreen = [&] { ++kept; };
  drawing.releaseKeptScreen = [&] { ++released; };
  drawing.print = [&](const RtString& text, int x, int y) {
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
    printed.push_back(text.c_str());
  };
  SetLineInputDrawing(drawing);
  const uint64_t f = dev.Frame();
  using S = plat::ScriptedInputDevices;
  dev.At(f + 2, [](S& s) { s.SetKey(35, true); });  // h
  dev.At(f + 3, [](S& s) { s.ReleaseAllKeys(); });
  dev.At(f + 4, [](S& s) { s.SetKey(23, true); });  // i
  dev.At(f + 5, [](S& s) { s.ReleaseAllKeys(); });
  dev.At(f + 6, [](S& s) { s.SetKey(14, true); });  // Backspace
  dev.At(f + 7, [](S& s) { s.ReleaseAllKeys(); });
  dev.At(f + 8, [](S& s) { s.SetKey(28, true); });  // Enter
  RtString text("x");
  InputLine(text, 12, 34);
  SetLineInputDrawing({});
  EXPECT_STREQ(text.c_str(), "xh");
  EXPECT_EQ(kept, 1);
  EXPECT_EQ(released, 1);
  ASSERT_GE(printed.size(), 4u);
  EXPECT_EQ(printed.front(), "x");
  EXPECT_EQ(printed.back(), "xh");
  EXPECT_NE(std::find(printed.begin(), printed.end(), "xhi"), printed.end());

  dev.ReleaseAllKeys();
  dev.At(dev.Frame() + 2, [](S& s) { s.SetKey(4, true); });  // 3
  dev.At(dev.Frame() + 3, [](S& s) { s.ReleaseAllKeys(); });
  dev.At(dev.Frame() + 4, [](S& s) { s.SetKey(156, true); });  // keypad Enter
  int32_t value = 0;
  InputLineInt(value, 0, 0);
  EXPECT_EQ(value, 3);
}

}  // namespace
