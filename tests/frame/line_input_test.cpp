#include "runtime/frame/line_input.h"

#include <vector>

#include "engine_fixture.h"
#include "runtime/gfx2d/gfx2d_state.h"
#include "runtime/input/input_service.h"
#include "runtime/platform/input_devices.h"

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

// The engine runs the line's frames; keys come from the scripted devices.
class LineInput : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::SharedEngine();
    plat::InstallInputDevices(&dev);
    InputStart();
    InputWindowChanged({nullptr, false});
  }
  void TearDown() override {
    InputShutdown();
    plat::InstallInputDevices(nullptr);
  }
  plat::ScriptedInputDevices dev;
};

TEST_F(LineInput, TypedCharactersEditTheLineUntilEnterOverTheKeptScreen) {
  ClearScreen();
  FillRect(0, 0, 320, 240, 0x204060);
  const uint64_t f = dev.Frame();
  using S = plat::ScriptedInputDevices;
  dev.At(f + 2, [](S& s) { s.SetKey(35, true); });  // h
  dev.At(f + 3, [](S& s) { s.ReleaseAllKeys(); });
  bool keptWhileTyping = false;
  dev.At(f + 4, [&](S& s) {
    s.SetKey(23, true);  // i
    keptWhileTyping = gfx2d::Gfx2d().backgrounds[3].tiles[0][0].texture != 0;
  });
  dev.At(f + 5, [](S& s) { s.ReleaseAllKeys(); });
  dev.At(f + 6, [](S& s) { s.SetKey(14, true); });  // Backspace
  dev.At(f + 7, [](S& s) { s.ReleaseAllKeys(); });
  dev.At(f + 8, [](S& s) { s.SetKey(28, true); });  // Enter
  RtString text("x");
  InputLine(text, 12, 34);
  EXPECT_STREQ(text.c_str(), "xh");
  // The screen behind the line was kept while typing, and its copy is gone.
  EXPECT_TRUE(keptWhileTyping);
  EXPECT_EQ(gfx2d::Gfx2d().backgrounds[3].tiles[0][0].texture, 0u);

  dev.ReleaseAllKeys();
  dev.At(dev.Frame() + 2, [](S& s) { s.SetKey(4, true); });  // 3
  dev.At(dev.Frame() + 3, [](S& s) { s.ReleaseAllKeys(); });
  dev.At(dev.Frame() + 4, [](S& s) { s.SetKey(156, true); });  // keypad Enter
  int32_t value = 0;
  InputLineInt(value, 0, 0);
  EXPECT_EQ(value, 3);
}

}  // namespace
