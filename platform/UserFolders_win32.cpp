#include "UserFolders.h"

// On Windows the settings stay beside the program, a folder copied as it is
// carries them along; there is no per-user folder to fall back to.
std::string UserConfigFolder() { return std::string(); }

std::string UserConfigPlace(const std::string &) { return std::string(); }
