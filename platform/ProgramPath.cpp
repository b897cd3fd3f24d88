#include "ProgramPath.h"

#include "FilePath.h"
#include "Paths.h"

std::string InstalledLibraryFolder()
{
    const std::string folder = ExecutableFolder();
    if (folder.empty())
        return std::string();
    // The place the install rules give the libraries, relative to the one
    // they give the programs (set by the build).
    std::string path = PathText((FilePath(folder) / GOMBREL_LIBRARY_FOLDER_FROM_PROGRAM).lexically_normal());
    while (path.size() > 1 && path.back() == NativeSeparator())
        path.pop_back();
    return path;
}
