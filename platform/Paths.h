// Path texts on this platform.  The program's own path texts (table
// projects, workbook names, the posting log) are written with backslashes;
// they reach the file system only through NativePath.
#pragma once

#include <string>

// The platform's directory separator.
char NativeSeparator();

// strPath with every backslash turned into the native separator.
std::string NativePath(const std::string &strPath);

// strRelative (written with backslashes, beginning with one) below
// strFolder, the whole text in the platform's form.  Every store, workbook
// and log path is made from the results folder this way, so that each
// lies in the folder that was checked, whatever separators the user typed.
std::string PathBelow(const std::string &strFolder, const std::string &strRelative);

// strFolder ending in the native separator (added only when missing; an
// empty text stays empty).
std::string WithTrailingSeparator(const std::string &strFolder);

// Whether names made below strFolder (PathBelow) reach the folder the system
// finds under that name.  Windows drops blanks and dots that end the last
// part of a name ("C:\runs " opens C:\runs) but not those of a part further
// up ("C:\runs \x" is not found), so such a folder name is no folder to run
// in; elsewhere every name is taken as written.
bool ReachesBelow(const std::string &strFolder);
