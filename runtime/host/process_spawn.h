// Starting other programs without a shell, and collecting them when they
// end. Shared by RunProgram and the file dialog.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

// Splits a command line into arguments by the rules programs written for
// Windows expect: blanks separate arguments outside double quotes; quotes
// group and are dropped; 2n backslashes before a quote give n backslashes
// and the quote groups, 2n+1 give n and a literal quote; "" inside a quoted
// part is a literal quote; other backslashes are plain characters. The
// first argument, the program, only knows quotes.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Starts argv[0] (searched on PATH when it holds no '/') with argv, with
// every signal at its default and nothing but standard input, output and
// error inherited. With captureOutput, *outputRead receives the read end of
// a pipe on the child's standard output. -1 when it could not be started.
pid_t StartProcess(const std::vector<std::string>& argv, int* outputRead = nullptr);

// Waits for the child to end: its exit code, or 128 + the signal number
// when a signal ended it; -1 when pid is not a child of ours.
int WaitForExit(pid_t pid);

// Collects the child as soon as it ends, so it never lingers as a zombie,
// without waiting here and without touching any other child. One thread
// collects all such children, however many run at once.
void CollectWhenEnded(pid_t pid);

// Where an executable of that name would be found on PATH; empty when none.
std::string FindOnPath(const std::string& name);
