#include "SpreadsheetBackend.h"

#include "ExcelLauncher.h"

std::unique_ptr<SpreadsheetLauncher> MakeSpreadsheetLauncher() { return std::make_unique<ExcelLauncher>(); }
