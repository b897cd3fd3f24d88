#include "Paths.h"

char NativeSeparator() { return '\\'; }

// Backslashes are already the native separator; forward slashes a user
// typed are left alone, Windows takes both.
std::string NativePath(const std::string &strPath) { return strPath; }

std::string WithTrailingSeparator(const std::string &strFolder)
{
    if (strFolder.empty() || strFolder.back() == '\\' || strFolder.back() == '/')
        return strFolder;
    return strFolder + NativeSeparator();
}
