#include "Paths.h"

#include <algorithm>

char NativeSeparator() { return '/'; }

std::string NativePath(const std::string &strPath)
{
    std::string native = strPath;
    std::replace(native.begin(), native.end(), '\\', NativeSeparator());
    return native;
}

std::string WithTrailingSeparator(const std::string &strFolder)
{
    if (strFolder.empty() || strFolder.back() == NativeSeparator())
        return strFolder;
    return strFolder + NativeSeparator();
}

bool ReachesBelow(const std::string &) { return true; }
