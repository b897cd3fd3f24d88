// gombrel-cli run, with everything outside the program handed in: the
// console it talks to, the spreadsheet launcher, the result-library binding,
// the clock, the settings file and the pause between retries.  RunRunCommand (Commands.h) hands in the real ones.
#pragma once

#include <iosfwd>
#include <mutex>
#include <string>
#include <vector>

#include "Commands.h"
#include "RunCommand.h"

struct RunConsole {
    std::istream &in;
    std::ostream &out;
    std::ostream &err;
    bool bInputIsTerminal = false;  // the Retry/Cancel question is asked only then
    bool bErrorIsTerminal = false;  // progress is drawn only then
};

struct RunBackends {
    SpreadsheetLauncher &launcher;
    ResultLibraryBinder bindResultLibrary;
    Stopwatch &clock;
    SettingsFile settings;
    RetryPause retryPause = SleepBeforeRetry;
};

// Keeps at most one progress line ("Std140Sec5-2.xls: round 1, posting")
// on a terminal, drawn over itself and cleared before anything else is
// written below it.  Draws nothing when not enabled.
class ProgressLine : public RunProgress {
public:
    ProgressLine(std::ostream &err, bool bEnabled);
    void WorkbookStarted(const std::string &strWorkbookPath) override;
    void RoundStarted(int32_t iRound, bool bPosting) override;
    void Clear();

private:
    std::ostream &m_err;
    bool m_bEnabled;
    bool m_bShown = false;
    std::string m_strWorkbook;
};

// Message boxes as "CAPTION: TEXT" lines on console.err; the Retry/Cancel
// question is asked on the terminal (an answer starting with R retries) and
// answered Cancel when standard input is not a terminal or has ended.
// Runs side by side each put their folder before their lines
// (strPrefix, "FOLDER: ") and share one pWriteLock, held for a whole line
// or a whole question, so that their lines never mix.
class ConsoleMessages : public UserMessages {
public:
    ConsoleMessages(RunConsole &console, ProgressLine &progress, std::string strPrefix = "",
                    std::mutex *pWriteLock = nullptr);
    void ShowMessage(const std::string &strCaption, const std::string &strText) override;
    bool AskRetry(const std::string &strCaption, const std::string &strText) override;

private:
    std::unique_lock<std::mutex> LockWrites();
    void WriteMessage(const std::string &strCaption, const std::string &strText);

    RunConsole &m_console;
    ProgressLine &m_progress;
    std::string m_strPrefix;
    std::mutex *m_pWriteLock;
};

// Parses the run options, runs the dialog's run command and prints its final
// message on console.out.  Exit status: 0 when the run posted every workbook
// whole; 1 otherwise, with PartialRunLine as the last line on console.err;
// kExitUsage for bad arguments or a folder that does not exist.  With
// several --results it runs RunResultsFolders.
int RunResultsCommand(const Arguments &args, RunConsole &console, RunBackends &backends);

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

// strText on one line: every line break, with the blanks that follow it,
// becomes one space.
std::string OnOneLine(const std::string &strText);

// "2 of 4 workbooks": how many outcome's run posted whole.
std::string WorkbooksPosted(const RunOutcome &outcome);

// Where problem kept the run from being whole: "stopped at
// Std140Sec5-3B.xls", "stopped before the first workbook", or the workbook's
// name alone when the run went on after it.
std::string ProblemPlace(const RunProblem &problem);

// What made a run partial, on one line: "gombrel-cli: 2 of 4 workbooks
// posted; stopped at Std140Sec5-3B.xls: TEXT", with each of its problems
// after a "; ".
std::string PartialRunLine(const RunOutcome &outcome);
