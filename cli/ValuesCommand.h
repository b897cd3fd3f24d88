// gombrel-cli values: what a posting round would write for every record,
// without a spreadsheet.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "Commands.h"
#include "EvaluateItemValue.h"
#include "MappingTables.h"
#include "ResultAccess.h"

// Opens the result library for a DOE-2 folder (completed with its
// separator); null with the reason in strFailure when it cannot.
using ResultLibraryOpener = std::function<std::unique_ptr<ResultLibrary>(const std::string &, std::string &)>;

// The folders and the table of a command that evaluates records.
struct EvaluationOptions {
    std::string strDoe2Folder;
    std::string strResultsFolder;
    const char *pszTable = nullptr;  // null: every table
};

// Reads --doe2, --results and --table in any order; false (with a message
// naming pszCommand on err) for anything else, a missing value or a missing
// folder option.
bool ParseEvaluationOptions(const Arguments &args, const char *pszCommand, EvaluationOptions &options,
                            std::ostream &err);

// True when both folders exist; otherwise false, after saying which does
// not with the run's message on err.  Checked before any evaluation, which
// over a mistyped folder would wait out every read's retries.
bool EvaluationFoldersExist(const EvaluationOptions &options, std::ostream &err);

// The command with the binder and retry pause given: 0 after printing (a
// library that cannot be bound fails every record with its reason, also
// said on err), kExitUsage for bad arguments or a folder that does not exist.
int RunValuesCommandWith(const Arguments &args, std::ostream &out, std::ostream &err,
                         const ResultLibraryOpener &bindLibrary, const RetryPause &retryPause = SleepBeforeRetry);

// One line per record of table that a posting round evaluates, through
// access (whose caches carry over from record to record): table, index, cell, outcome (number, text, skip or
// error), number ("%.17g"), text.  A non-empty strUnboundReason fails every
// record with that text instead of evaluating it.
void PrintTableValues(ResultAccess &access, const MappingTable &table, const std::string &strDoe2Folder,
                      const std::string &strResultsFolder, std::ostream &out,
                      const std::string &strUnboundReason = std::string());

// The header line of the output.
extern const char kValuesHeader[];
