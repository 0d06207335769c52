// The system's file-open and file-save dialogs.
#pragma once

#include "runtime/core/rt_string.h"

// Shows the open dialog (open non-zero) or the save dialog and returns the
// chosen path, or "NO_FILE" when none was chosen, the dialog failed or no
// dialog program (zenity, kdialog) is installed. filter lists description
// and pattern pairs separated by '|', patterns separated by ';', as in
// "Images|*.png;*.bmp|All|*.*". The game window is hidden while the dialog
// is up and comes back as it was. Only the first line of the dialog's
// answer is the path; a first line longer than 32 KiB is no choice.
RtString FileRequester(int open, const RtString& filter);
