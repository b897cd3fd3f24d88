// Binding the result library's three entries by name at run time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ResultLibrary.h"

// Binds the three entries, looking in the DOE-2 files folder first, then
// beside the program, then in the installed library folder. On failure
// returns null and strFailure names the library file, every place tried and
// the reason at each.
std::unique_ptr<ResultLibrary> BindResultLibrary(const std::string &strDoe2Folder, std::string &strFailure);

// The library files BindResultLibrary tries, in order: the one in the DOE-2
// files folder (when that folder is given), the one beside the program and
// the one in the installed library folder (InstalledLibraryFolder).
std::vector<std::string> ResultLibraryCandidates(const std::string &strDoe2Folder);

// Binds the first of the candidate files that loads and has all three
// entries; strFailure gives each candidate's path and reason when none does.
std::unique_ptr<ResultLibrary> BindResultLibraryFrom(const std::vector<std::string> &candidates,
                                                     std::string &strFailure);
