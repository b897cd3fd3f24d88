#include "Console.h"

#include <iostream>
#include <utility>

#include "MappingTables.h"

namespace {

// The file name at the end of a workbook's path.
std::string WorkbookName(const std::string &strWorkbookPath)
{
    return strWorkbookPath.substr(strWorkbookPath.find_last_of("\\/") + 1);
}

}  // namespace

ProgressLine::ProgressLine(std::ostream &err, bool bEnabled) : m_err(err), m_bEnabled(bEnabled) {}

void ProgressLine::WorkbookStarted(const std::string &strWorkbookPath)
{
    m_strWorkbook = WorkbookName(strWorkbookPath);
}

void ProgressLine::RoundStarted(int32_t iRound, bool bPosting)
{
    if (!m_bEnabled)
        return;
    m_err << "\r" << m_strWorkbook << ": round " << (iRound + 1) / 2 << (bPosting ? ", posting" : ", checking")
          << "\x1b[K" << std::flush;
    m_bShown = true;
}

void ProgressLine::Clear()
{
    if (m_bShown)
        m_err << "\r\x1b[K" << std::flush;
    m_bShown = false;
}

ConsoleMessages::ConsoleMessages(RunConsole &console, ProgressLine &progress, std::string strPrefix,
                                 std::mutex *pWriteLock)
    : m_console(console), m_progress(progress), m_strPrefix(std::move(strPrefix)), m_pWriteLock(pWriteLock)
{
}

void ConsoleMessages::ShowMessage(const std::string &strCaption, const std::string &strText)
{
    const std::unique_lock<std::mutex> lock = LockWrites();
    WriteMessage(strCaption, strText);
}

bool ConsoleMessages::AskRetry(const std::string &strCaption, const std::string &strText)
{
    const std::unique_lock<std::mutex> lock = LockWrites();
    WriteMessage(strCaption, strText);
    if (!m_console.bInputIsTerminal)
        return false;
    m_console.err << m_strPrefix << "[R]etry or [C]ancel? " << std::flush;
    std::string answer;
    if (!std::getline(m_console.in, answer))
        return false;
    return !answer.empty() && (answer[0] == 'r' || answer[0] == 'R');
}

std::unique_lock<std::mutex> ConsoleMessages::LockWrites()
{
    return m_pWriteLock ? std::unique_lock<std::mutex>(*m_pWriteLock) : std::unique_lock<std::mutex>();
}

void ConsoleMessages::WriteMessage(const std::string &strCaption, const std::string &strText)
{
    m_progress.Clear();
    m_console.err << m_strPrefix << strCaption << ": " << OnOneLine(strText) << std::endl;
}

void ErrorStreamMessages::ShowMessage(const std::string &strCaption, const std::string &strText)
{
    m_err << strCaption << ": " << OnOneLine(strText) << '\n';
}

bool ErrorStreamMessages::AskRetry(const std::string &strCaption, const std::string &strText)
{
    ShowMessage(strCaption, strText);
    return false;
}

std::string OnOneLine(const std::string &strText)
{
    std::string line;
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] != '\n') {
            line += strText[i];
            continue;
        }
        line += ' ';
        while (i + 1 < strText.size() && strText[i + 1] == ' ')
            ++i;
    }
    return line;
}

std::string WorkbooksPosted(const RunOutcome &outcome)
{
    return std::to_string(outcome.postedWorkbooks.size()) + " of " + std::to_string(kMappingTableCount) +
           " workbooks";
}

std::string ProblemPlace(const RunProblem &problem)
{
    if (!problem.bStopped)
        return WorkbookName(problem.strWorkbookPath);
    if (problem.strWorkbookPath.empty())
        return "stopped before the first workbook";
    return "stopped at " + WorkbookName(problem.strWorkbookPath);
}

std::string PartialRunLine(const RunOutcome &outcome)
{
    std::string line = "gombrel-cli: " + WorkbooksPosted(outcome) + " posted";
    for (const RunProblem &problem : outcome.problems)
        line += "; " + ProblemPlace(problem) + ": " + OnOneLine(problem.strText);
    return line;
}
