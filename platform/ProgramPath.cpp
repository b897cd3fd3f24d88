#include "ProgramPath.h"

#include "Paths.h"

#include <filesystem>

std::string InstalledLibraryFolder()
{
    const std::string folder = ExecutableFolder();
    if (folder.empty())
        return std::string();
    // The place the install rules give the libraries, relative to the one
    // they give the programs (set by the build).
    std::string path = (std::filesystem::path(folder) / GOMBREL_LIBRARY_FOLDER_FROM_PROGRAM).lexically_normal().string();
    while (path.size() > 1 && path.back() == NativeSeparator())
        path.pop_back();
    return path;
}
