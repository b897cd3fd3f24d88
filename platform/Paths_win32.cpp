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

bool ReachesBelow(const std::string &strFolder)
{
    const size_t end = strFolder.find_last_not_of("\\/");
    if (end == std::string::npos)
        return true;
    const size_t separator = strFolder.find_last_of("\\/:", end);
    const size_t start = separator == std::string::npos ? 0 : separator + 1;
    const std::string last = strFolder.substr(start, end + 1 - start);
    return last.empty() || last == "." || last == ".." || (last.back() != ' ' && last.back() != '.');
}
