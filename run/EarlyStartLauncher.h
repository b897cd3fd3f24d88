// Starting the spreadsheet application before the user asks for a run.
// Starting Calc is most of a run's time, so the dialog starts one in the
// background when it opens and again after each run; the next run takes it
// in the place of its own start and, from there on, goes as it always did.
//
// Typical use (the dialog program):
//     EarlyStartLauncher early(*launcher);      // the run's launcher
//     early.StartEarly();                       // on open, after each run
//     RunServices services{pass, early, ...};   // the run takes what was started
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "SpreadsheetSession.h"

// Wraps the launcher a run would use.  StartEarly starts an application on a
// thread of this object's own, telling the user nothing; StartApplication waits
// for a start under way, then hands its application over when it still
// answers.  When there is none (never started early, the early start failed,
// or its application has gone since) StartApplication is the wrapped launcher's,
// with its messages, on the caller's thread.
//
// The thread lives as long as this object, because a Calc is tied to the
// thread that started it: every application handed out must be ended
// (EndApplication, as each run does) before this object goes.  Going, it waits for
// a start under way and ends an application nobody took, on its own thread.
class EarlyStartLauncher : public SpreadsheetLauncher {
public:
    explicit EarlyStartLauncher(SpreadsheetLauncher &inner) : m_inner(inner) {}
    ~EarlyStartLauncher() override;
    EarlyStartLauncher(const EarlyStartLauncher &) = delete;
    EarlyStartLauncher &operator=(const EarlyStartLauncher &) = delete;

    // Starts an application in the background and returns at once; nothing
    // when one is already started or being started.
    void StartEarly();

    // Waits until no early start is under way; true when an application
    // started early is waiting to be taken.
    bool WaitForEarlyStart();

    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override;

private:
    bool MakeWorker();
    void Work();
    std::unique_ptr<Application> TakeStarted();

    SpreadsheetLauncher &m_inner;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bStartWanted = false;  // asked for and not yet finished
    bool m_bStopping = false;
    DispatchHolder<Application> m_started;
    std::thread m_worker;  // made at the first StartEarly
};
