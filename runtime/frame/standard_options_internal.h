// What start-up calls for the standard options.
#pragma once

// The end of EngineStart: a requested input recording begins here, so its
// frame 0 is the program's first frame, as a replay's is.
void FinishInputRecordingStart();
