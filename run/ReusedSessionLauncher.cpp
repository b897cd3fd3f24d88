#include "ReusedSessionLauncher.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace {

// The kept application as one run sees it: everything passes through but
// Quit, which ends only the run.
class RunApplication : public Application {
public:
    RunApplication(Application &application, std::function<void()> endRun)
        : m_application(application), m_endRun(std::move(endRun))
    {
    }
    std::string LibraryPath() override { return m_application.LibraryPath(); }
    bool RegisterXLL(const std::string &strFileName) override { return m_application.RegisterXLL(strFileName); }
    std::unique_ptr<Workbooks> GetWorkbooks() override { return m_application.GetWorkbooks(); }
    void Quit() override { m_endRun(); }

private:
    Application &m_application;
    std::function<void()> m_endRun;
};

}  // namespace

bool ReusedSessionLauncher::StartApplication(DispatchHolder<Application> &application, UserMessages &messages)
{
    if (!m_application.IsEmpty() && !ApplicationAnswers(*m_application))
        EndApplication(m_application);
    if (m_application.IsEmpty() && !m_launcher.StartApplication(m_application, messages)) {
        m_application.Release();
        return false;
    }
    application.Attach(std::make_unique<RunApplication>(*m_application, [this] { EndRun(); }));
    return true;
}

// The run's workbooks are closed unsaved: whatever the run meant to keep it
// has saved.  Workbooks that will not close would meet the next run, so the
// application goes with them.
void ReusedSessionLauncher::EndRun()
{
    if (m_application.IsEmpty())
        return;
    try {
        if (std::unique_ptr<Workbooks> workbooks = m_application->GetWorkbooks())
            workbooks->Close();
    } catch (const AutomationFailure &) {
        EndApplication(m_application);
    }
}
