#include "SpreadsheetBackend.h"

#include "CalcWorkbooks.h"

std::unique_ptr<SpreadsheetLauncher> MakeSpreadsheetLauncher() { return std::make_unique<CalcLauncher>(); }
