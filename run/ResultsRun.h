// A results run as the dialog's "&Process Results" button and `gombrel-cli
// run` make it (the run command): both folder checks, saving the settings,
// timing the run and the one final message.
//
// Typical use (the dialog's model):
//     RunCommandOutcome outcome = ExecuteRunCommand(request, settings, ProcessResultsJob(services), clock, busy);
//     show outcome.strMessage in a box (a folder message, or the final one).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "ProcessResults.h"
#include "ResultLibrary.h"
#include "Settings.h"

// True when strPath names an existing folder (backslashes count as
// separators).  An empty text, a file or nothing at all gives false; blanks
// are part of the name.
bool FolderExists(const std::string &strPath);

// "ERROR:  DOE-2 path doesn't exist:\n   PATH" or the same for the results
// path (only the first failing check is told); empty when both exist.
std::string FolderCheckMessage(const std::string &strDoe2Path, const std::string &strResultsPath);

// The final message of a run: the not-posted texts for a result below 1,
// otherwise the count and the time in seconds (up to 90), minutes (up to
// 5400 seconds) or hours, with a non-empty error text below it.
std::string RunOutcomeMessage(int32_t iResult, double dSeconds, const std::string &strErrorText);

// A monotonic clock; tests substitute one they move by hand.
class Stopwatch {
public:
    virtual ~Stopwatch() = default;
    virtual std::chrono::nanoseconds Now() = 0;
};

// The steady high-resolution clock of the system.
class SteadyStopwatch : public Stopwatch {
public:
    std::chrono::nanoseconds Now() override;
};

// The job being timed: ProcessResults or a stand-in.
using ResultsJob = std::function<int32_t(std::string &strErrorText, const std::string &strDoe2Path,
                                         const std::string &strResultsPath, int32_t iCheckFlag)>;

// ProcessResults with these services (which must outlive the job).
ResultsJob ProcessResultsJob(RunServices &services);

// The program's result library, bound at the first run with a DOE-2 folder
// and kept for the next ones with that folder until this object goes (a
// run with another DOE-2 folder binds that folder's library: the one there
// wins).  Binder() is what RunServices::bindResultLibrary wants; runs on
// several threads may share it (the library serialises its reads itself).
class BoundResultLibrary {
public:
    BoundResultLibrary() = default;
    BoundResultLibrary(const BoundResultLibrary &) = delete;
    BoundResultLibrary &operator=(const BoundResultLibrary &) = delete;

    ResultLibraryBinder Binder();

private:
    ResultLibrary *Bind(const std::string &strDoe2Folder, std::string &strFailure);

    std::mutex m_mutex;
    // Every library bound stays loaded: a run on another thread may still
    // read through it.
    std::map<std::string, std::unique_ptr<ResultLibrary>> m_libraries;
};

// Elapsed seconds of job, measured on clock with the cost of reading the
// clock itself taken off.
double TimeJob(Stopwatch &clock, const std::function<void()> &job);

struct RunCommandRequest {
    std::string strDoe2Path;     // as typed
    std::string strResultsPath;  // as typed
    bool bCheckPosted = true;
};

struct RunCommandOutcome {
    bool bRan = false;         // false: a folder check failed, nothing saved or run
    int32_t iResult = 0;       // the job's result when it ran
    std::string strMessage;    // the folder message or the final message
};

// The whole command, saving into settings.  busy(true) is called just
// before the timed job and busy(false) right after it (the dialog's wait
// cursor); it may be empty.
RunCommandOutcome ExecuteRunCommand(const RunCommandRequest &request, const SettingsFile &settings,
                                    const ResultsJob &job, Stopwatch &clock,
                                    const std::function<void(bool)> &busy = nullptr);
