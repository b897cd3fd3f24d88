// The results run: one spreadsheet session in which the posting pass runs
// over the four Standard 140 workbooks in turn.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SpreadsheetSession.h"
#include "MappingTables.h"
#include "PostToSpreadsheet.h"

// Binds the DOE-2 result library for a run given its (completed) DOE-2
// folder: the library, which the binder's owner keeps, or null with
// strFailure saying why it cannot be bound.
using ResultLibraryBinder = std::function<ResultLibrary *(const std::string &strDoe2Folder, std::string &strFailure)>;

// Something that kept a results run from posting every workbook whole.
struct RunProblem {
    std::string strWorkbookPath;  // the workbook it concerns; empty: the run stopped before the first
    std::string strText;          // what went wrong, as the user was told it where there was a message
    bool bStopped = false;        // the run went no further: no later workbook was posted
};

// How a results run went beyond its count, for callers that must tell a run
// that posted every workbook whole from a partial one (the final message is
// made from the count and the error text alone).  A workbook is posted
// whole when its pass ran to its end and wrote cells, showed no failure
// and, with checking, had every number confirmed by its last checking round.
struct RunOutcome {
    std::vector<std::string> postedWorkbooks;  // the paths of those posted whole, in run order
    std::vector<RunProblem> problems;          // everything else, in the order met

    bool IsWhole() const { return problems.empty() && postedWorkbooks.size() == kMappingTableCount; }
};

// What a run needs from outside the engine: the services of its passes, the
// spreadsheet launcher, the result-library binding and the pause between
// retries of an empty answer; and where the run tells how it went (filled
// anew by every run).
struct RunServices {
    PassServices pass;
    SpreadsheetLauncher &launcher;
    ResultLibraryBinder bindResultLibrary;
    RetryPause retryPause = SleepBeforeRetry;
    RunOutcome outcome{};
};

// The file description the passes use in their messages.
extern const char kResultsFileDescription[];  // "DOE-2 Results spreadsheet"

// The error text when the spreadsheet application cannot be started.
extern const char kSpreadsheetStartFailure[];  // "Error encountered attempting to open Excel"

// Binds the result library, evaluates one fixed record as a pre-check
// (every run reads through a ResultAccess of its own, so nothing read by an
// earlier run, perhaps before its project was simulated anew, is served),
// starts the spreadsheet application and posts Std140Sec5-2, -3, -3B and -4
// in that order, stopping at the first pass that writes nothing.  Returns the
// sum of the passes' counts; 0 when nothing was posted (also when the library
// cannot be bound, with the binding's failure in strErrorText); -1 when the
// spreadsheet application cannot be started.  Failures are described in
// strErrorText, which should be empty on entry.  services.outcome tells how far
// the run got.
int32_t ProcessResults(std::string &strErrorText, const std::string &strDoe2Folder,
                       const std::string &strResultsFolder, int32_t iCheckFlag, RunServices &services);
