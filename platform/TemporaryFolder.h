// Fresh folders for a program's scratch files, made where the system keeps
// temporary files.
#pragma once

#include <string>

// Makes a new, empty folder named strStem followed by a unique suffix in the
// system's temporary folder and returns its path (without a trailing
// separator); "" with the system's reason in strFailure when none can be made.
std::string MakeTemporaryFolder(const std::string &strStem, std::string &strFailure);
