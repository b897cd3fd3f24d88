#include "DynamicLibrary.h"

std::string LibraryFailureAt(const std::string &strPath, const std::string &strReason)
{
    const std::string prefix = strPath + ": ";
    const bool bNamed = strReason.compare(0, prefix.size(), prefix) == 0;
    return strPath + " (" + (bNamed ? strReason.substr(prefix.size()) : strReason) + ")";
}
