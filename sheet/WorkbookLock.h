// The lock file LibreOffice keeps beside a workbook while it has it open:
// ".~lock.<name>#" in the workbook's folder.  Whoever opens the workbook
// after it (Calc itself, or a preflight) tells a workbook in use by it.
#pragma once

#include <string>

// The lock file of the workbook strPath.
std::string LockFilePath(const std::string &strPath);
