#pragma once

// Runs `frames` frames, timing each one as the program sees it, and prints
// interval error, lateness against the ideal schedule, drift, the process's
// CPU share and (when launchedAt, in epoch seconds, is given) the time from
// launch to the first frame.
void RunPacingReport(int frames, double launchedAt);
