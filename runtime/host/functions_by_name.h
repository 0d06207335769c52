// Calling functions by name: functions of other shared libraries, looked up
// by library and symbol name, and the program's own functions, looked up in
// the table the compiled program registers.
#pragma once

#include "runtime/core/rt_string.h"

// A function of the program that CallByName can call.
using CallableFunction = void (*)();

// One entry of the program's table of callable functions; the table ends
// with an entry whose name is null.
struct CallableEntry {
  CallableFunction function;  // The function.
  const char* name;           // Its name, matched exactly.
};

// Installs the program's table (null: no callable functions). The table must
// outlive every call by name.
void SetCallableFunctionTable(const CallableEntry* table);

// Looks function up in the shared library module and stores its address in
// out (null when the library or the function is missing). module is turned
// into lower case, in the caller's variable too; it names the library in the
// cache, so each library is loaded once for the life of the process. The
// library file is looked for under the caller's spelling first, then the
// lower-case one, and a name without a suffix also as "lib<name>.so".
void DeclareFunction(RtString& module, const RtString& function, void*& out);

// Calls the program's function registered under exactly this name: 1 when it
// was found and called, 0 otherwise.
double CallByName(const RtString& name);
// The program's function registered under exactly this name, or null.
CallableFunction FindFunctionByName(const RtString& name);
