#include "runtime/core/load_budget.h"

#include <string>

#include "runtime/core/error_log.h"
#include "runtime/core/runtime_error.h"

namespace budget {

bool Fits(const char* what, const char* name, uint64_t need, uint64_t limit) {
  if (need <= limit) return true;
  SetRuntimeError(kErrInvalidArgument);
  std::string line = "Load refused: ";
  line += what ? what : "file";
  if (name && *name) {
    line += ' ';
    line += name;
  }
  line += " needs " + std::to_string(need) + " bytes, the limit is " + std::to_string(limit);
  AppendErrorLog(line.c_str());
  return false;
}

}  // namespace budget
