// Commands that hold the program until the player does something. They run
// the frame's services themselves: while they wait, looping music keeps playing, window messages
// are handled (closing the window ends the program) and Escape ends the program while escape-quits
// is set.
#pragma once

// Returns when a key is held, the mouse moves or a left or right button
// changes, or a joystick is moved, pressed or its hat pushed.
void WaitAnyInput();
// Waits for a key that types a character.
void WaitKey();
// Waits for a mouse button to be pressed and released.
void WaitMouse();
