// A shared library loaded at run time and the entries found in it by name.
#pragma once

#include <string>

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary &) = delete;
    DynamicLibrary &operator=(const DynamicLibrary &) = delete;

    // Loads the library file at strPath (a path with a folder: a bare name
    // would send the system searching its own folders).  On failure
    // strFailure holds the system's reason.
    bool Open(const std::string &strPath, std::string &strFailure);

    // The address of the entry pszName, or null with the reason in
    // strFailure.
    void *Entry(const char *pszName, std::string &strFailure) const;

private:
    void *m_pHandle = nullptr;
};

// The file name the platform gives the shared library of that stem
// ("d2result" gives libd2result.so here, d2result.dll on Windows).
std::string SharedLibraryFileName(const std::string &strStem);

// The system's reason for a library that could not be loaded without the
// "path: " it may start with, for a text that names the path itself.
std::string ReasonWithoutPath(const std::string &strPath, const std::string &strReason);

// "path (reason)" for a library that could not be used, naming the path
// once whether or not the system's reason starts with it: what a failure
// text lists for each place a library was looked for.
std::string LibraryFailureAt(const std::string &strPath, const std::string &strReason);
