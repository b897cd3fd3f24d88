#include "CallingConvention.h"

std::vector<std::string> ExportedEntryNames(const std::string &strName, size_t) { return {strName}; }
