// The error log: start-up progress and diagnostics, one CR LF line each, in
// the system's temporary directory.
#pragma once

#include <string>

// Appends one line (CR LF ended) to the error log; a null text writes "NULL".
void AppendErrorLog(const char* text);
// The system's temporary directory followed directly by "ErrorLog.txt".
std::string ErrorLogPath();
