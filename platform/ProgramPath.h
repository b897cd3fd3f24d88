// Where the running program lives: the settings file and the result library
// are looked for beside it, and an installed program's own libraries below
// the folder next to it.
#pragma once

#include <string>

// The full path of the running program's executable; empty when the system
// cannot tell.
std::string ExecutablePath();

// The folder of the running program's executable, without a trailing
// separator.  Empty when the system cannot tell (no /proc, for instance).
std::string ExecutableFolder();

// The folder of an installed program's own libraries (the result library,
// the Calc module), without a trailing separator: lib/gombrel under the
// installation's root, found from the program's folder so that any
// installation prefix works.  Empty when the program's folder is unknown.
std::string InstalledLibraryFolder();
