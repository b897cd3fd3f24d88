// gombrel-cli verify: whether the workbooks hold what a posting round would
// write now, read through the spreadsheet application without changing them.
#pragma once

#include <iosfwd>

#include "Commands.h"
#include "SpreadsheetSession.h"
#include "ValuesCommand.h"

// The header line of the output.
extern const char kVerifyHeader[];

// The command with the spreadsheet launcher, binder and retry pause given.
// Opens each workbook read-only and compares every cell a posting round
// writes (numbers by the confirmation rule of a checking round) with the
// value the results give now.  Prints the header, one tab-separated line
// per cell that differs or is empty (workbook, sheet, cell, workbook value,
// expected value) and a count line.  Exit status: 0 when every cell agrees,
// 1 otherwise (also when a workbook or sheet cannot be read, or nothing can
// be compared for want of the result library or a spreadsheet application,
// each said on err), kExitUsage for bad arguments or a folder that does not
// exist.
int RunVerifyCommandWith(const Arguments &args, std::ostream &out, std::ostream &err, SpreadsheetLauncher &launcher,
                         const ResultLibraryOpener &bindLibrary, const RetryPause &retryPause = SleepBeforeRetry);
