// The options every program of the runtime understands, so that any program
// can be replayed, run without a display and photographed by a script:
//
//   --replay FILE        keys (and mouse, sticks) from a replay file in the
//                        input layer's format ("input-replay 1")
//   --unpaced            no frame wait: frames as fast as the machine allows
//   --frames N           ends the program (End) after N frames
//   --shot FRAME FILE    writes the screen just before frame FRAME is shown
//                        (PNG or BMP by the name's ending); repeatable
//   --record-input FILE  writes what the keyboard, mouse and sticks did as a
//                        replay file that --replay plays back
//   --record FILE        writes a video of the run: every frame shown, at 60
//                        a second, with the sound the program played (.mp4
//                        or .mkv: H.264 and AAC; .webm: VP9 and Opus)
//   --record-scale N     the video's pictures are the screen scaled N times
//                        (1..8, nearest neighbour; 2 without the option)
//
// Any of the first four, or --record, makes the run a deterministic run (see
// deterministic_run.h): a virtual clock that advances one frame time per
// frame, keys from the replay only, sounds that end after their length on
// that clock. A replay without --unpaced is watched: the sound device opens
// so it is heard, and Escape or Alt+F4 on the real keyboard end it; other
// deterministic runs open no sound device. Frame numbers count the
// frames ended after EngineStart; frame 0 is the program's first frame.
// Relative file names are taken from the folder the program was started in
// (EngineStart later changes to the program's own folder).
#pragma once

#include <string>
#include <utility>
#include <vector>

// The standard options a command line asked for.
struct StandardOptions {
  // --replay FILE: the keys come from this replay file.
  std::string replay;
  // --record-input FILE: what a person presses is written to this file.
  std::string recordInput;
  // --unpaced: frames run as fast as they are drawn, not at 60 a second.
  bool unpaced = false;
  // --frames N: the program ends after frame N (0: no limit).
  long frames = 0;
  // --shot FRAME FILE: a screenshot of that frame into that PNG file.
  std::vector<std::pair<long, std::string>> shots;
  // --record FILE: a video of the run into this file.
  std::string record;
  // --record-scale N: the video's size in screen sizes.
  int recordScale = 2;

  // Whether the options ask for a deterministic run.
  bool Deterministic() const {
    return !replay.empty() || unpaced || frames > 0 || !shots.empty() || !record.empty();
  }
};

// Removes the standard options from commandLine (words separated by blanks)
// and fills options; the program's own words stay in commandLine, in order.
// False with the reason in error, and commandLine unchanged, for a standard
// option without its value, a count that is not a positive number, a video
// scale outside 1..8 or without --record, or --record-input together with
// an option of the deterministic run (a recording is of a person playing).
bool TakeStandardOptions(std::string& commandLine, StandardOptions& options, std::string* error);

// Puts the options into effect. Call before EngineStart: the deterministic
// run starts then (before the sound device would open), and the input recording
// begins with the program's first frame. False with the reason in error
// (nothing started, no file left behind) for a replay that cannot be read,
// a recording or video file that cannot be written, or a video format the
// system cannot encode. The video gets its name when the program ends.
bool StartStandardOptions(const StandardOptions& options, std::string* error);

// Both in one call, for a program that wants the standard options and has
// none of its own to mix in: takes and starts them, and returns the rest of
// the command line. On a bad option it writes "PROGRAM: reason" to standard
// error and ends the program with kErrInvalidArgument (kErrFileIo for a
// file it cannot read or write). Call before EngineStart.
std::string UseStandardOptions(const char* commandLine, const char* programName);
