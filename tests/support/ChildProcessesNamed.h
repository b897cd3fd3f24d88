// Which programs a process has started: the tests' look at the spreadsheet
// applications a run leaves behind.
#pragma once

#include <string>
#include <vector>

// The ids of the running children of iParentId whose program name (as the
// system shows it, at most 15 characters) is strName; ended children not
// yet reaped are not counted.  Empty when there are none or the system
// cannot tell.
std::vector<int> ChildProcessesNamed(int iParentId, const std::string &strName);
