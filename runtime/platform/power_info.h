// The system's power status.
#pragma once

namespace plat {

// Remaining battery charge in percent (0..100), or -1 when the system does
// not know it or runs without a battery.
int BatteryPercent();

}  // namespace plat
