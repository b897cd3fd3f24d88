// The per-user folders the system sets aside for a program's files.
#pragma once

#include <string>

// The user's configuration folder, without a trailing separator: on this
// system $XDG_CONFIG_HOME when it holds an absolute path, else .config in
// the home folder ($HOME, or the account's home when HOME is unset).  Empty
// when there is no such folder to name, or the platform keeps settings
// beside the program instead.
std::string UserConfigFolder();

// Where UserConfigFolder looks, as a user is told it, with strName (a path
// below that folder) appended; empty where the platform keeps settings
// beside the program.
std::string UserConfigPlace(const std::string &strName);
