// Binding the result library's three entries by name at run time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ResultLibrary.h"

// Binds the three entries of the library in the DOE-2 files folder; only
// when that folder holds none, of the one beside the program, and only when
// neither is there, of the one in the installed library folder.  On failure
// returns null and strFailure names the library file and says why it cannot
// serve (its word size, its format, the loader's reason or the entry it
// lacks), or every place looked when there is none.
std::unique_ptr<ResultLibrary> BindResultLibrary(const std::string &strDoe2Folder, std::string &strFailure);

// The library files BindResultLibrary looks for, in order: the one in the
// DOE-2 files folder (when that folder is given), the one beside the program
// and the one in the installed library folder (InstalledLibraryFolder).
std::vector<std::string> ResultLibraryCandidates(const std::string &strDoe2Folder);

// Binds the first of the candidate files that is there; the later ones are
// not looked at, so that a library which is there but cannot serve is
// reported rather than silently stood in for.  strFailure as above.
std::unique_ptr<ResultLibrary> BindResultLibraryFrom(const std::vector<std::string> &candidates,
                                                     std::string &strFailure);
