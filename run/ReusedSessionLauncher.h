// One spreadsheet application kept for a series of results runs, so that
// only the first run pays for starting it.  Each run gets a stand-in for
// the kept application whose Quit closes the run's workbooks instead of
// ending the application; the application ends with this launcher.
//
// Typical use (one per job, the runs one after the other):
//     ReusedSessionLauncher launcher(*calcLauncher);
//     RunServices services{pass, launcher, ...};   // for each folder in turn
#pragma once

#include "SpreadsheetSession.h"

class ReusedSessionLauncher : public SpreadsheetLauncher {
public:
    explicit ReusedSessionLauncher(SpreadsheetLauncher &launcher) : m_launcher(launcher) {}
    ReusedSessionLauncher(const ReusedSessionLauncher &) = delete;
    ReusedSessionLauncher &operator=(const ReusedSessionLauncher &) = delete;
    ~ReusedSessionLauncher() override { EndApplication(m_application); }

    // Hands out the kept application when it still answers; otherwise ends
    // what is left of it and starts a new one through the launcher given.
    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override;

private:
    void EndRun();

    SpreadsheetLauncher &m_launcher;
    DispatchHolder<Application> m_application;
};
