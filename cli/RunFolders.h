// gombrel-cli run with several results folders.
#pragma once

#include <string>
#include <vector>

#include "Console.h"
#include "RunBackends.h"

struct FoldersRequest {
    std::string strDoe2Path;
    std::vector<std::string> resultsPaths;  // as typed, in the order given
    bool bCheckPosted = true;
    bool bLog = false;      // the posting log whatever the settings say
    bool bTimings = false;  // each folder's "FOLDER: timings: ..." line on console.err
    int iJobs = 1;          // folders posted side by side
};

// Posts each results folder as a results run of its own, iJobs at a time,
// each job keeping one spreadsheet application from folder to folder
// (replaced when it stops answering).  Messages during the runs go to
// console.err as "FOLDER: CAPTION: TEXT", and a run that did not post every
// workbook whole ends with "FOLDER: " and its PartialRunLine there; the
// Retry/Cancel question is asked only with one job.  Then console.out gets
// one line per folder, in the order given: "FOLDER: " and its final message
// on one line, after "partly posted (2 of 4 workbooks, stopped at
// WORKBOOK): " or "not posted: " unless the run posted every workbook
// whole, or why it did not run; then a total.  The settings are saved once,
// before the runs, with the last folder that exists.  Exit status: 0 when
// every folder was posted whole, 1 otherwise, kExitUsage when the DOE-2
// folder does not exist or a results folder is given twice (however it is
// spelt), which is refused before anything starts.
int RunResultsFolders(const FoldersRequest &request, RunConsole &console, RunBackends &backends);
