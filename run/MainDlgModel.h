// What the program's one window does, whichever toolkit draws it: the
// fields it opens with, what a press of "&Process Results" does and the
// message it ends with, and when the spreadsheet application is started
// ahead of a run.  The Qt dialog (app/) and the Windows one (winapp/) keep
// their widgets only: they hand the model what the user typed and do, in
// their toolkit, what it asks of them (MainDlgView).
//
// Typical use (a dialog):
//     MainDlgModel m_model{services, *this, messages, progress};
//     on opening:          show m_model.Open() in the fields;
//     "&Process Results":  m_model.ProcessResults(the fields as they stand);
#pragma once

#include <functional>
#include <string>

#include "PostToSpreadsheet.h"
#include "ResultsRun.h"
#include "Settings.h"
#include "UserMessages.h"

// The dialog's fields: both folders as typed and the confirm check box.
struct MainDlgFields {
    std::string strDoe2Path;
    std::string strResultsPath;
    bool bCheckPosted = true;
};

// The job the button runs, made with the message boxes it is to use and the
// dialog's progress display.
using ResultsJobFactory = std::function<ResultsJob(UserMessages &messages, RunProgress &progress)>;

// What the dialog takes from its program (DialogProgramServices gives the
// real ones).  Each toolkit's dialog adds its own widgets' services.
struct MainDlgModelServices {
    ResultsJobFactory makeResultsJob;
    // Starts the spreadsheet application for the next run in the background
    // and returns at once (null: nothing is started ahead).
    std::function<void()> startSpreadsheetEarly;
    SettingsFile settings = SettingsForThisUser();
    Stopwatch *pClock = nullptr;  // null: the steady clock
};

// The dialog's part of a press, in its toolkit.
class MainDlgView {
public:
    virtual ~MainDlgView() = default;

    // The dialog busy for the run (the wait cursor, no input taken), or no
    // longer; what the user typed or clicked meanwhile is dropped.
    virtual void ShowBusy(bool bBusy) = 0;

    // Runs job and returns its result: here, or on a thread of its own while
    // this thread keeps the window answering.
    virtual int32_t RunJob(const std::function<int32_t()> &job) = 0;

    // Shows strText in a box captioned with the program's name.
    virtual void ShowMessage(const std::string &strText) = 0;
};

class MainDlgModel {
public:
    // Makes the job once, for every press, with the boxes and progress
    // display it is to use (the dialog's own, or ones that reach the dialog
    // from the run's thread).
    MainDlgModel(const MainDlgModelServices &services, MainDlgView &view, UserMessages &jobMessages,
                 RunProgress &progress);
    MainDlgModel(const MainDlgModel &) = delete;
    MainDlgModel &operator=(const MainDlgModel &) = delete;

    // The dialog opens: the fields it shows, the last run's folders and
    // confirm choice from the settings.  The spreadsheet application starts
    // in the background meanwhile.
    MainDlgFields Open();

    // A press of "&Process Results" with the fields as the user left them:
    // the run command (both folders checked, the settings saved, the job
    // timed while the dialog is busy), then the spreadsheet application
    // started for the next run while the user reads the one message: a
    // folder's, or the run's final one.  A press that reaches the dialog
    // while its run is under way does nothing.
    void ProcessResults(const MainDlgFields &fields);

private:
    // Unless the settings turn it off (read each time, as every setting is).
    void StartSpreadsheetEarly();

    SettingsFile m_settings;
    MainDlgView &m_view;
    SteadyStopwatch m_steadyClock;
    Stopwatch &m_clock;
    ResultsJob m_job;
    std::function<void()> m_startSpreadsheetEarly;
    bool m_bRunning = false;
};
