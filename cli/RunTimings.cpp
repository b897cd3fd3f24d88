#include "RunTimings.h"

#include <memory>
#include <utility>

#include "FormatText.h"

namespace {

const char *const kPhaseNames[] = {"prepare", "start", "open", "post", "check", "save", "quit", "other"};

// Switches timings into phase for as long as it lives, then into "other".
class PhaseScope {
public:
    PhaseScope(RunTimings &timings, RunPhase phase) : m_timings(timings) { m_timings.Enter(phase); }
    PhaseScope(const PhaseScope &) = delete;
    PhaseScope &operator=(const PhaseScope &) = delete;
    ~PhaseScope() { m_timings.Enter(RunPhase::Other); }

private:
    RunTimings &m_timings;
};

class TimedWorkbook : public Workbook {
public:
    TimedWorkbook(std::unique_ptr<Workbook> pWorkbook, RunTimings &timings)
        : m_pWorkbook(std::move(pWorkbook)), m_timings(timings)
    {
    }
    std::unique_ptr<Worksheets> GetWorksheets() override { return m_pWorkbook->GetWorksheets(); }
    void Save() override
    {
        PhaseScope scope(m_timings, RunPhase::Saving);
        m_pWorkbook->Save();
    }

private:
    std::unique_ptr<Workbook> m_pWorkbook;
    RunTimings &m_timings;
};

class TimedWorkbooks : public Workbooks {
public:
    TimedWorkbooks(std::unique_ptr<Workbooks> pWorkbooks, RunTimings &timings)
        : m_pWorkbooks(std::move(pWorkbooks)), m_timings(timings)
    {
    }
    // An application that hands back nothing is passed on as it is.
    std::unique_ptr<Workbook> Open(const std::string &strPath) override
    {
        PhaseScope scope(m_timings, RunPhase::Opening);
        return Timed(m_pWorkbooks->Open(strPath));
    }
    std::unique_ptr<Workbook> OpenReadOnly(const std::string &strPath) override
    {
        PhaseScope scope(m_timings, RunPhase::Opening);
        return Timed(m_pWorkbooks->OpenReadOnly(strPath));
    }
    void Close() override { m_pWorkbooks->Close(); }

private:
    std::unique_ptr<Workbook> Timed(std::unique_ptr<Workbook> pWorkbook)
    {
        if (!pWorkbook)
            return nullptr;
        return std::make_unique<TimedWorkbook>(std::move(pWorkbook), m_timings);
    }

    std::unique_ptr<Workbooks> m_pWorkbooks;
    RunTimings &m_timings;
};

// Quitting lasts until the run ends: what follows Quit is the release of
// the application.  The launcher starts the real application right into
// the wrapper's holder.
class TimedApplication : public Application {
public:
    explicit TimedApplication(RunTimings &timings) : m_timings(timings) {}
    DispatchHolder<Application> &Holder() { return m_application; }

    std::string LibraryPath() override { return m_application->LibraryPath(); }
    bool RegisterXLL(const std::string &strFileName) override { return m_application->RegisterXLL(strFileName); }
    std::unique_ptr<Workbooks> GetWorkbooks() override
    {
        std::unique_ptr<Workbooks> pWorkbooks = m_application->GetWorkbooks();
        if (!pWorkbooks)
            return nullptr;
        return std::make_unique<TimedWorkbooks>(std::move(pWorkbooks), m_timings);
    }
    void Quit() override
    {
        m_timings.Enter(RunPhase::Quitting);
        m_application->Quit();
    }

private:
    DispatchHolder<Application> m_application;
    RunTimings &m_timings;
};

double Seconds(std::chrono::nanoseconds duration) { return std::chrono::duration<double>(duration).count(); }

}  // namespace

RunTimings::RunTimings(Stopwatch &clock, RunProgress *pNext) : m_clock(clock), m_pNext(pNext), m_since(clock.Now()) {}

void RunTimings::Enter(RunPhase phase)
{
    const std::chrono::nanoseconds now = m_clock.Now();
    m_spent[static_cast<size_t>(m_current)] += now - m_since;
    m_current = phase;
    m_since = now;
}

std::chrono::nanoseconds RunTimings::Spent(RunPhase phase) const { return m_spent[static_cast<size_t>(phase)]; }

void RunTimings::WorkbookStarted(const std::string &strWorkbookPath)
{
    Enter(RunPhase::Other);
    if (m_pNext)
        m_pNext->WorkbookStarted(strWorkbookPath);
}

void RunTimings::RoundStarted(int32_t iRound, bool bPosting)
{
    Enter(bPosting ? RunPhase::Posting : RunPhase::Checking);
    if (m_pNext)
        m_pNext->RoundStarted(iRound, bPosting);
}

void RunTimings::LibraryBound(const std::string &strLibraryFile)
{
    m_strLibraryFile = strLibraryFile;
    if (m_pNext)
        m_pNext->LibraryBound(strLibraryFile);
}

std::string RunTimings::LibraryReport() const
{
    return m_strLibraryFile.empty() ? std::string() : "result library: " + m_strLibraryFile;
}

std::string RunTimings::Report() const
{
    std::string report = "timings:";
    std::chrono::nanoseconds total{0};
    for (size_t phase = 0; phase < m_spent.size(); ++phase) {
        report += FormatText(" %s %.3f s,", kPhaseNames[phase], Seconds(m_spent[phase]));
        total += m_spent[phase];
    }
    return report + FormatText(" total %.3f s", Seconds(total));
}

bool TimedLauncher::StartApplication(DispatchHolder<Application> &application, UserMessages &messages)
{
    PhaseScope scope(m_timings, RunPhase::Starting);
    auto pTimed = std::make_unique<TimedApplication>(m_timings);
    if (!m_launcher.StartApplication(pTimed->Holder(), messages))
        return false;
    application.Attach(std::move(pTimed));
    return true;
}
