#include "FileIdentity.h"

#include <sys/stat.h>

bool ReadFileIdentity(const std::string &strPath, FileIdentity &identity)
{
    struct stat status;
    if (stat(strPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    identity.uDevice = static_cast<uint64_t>(status.st_dev);
    identity.uFile = static_cast<uint64_t>(status.st_ino);
    identity.iSize = static_cast<int64_t>(status.st_size);
    identity.iModifiedSeconds = static_cast<int64_t>(status.st_mtim.tv_sec);
    identity.iModifiedNanoseconds = static_cast<int64_t>(status.st_mtim.tv_nsec);
    return true;
}

bool ReadFolderIdentity(const std::string &strPath, FileIdentity &identity)
{
    struct stat status;
    if (stat(strPath.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    identity = FileIdentity();
    identity.uDevice = static_cast<uint64_t>(status.st_dev);
    identity.uFile = static_cast<uint64_t>(status.st_ino);
    return true;
}

// An open file's name can be replaced or unlinked at any time.
bool OpenFilesPinTheirNames() { return false; }
