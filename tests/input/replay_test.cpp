#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "input_fixture.h"
#include "runtime/platform/test_backend.h"

namespace {

// A fixed run of commands whose answers are compared between a recording
// and its replay.
std::string RunSession(plat::InputDevices& devices) {
  plat::InstallInputDevices(&devices);
  InputStart();
  InputWindowChanged({nullptr, false});
  std::ostringstream out;
  for (int f = 0; f < 12; ++f) {
    InputFrame();
    if (f == 6) ShowMouse(0);
    out << KeyDown(30) << KeyDown(44) << TypedChar().c_str() << '|' << MouseReading(0) << ','
        << MouseReading(1) << ',' << MouseReading(2) << ',' << MouseReading(3) << '|' << JoyX(0)
        << ',' << JoyHatY(0) << ',' << JoyButton(0, 3) << '|' << JoyName(0).c_str() << '\n';
  }
  InputShutdown();
  return out.str();
}

TEST(Replay, ARecordedSessionReplaysIdentically) {
  plat::ScriptedInputDevices live;
  live.AddJoystick("Pad, Maker");
  live.SetMouse(50, 60);
  live.At(2, [](plat::ScriptedInputDevices& s) {
    s.SetKey(30, true);
    s.SetKeyText(30, 'A');
    s.SetMouse(70, 65);
    s.TurnWheel(-2);
  });
  // Mid-frame: the second poll of frame 3 sees a tap and a stick.
  live.At(3, 1, [](plat::ScriptedInputDevices& s) {
    s.Tap(44);
    s.SetJoyAxis(0, 0, -20000);
    s.SetJoyHat(0, 0);
    s.SetJoyButton(0, 3, true);
  });
  live.At(5, [](plat::ScriptedInputDevices& s) {
    s.ReleaseAllKeys();
    s.SetButton(0, true);
    s.SetFocus(false);
  });
  live.At(8, [](plat::ScriptedInputDevices& s) {
    s.SetFocus(true);
    s.SetMouse(230, 190);
  });
  const std::string path = testing::TempDir() + "input_replay_" + std::to_string(getpid());
  std::string recorded;
  {
    plat::RecordingInputDevices recorder(live, path);
    ASSERT_TRUE(recorder.ok());
    recorded = RunSession(recorder);
  }
  plat::ScriptedInputDevices replay;
  std::string error;
  ASSERT_TRUE(replay.LoadReplay(path, &error)) << error;
  const std::string replayed = RunSession(replay);
  plat::InstallInputDevices(nullptr);
  EXPECT_EQ(replayed, recorded);
  EXPECT_TRUE(replay.Finished());
  // The session saw the inputs at all (not two empty runs).
  EXPECT_NE(recorded.find("10A|"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find("|-0.61"), std::string::npos) << recorded;
  std::remove(path.c_str());
}

TEST(Replay, HandWrittenScriptsAndMalformedFiles) {
  plat::ScriptedInputDevices s;
  std::string error;
  ASSERT_TRUE(s.LoadReplayText(
      "input-replay 1\n# comment\njoystick Pad\n\n2 keys=30,42 mouse=5,6\n2.1 tap=57,57\n"
      "3 keys=- joy0=0,0,0,0,0,0,9000,5 buttons=3 wheel=-4 motion=1,2 text=2:33 layout=30:97\n",
      &error))
      << error;
  EXPECT_EQ(s.State().joystickNames.size(), 1u);
  s.BeginFrame();
  s.BeginFrame();
  EXPECT_EQ(s.Poll().keys[42], 0x80);
  EXPECT_EQ(s.State().mouseX, 5);
  EXPECT_EQ(s.Poll().presses[57], 2u);
  s.BeginFrame();
  const plat::InputSnapshot& st = s.Poll();
  EXPECT_EQ(st.keys[30], 0);
  EXPECT_EQ(st.joysticks[0].hat, 9000u);
  EXPECT_EQ(st.joysticks[0].buttons[2], 0x80);
  EXPECT_EQ(st.buttons, 3);
  EXPECT_EQ(st.wheel, -4);
  EXPECT_EQ(st.keyText[2], 33);
  EXPECT_TRUE(s.Finished());

  const char* bad[] = {"",
                       "input-replay 2\n",
                       "input-replay 1\n1 keys=300\n",
                       "input-replay 1\n1 frobnicate=1\n",
                       "input-replay 1\n3 focus=0\n2 focus=1\n",
                       "input-replay 1\nx.1 focus=0\n",
                       "input-replay 1\n1 joy0=1,2,3\n"};
  for (const char* text : bad) {
    plat::ScriptedInputDevices t;
    EXPECT_FALSE(t.LoadReplayText(text, &error)) << text;
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(t.Finished());
  }
}

// A replay is read whole: a pipe nobody writes would hold the program
// before its first frame, and /dev/zero was read until memory ran out.
TEST(Replay, OnlyRegularFilesAreReplayed) {
  const std::string fifo = testing::TempDir() + "replay_pipe_" + std::to_string(getpid());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = testing::TempDir();
  for (const std::string& path : {fifo, std::string("/dev/zero"), folder}) {
    plat::ScriptedInputDevices replay;
    std::string error;
    EXPECT_FALSE(replay.LoadReplay(path, &error)) << path;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_TRUE(replay.Finished());
  }
  std::remove(fifo.c_str());
}

}  // namespace
