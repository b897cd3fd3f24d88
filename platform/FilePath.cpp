#include "FilePath.h"

// u8path and u8string convert between UTF-8 and the system's own form of
// names: wide characters on Windows, the bytes as they are elsewhere.
std::filesystem::path FilePath(const std::string &strUtf8) { return std::filesystem::u8path(strUtf8); }

std::string PathText(const std::filesystem::path &path) { return path.u8string(); }
