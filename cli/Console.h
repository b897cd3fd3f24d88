// What gombrel-cli's commands write on the console besides their output:
// the progress line of a run, message boxes as lines on the error stream
// (with the Retry/Cancel question on the terminal), and a run's outcome on
// one line.
#pragma once

#include <iosfwd>
#include <mutex>
#include <string>

#include "ProcessResults.h"
#include "UserMessages.h"

// The streams a command talks to, and whether they are a terminal.
struct RunConsole {
    std::istream &in;
    std::ostream &out;
    std::ostream &err;
    bool bInputIsTerminal = false;  // the Retry/Cancel question is asked only then
    bool bErrorIsTerminal = false;  // progress is drawn only then
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

// Message boxes as "CAPTION: TEXT" lines on err, for a command that asks
// nothing: a Retry/Cancel question is told and answered Cancel.
class ErrorStreamMessages : public UserMessages {
public:
    explicit ErrorStreamMessages(std::ostream &err) : m_err(err) {}
    void ShowMessage(const std::string &strCaption, const std::string &strText) override;
    bool AskRetry(const std::string &strCaption, const std::string &strText) override;

private:
    std::ostream &m_err;
};

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
