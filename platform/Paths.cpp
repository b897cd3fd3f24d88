#include "Paths.h"

std::string PathBelow(const std::string &strFolder, const std::string &strRelative)
{
    return NativePath(strFolder + strRelative);
}
