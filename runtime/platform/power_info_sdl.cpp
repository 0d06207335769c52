#include "runtime/platform/power_info.h"

#include <SDL.h>

namespace plat {

int BatteryPercent() {
  int percent = -1;
  SDL_GetPowerInfo(nullptr, &percent);
  return percent >= 0 && percent <= 100 ? percent : -1;
}

}  // namespace plat
