// The spreadsheet application this build drives, for both front ends:
// Excel on Windows, elsewhere LibreOffice Calc, or none in a build made
// without it.
#pragma once

#include <memory>

#include "SpreadsheetSession.h"

std::unique_ptr<SpreadsheetLauncher> MakeSpreadsheetLauncher();
