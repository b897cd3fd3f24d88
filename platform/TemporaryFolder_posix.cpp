#include "TemporaryFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <vector>

std::string MakeTemporaryFolder(const std::string &strStem, std::string &strFailure)
{
    const std::string pattern = "/tmp/" + strStem + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        strFailure = pattern + ": " + std::strerror(errno);
        return std::string();
    }
    return buffer.data();
}
