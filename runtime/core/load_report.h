// Failed loads of sound, image and other data files. Each one leaves a line
// in the error log naming the command, the file and the reason, so that a
// program that draws or plays nothing has something to show for it; in
// debug mode the line also goes to standard error, where the person running
// the program sees it at once.
#pragma once

#include <string>

// Writes `COMMAND: cannot load "FILE": REASON`. Control characters in the
// name become '?' so that no name can end the line early.
void ReportLoadFailure(const char* command, const char* file, const std::string& reason);
// Start-up turns this on in debug mode.
void SetLoadFailuresToStandardError(bool on);
// The line ReportLoadFailure writes.
std::string LoadFailureLine(const char* command, const char* file, const std::string& reason);
