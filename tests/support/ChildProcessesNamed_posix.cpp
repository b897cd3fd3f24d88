#include "ChildProcessesNamed.h"

#include <filesystem>
#include <system_error>

#include "ChildProcess.h"

std::vector<int> ChildProcessesNamed(int iParentId, const std::string &strName)
{
    std::vector<int> children;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string id = entry.path().filename().string();
        if (id.find_first_not_of("0123456789") != std::string::npos)
            continue;
        ProcessStatus status;
        if (ReadProcessStatus(std::stoi(id), status) && status.iParentId == iParentId && status.strName == strName &&
            status.cState != 'Z' && status.cState != 'X')
            children.push_back(std::stoi(id));
    }
    return children;
}
