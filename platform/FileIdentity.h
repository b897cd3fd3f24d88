// Telling whether a file on disk is still the one seen before: a results
// folder may be simulated again while a program keeps a store open.
#pragma once

#include <cstdint>
#include <string>

struct FileIdentity {
    uint64_t uDevice = 0;
    uint64_t uFile = 0;        // inode or file index
    int64_t iSize = 0;
    int64_t iModifiedSeconds = 0;
    int64_t iModifiedNanoseconds = 0;

    bool operator==(const FileIdentity &other) const;
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }
};

// Fills identity for the regular file at strPath.  False when there is no
// such file or it is something else (a folder, a pipe, a device): callers
// must not open those as data files, a pipe would block them.
bool ReadFileIdentity(const std::string &strPath, FileIdentity &identity);

// Fills identity's device and file number (inode, or volume serial number
// and file index) for the folder at strPath; its size and times stay 0.
// Every path that reaches the same folder gives the same identity, however
// it is spelt: a trailing separator, "." and ".." steps, symbolic links, and
// on Windows letter case and short (8.3) names.  False when there is no
// such folder.
bool ReadFolderIdentity(const std::string &strPath, FileIdentity &identity);

// Whether a file kept open stops other programs from replacing or deleting
// it (Windows: SQLite, like most programs, opens files without sharing
// deletion).  A reader that must not get in their way then holds such a file
// only while it reads.
bool OpenFilesPinTheirNames();
