// Where the wall time of a results run goes: starting the spreadsheet
// application, opening the workbooks, the posting and the checking rounds
// (with the evaluations in them), saving and quitting.  The launcher and the
// application are wrapped so that every call that switches the run into
// another phase is seen; the rounds are told by the run's progress.
#pragma once

#include <array>
#include <chrono>
#include <string>

#include "SpreadsheetSession.h"
#include "PostToSpreadsheet.h"
#include "ResultsRun.h"

enum class RunPhase { Preparing, Starting, Opening, Posting, Checking, Saving, Quitting, Other, Count };

// The time spent in each phase, measured on clock from construction.
// Everything between two switches counts for the phase switched into
// first; the time before the application starts counts as preparing.
class RunTimings : public RunProgress {
public:
    // pNext, when not null, is told of the progress as well.
    RunTimings(Stopwatch &clock, RunProgress *pNext = nullptr);

    // Ends the current phase now and starts phase.
    void Enter(RunPhase phase);
    // The time spent in phase so far (the current phase up to its last switch).
    std::chrono::nanoseconds Spent(RunPhase phase) const;

    void WorkbookStarted(const std::string &strWorkbookPath) override;
    void RoundStarted(int32_t iRound, bool bPosting) override;
    void LibraryBound(const std::string &strLibraryFile) override;

    // One line: "timings: prepare 0.010 s, start 0.812 s, ..., total 4.152 s"
    // (seconds with three decimals, the phases in their order, then their sum).
    std::string Report() const;
    // "result library: FILE", the library the run read through; empty when
    // none was bound.
    std::string LibraryReport() const;

private:
    Stopwatch &m_clock;
    RunProgress *m_pNext;
    RunPhase m_current = RunPhase::Preparing;
    std::chrono::nanoseconds m_since;
    std::array<std::chrono::nanoseconds, static_cast<size_t>(RunPhase::Count)> m_spent{};
    std::string m_strLibraryFile;
};

// A launcher whose applications report their starting, opening, saving and
// quitting to timings; everything else passes through unchanged.
class TimedLauncher : public SpreadsheetLauncher {
public:
    TimedLauncher(SpreadsheetLauncher &launcher, RunTimings &timings) : m_launcher(launcher), m_timings(timings) {}
    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override;

private:
    SpreadsheetLauncher &m_launcher;
    RunTimings &m_timings;
};
