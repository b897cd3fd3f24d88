// The per-user folders the system sets aside for a program's files.
#pragma once

#include <string>

// The user's configuration folder, without a trailing separator: on Linux
// $XDG_CONFIG_HOME when it holds an absolute path, else .config in the home
// folder ($HOME, or the account's home when HOME is unset); on Windows the
// roaming application data folder (%APPDATA%).  Empty when there is no such
// folder to name.
std::string UserConfigFolder();

// The name of a program's own folder in UserConfigFolder, from the name
// its users know it by ("Gombrel"): lower-case on Linux, as the folders
// there are named after the commands; as it is on Windows.
std::string ProgramConfigFolderName(const std::string &strProgram);

// Where UserConfigFolder looks, as a user is told it, with strName (a path
// below that folder, its parts separated by '/') appended in the system's
// form.
std::string UserConfigPlace(const std::string &strName);
