// Engine start-up and the program's entry point.
#pragma once

// Brings every service up in its fixed order, opens the window and shows a
// "Loading..." frame. Returns early, with no window, when the window or its
// GL context cannot be made; the program must then end (see MainWindowHandle).
void EngineStart(void* instance, void* previousInstance, const char* commandLine, int showCommand,
                 const char* title);

// On a software OpenGL renderer, start-up writes a warning to the error log
// and, for a person at a desktop, shows it in a box before the program's
// first frame. 0 keeps the box away (as does the environment variable
// BRAKMOR_NO_SOFTWARE_BOX=1); scripted and headless runs never show it.
void SetSoftwareRendererBox(int flag);

// Defined by every program of the runtime: the process entry calls it with
// the command line (program arguments joined by blanks). It fills the
// settings, calls EngineStart and runs the program; it ends through End or
// ExitProgram.
void ProgramStart(void* instance, void* previousInstance, const char* commandLine, int showCommand);
