// The input subsystem's part in start-up, the frame step, screen-mode
// switches and shutdown.
#pragma once

#include "runtime/render/window_change.h"

// Opens the devices (the first 10 joysticks) and resets the record.
void InputStart();
// Attaches the (possibly new) window and puts the mouse mode in force; run
// after start-up and after every screen-mode switch. The first call places
// the cursor: shown at the stored position, or held in relative mode when
// the exclusive mouse is asked for.
void InputWindowChanged(const WindowChange& change);
// Samples the keyboard and opens a new mouse frame; once per frame.
void InputFrame();
// Another backend was installed after start-up (a deterministic run's
// scripted devices, or the system's again at its end): the joysticks are
// counted and the press and motion totals taken from it, as start-up does,
// so a run installed after start-up reads as one installed before.
void InputBackendChanged();
// The key pressed is the runtime's (Return of the Alt+Enter mode switch):
// the program does not see it, held or tapped, until it has been released.
void InputWithholdKey(int code);
// Escape (or key 129) while escape-quits is set, or left Alt with F4.
bool QuitKeysHeld();
// Shows the cursor at the stored position and releases the devices.
void InputShutdown();
