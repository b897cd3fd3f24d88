// Where the running program lives: the settings file and the result library
// are looked for beside it.
#pragma once

#include <string>

// The folder of the running program's executable, without a trailing
// separator.  Empty when the system cannot tell (no /proc, for instance).
std::string ExecutableFolder();
