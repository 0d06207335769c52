// Translation from the platform's key identifiers to the PC scan-code
// numbering (0-255) the runtime's key commands use.
#pragma once

namespace plat {

// Returns the scan code for an SDL scancode, or 0 when the key has none.
int ScanCodeFromSdl(int sdlScancode);

}  // namespace plat
