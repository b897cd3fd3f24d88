#include "FilePath.h"

// File names are bytes here; UTF-8 passes as it is.
std::FILE *OpenFile(const std::string &strUtf8, const char *pszMode) { return std::fopen(strUtf8.c_str(), pszMode); }
