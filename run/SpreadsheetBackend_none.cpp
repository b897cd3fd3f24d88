#include "SpreadsheetBackend.h"

#include "NoSpreadsheet.h"

std::unique_ptr<SpreadsheetLauncher> MakeSpreadsheetLauncher() { return std::make_unique<NoSpreadsheetLauncher>(); }
