// What a Calc session leaves beside the workbooks it had open: the lock
// files that would keep another session (or a person) out of them.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// The names of Calc's lock files in strFolder.
inline std::vector<std::string> LockFilesIn(const std::string &strFolder)
{
    std::vector<std::string> locks;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(strFolder, error))
        if (entry.path().filename().string().rfind(".~lock.", 0) == 0)
            locks.push_back(entry.path().filename().string());
    return locks;
}
