#include "runtime/frame/standard_options.h"

#include <cstdlib>
#include <sstream>

#include "runtime/core/command_values.h"
#include "runtime/core/runtime_error.h"
#include "runtime/frame/deterministic_run.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/program_end.h"
#include "runtime/frame/video_recording.h"
#include "runtime/platform/video_writer.h"

namespace {

// EngineStart changes to the program's folder; the user meant the folder
// the program was started in.
std::string FromStartFolder(const std::string& name) {
  return UserPath(name);
}

// The whole word is the number: "12abc" or " 12" is refused, not read as 12.
bool PositiveCount(const std::string& word, long& value) {
  long long v = 0;
  if (!ParseWholeInteger(word, 1, 2147483647, &v)) return false;
  value = static_cast<long>(v);
  return true;
}

bool FrameNumber(const std::string& word, long& value) {
  if (word == "0") {
    value = 0;
    return true;
  }
  return PositiveCount(word, value);
}

}  // namespace

bool TakeStandardOptions(std::string& commandLine, StandardOptions& options, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::vector<std::string> words;
  {
    std::istringstream in(commandLine);
    std::string word;
    while (in >> word) words.push_back(word);
  }
  StandardOptions taken = options;
  std::string rest;
  bool scaleGiven = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    const bool hasValue = i + 1 < words.size();
    if (w == "--unpaced") {
      taken.unpaced = true;
    } else if (w == "--replay" || w == "--record-input") {
      if (!hasValue) return fail(w + " needs a file name");
      (w == "--replay" ? taken.replay : taken.recordInput) = FromStartFolder(words[++i]);
    } else if (w == "--record") {
      if (!hasValue) return fail("--record needs a video file name");
      taken.record = FromStartFolder(words[++i]);
    } else if (w == "--record-scale") {
      long scale = 0;
      if (!hasValue || !PositiveCount(words[i + 1], scale) || scale > plat::kMaxVideoScale) {
        return fail("--record-scale needs a whole number from 1 to " +
                    std::to_string(plat::kMaxVideoScale));
      }
      taken.recordScale = static_cast<int>(scale);
      scaleGiven = true;
      ++i;
    } else if (w == "--frames") {
      if (!hasValue || !PositiveCount(words[i + 1], taken.frames)) {
        return fail("--frames needs a positive count");
      }
      ++i;
    } else if (w == "--shot") {
      long frame = 0;
      if (i + 2 >= words.size() || !FrameNumber(words[i + 1], frame)) {
        return fail("--shot needs a frame number (0 or more) and a file name");
      }
      taken.shots.emplace_back(frame, FromStartFolder(words[i + 2]));
      i += 2;
    } else {
      if (!rest.empty()) rest += ' ';
      rest += w;
    }
  }
  if (!taken.recordInput.empty() && taken.Deterministic()) {
    return fail(
        "--record-input records a person playing; it does not go with --replay, --unpaced, "
        "--frames, --shot or --record");
  }
  if (scaleGiven && taken.record.empty()) return fail("--record-scale goes with --record");
  options = std::move(taken);
  commandLine = rest;
  return true;
}

bool StartStandardOptions(const StandardOptions& options, std::string* error) {
  // The recording starts with the engine, so its frame 0 is the program's
  // first frame, as a replay's is.
  if (!options.recordInput.empty() && !StartInputRecording(options.recordInput, error)) {
    return false;
  }
  // The video file first: a name that cannot be written must stop the
  // program before anything runs.
  if (!options.record.empty() && !StartVideoRecording(options.record, options.recordScale, error)) {
    return false;
  }
  if (options.Deterministic()) {
    DeterministicRunOptions run;
    run.paced = !options.unpaced;
    // A replay at its real pace is one someone watches: heard, and ended
    // from the keyboard like any program.
    run.watched = run.paced && !options.replay.empty();
    run.replayFile = options.replay;
    if (!StartDeterministicRun(run, error)) {
      AbandonVideoRecording();
      return false;
    }
    SetDeterministicFrameLimit(options.frames);
    for (const auto& [frame, file] : options.shots) AddDeterministicScreenshot(frame, file);
  }
  return true;
}

std::string UseStandardOptions(const char* commandLine, const char* programName) {
  std::string line = commandLine ? commandLine : "";
  StandardOptions options;
  std::string error;
  const std::string name = programName && *programName ? programName : "program";
  if (!TakeStandardOptions(line, options, &error)) {
    StdErr(RtString((name + ": " + error + "\n").c_str()));
    FatalRuntimeError(kErrInvalidArgument);
  }
  if (!StartStandardOptions(options, &error)) {
    StdErr(RtString((name + ": " + error + "\n").c_str()));
    FatalRuntimeError(kErrFileIo);
  }
  return line;
}
