// The four Standard 140 results workbooks of a sample results folder: empty
// Excel 97 workbooks, written through the spreadsheet application of this
// build (a build without one writes none).
#pragma once

#include <string>

// False in a build without a spreadsheet application, which writes a
// sample's result stores only.
extern const bool kSampleWorkbooksBuilt;

// Writes the four workbooks into strFolder (created when missing) through a
// private LibreOffice Calc session, with bLarge those of LargeSampleWorkbookPlan;
// false with strFailure set when Calc is not available (or not built) or a
// workbook cannot be written.
bool WriteSampleWorkbooks(const std::string &strFolder, std::string &strFailure, bool bLarge = false);
