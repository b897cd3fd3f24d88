#include "DynamicLibrary.h"

std::string ReasonWithoutPath(const std::string &strPath, const std::string &strReason)
{
    const std::string prefix = strPath + ": ";
    return strReason.compare(0, prefix.size(), prefix) == 0 ? strReason.substr(prefix.size()) : strReason;
}

std::string LibraryFailureAt(const std::string &strPath, const std::string &strReason)
{
    return strPath + " (" + ReasonWithoutPath(strPath, strReason) + ")";
}
