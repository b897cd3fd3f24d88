#include "SampleWorkbooks.h"

#include "NoSpreadsheet.h"

const bool kSampleWorkbooksBuilt = false;

bool WriteSampleWorkbooks(const std::string &, std::string &strFailure, bool)
{
    strFailure = std::string(kNoSpreadsheetBuilt) + " No workbooks were written.";
    return false;
}
