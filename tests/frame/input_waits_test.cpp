#include <unistd.h>

#include <cstdio>
#include <functional>

#include "audio_fixture.h"
#include "input_fixture.h"
#include "runtime/audio/audio_service.h"
#include "runtime/audio/music.h"
#include "runtime/frame/input_waits.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/test_backend.h"
#include "runtime/platform/window.h"

namespace {

// Sleeping costs no time, and each sleep is counted.
class Waits : public InputTest {
 protected:
  void SetUp() override {
    SetProjectSettings(ProjectSettings{});
    InputTest::SetUp();
    plat::SetTestClock([this] { return now; },
                       [this](double ms) {
                         now += ms;
                         ++sleeps;
                       });
    Start();
  }
  void TearDown() override {
    AudioShutdown();
    plat::SetTestClock(nullptr, nullptr);
    InputTest::TearDown();
  }
  // Runs wait with change applied a few frames in; returns the frames it
  // took. A wait still running after 200 frames fails the test.
  uint64_t FramesUntilReturn(void (*wait)(),
                             std::function<void(plat::ScriptedInputDevices&)> change) {
    const uint64_t start = dev.Frame();
    dev.At(start + 5, std::move(change));
    dev.At(start + 200, [](plat::ScriptedInputDevices&) {
      ADD_FAILURE() << "wait did not return";
      std::_Exit(3);
    });
    wait();
    return dev.Frame() - start;
  }

  double now = 0;
  int sleeps = 0;
  // Starts looping music on a recording mixer whose loop is already due,
  // so any music service the waits run restarts it.
  plat::RecordingSoundMixer* StartDueMusic() {
    auto mixer = std::make_unique<plat::RecordingSoundMixer>(8);
    plat::RecordingSoundMixer* recorder = mixer.get();
    AudioStartWith(std::move(mixer));
    PlayMusic(audiotest::WriteFile("waits.mp3", {'I', 'D', '3', 0}).c_str(), 1);
    now += 10000;
    return recorder;
  }
  // Music restarts the waits made (the first start is PlayMusic's).
  static int MusicRestarts(const plat::RecordingSoundMixer& r) {
    return static_cast<int>(r.EventsOf(plat::RecordingSoundMixer::Event::kStartMusic).size()) - 1;
  }
};

TEST_F(Waits, AnyInputWaitReturnsOnEachKindOfInput) {
  using S = plat::ScriptedInputDevices;
  const std::pair<const char*, std::function<void(S&)>> kinds[] = {
      {"key", [](S& s) { s.SetKey(42, true); }},
      {"tap", [](S& s) { s.Tap(57); }},
      // Far enough to reach another screen pixel however large the shared
      // engine's window shows the screen.
      {"move", [](S& s) { s.SetMouse(116, 100); }},
      {"left", [](S& s) { s.SetButton(0, true); }},
      {"right", [](S& s) { s.SetButton(1, true); }},
      {"stick button", [](S& s) { s.SetJoyButton(0, 7, true); }},
      {"stick axis", [](S& s) { s.SetJoyAxis(0, 2, 4000); }},
      {"hat", [](S& s) { s.SetJoyHat(0, 0); }},
  };
  plat::RecordingSoundMixer* music = StartDueMusic();
  for (const auto& [name, change] : kinds) {
    InputShutdown();
    dev = plat::ScriptedInputDevices();
    dev.SetMouse(100, 100);
    dev.AddJoystick("Pad");
    dev.SetJoyAxis(0, 0, 3000);  // inside the 0.1 dead band
    Start();
    sleeps = 0;
    EXPECT_EQ(FramesUntilReturn(WaitAnyInput, change), 5u) << name;
    EXPECT_EQ(sleeps, 4) << name;
  }
  EXPECT_GT(MusicRestarts(*music), 0);
}

TEST_F(Waits, WaitKeyIgnoresAKeyHeldFromBeforeAndReturnsOnANewCharacter) {
  dev.SetKey(30, true);
  const uint64_t start = dev.Frame();
  dev.At(start + 10, [](plat::ScriptedInputDevices& s) { s.SetKey(30, false); });
  dev.At(start + 20, [](plat::ScriptedInputDevices& s) { s.SetKey(48, true); });
  WaitKey();
  EXPECT_GE(dev.Frame(), start + 20);
  EXPECT_LT(dev.Frame(), start + 30);
}

TEST_F(Waits, WaitMouseWaitsForPressAndRelease) {
  const uint64_t start = dev.Frame();
  dev.At(start + 5, [](plat::ScriptedInputDevices& s) { s.SetButton(0, true); });
  dev.At(start + 15, [](plat::ScriptedInputDevices& s) { s.SetButton(0, false); });
  WaitMouse();
  EXPECT_GE(dev.Frame(), start + 15);
  EXPECT_LT(dev.Frame(), start + 20);
}

TEST_F(Waits, ClosingTheWindowOrEscapeEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        dev.At(dev.Frame() + 3, [](plat::ScriptedInputDevices&) {
          plat::WindowEvent close;
          close.kind = plat::WindowEvent::kCloseRequested;
          plat::PostEvent(close);
        });
        WaitKey();
        std::_Exit(42);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        dev.At(dev.Frame() + 3, [](plat::ScriptedInputDevices& s) { s.SetKey(1, true); });
        WaitMouse();
        std::_Exit(42);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
