// gombrel-cli run, with everything outside the program handed in: the
// console it talks to, the spreadsheet launcher, the result-library binding,
// the clock, the settings file and the pause between retries.  RunRunCommand (Commands.h) hands in the real ones.
#pragma once

#include <iosfwd>

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
class ConsoleMessages : public UserMessages {
public:
    ConsoleMessages(RunConsole &console, ProgressLine &progress);
    void ShowMessage(const std::string &strCaption, const std::string &strText) override;
    bool AskRetry(const std::string &strCaption, const std::string &strText) override;

private:
    RunConsole &m_console;
    ProgressLine &m_progress;
};

// Parses the run options, runs the dialog's run command and prints its final
// message on console.out.  Exit status: 0 when results were posted, 1 when
// none were, kExitUsage for bad arguments or a folder that does not exist.
int RunResultsCommand(const Arguments &args, RunConsole &console, RunBackends &backends);

// strText on one line: every line break, with the blanks that follow it,
// becomes one space.
std::string OnOneLine(const std::string &strText);
