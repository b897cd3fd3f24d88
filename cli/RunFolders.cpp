// gombrel-cli run with several results folders: each folder is a results
// run of its own, the folders are shared out to a few jobs, and each job
// keeps one spreadsheet application from folder to folder, since starting
// it is most of a run's time.
#include "RunFolders.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <iostream>
#include <mutex>
#include <thread>

#include "Commands.h"
#include "FailureReports.h"
#include "FileIdentity.h"
#include "FormatText.h"
#include "Paths.h"
#include "ReusedSessionLauncher.h"
#include "RunTimings.h"

namespace {

// What became of one folder.
struct FolderOutcome {
    int32_t iResult = 0;
    std::string strMessage;  // the run's final message, or why it did not run
    bool bWhole = false;     // the run posted every workbook whole
    std::string strPartly;   // for a partial run that posted results: "2 of 4 workbooks, stopped at ..."
};

// What the jobs share: the request, the program's backends, the console
// with its lock, the next folder to take and every folder's outcome.
struct FoldersRun {
    const FoldersRequest &request;
    RunBackends &backends;
    RunConsole console;
    std::mutex writeLock;
    std::atomic<size_t> next{0};
    std::vector<FolderOutcome> outcomes;
};

// The posting log switch of every pass: --log, else the settings file.
std::function<int32_t()> LogFlag(const FoldersRun &run)
{
    if (run.request.bLog)
        return [] { return 1; };
    const SettingsFile &settings = run.backends.settings;
    return [&settings] { return ReadLogFlagSetting(settings); };
}

// The folder's timings line, when asked for.
void TellTimings(FoldersRun &run, const std::string &strFolder, RunTimings &timings)
{
    timings.Enter(RunPhase::Other);
    if (!run.request.bTimings)
        return;
    const std::lock_guard<std::mutex> lock(run.writeLock);
    run.console.err << strFolder << ": " << timings.Report() << std::endl;
    if (!timings.LibraryReport().empty())
        run.console.err << strFolder << ": " << timings.LibraryReport() << std::endl;
}

// Tells, on the folder's last line on console.err, what made its run
// partial, and keeps for its line on console.out how far it got.
void TellPartialRun(FoldersRun &run, const std::string &strFolder, const RunOutcome &runOutcome,
                    FolderOutcome &outcome)
{
    outcome.bWhole = runOutcome.IsWhole();
    if (outcome.bWhole)
        return;
    outcome.strPartly = WorkbooksPosted(runOutcome);
    const auto stop = std::find_if(runOutcome.problems.begin(), runOutcome.problems.end(),
                                   [](const RunProblem &problem) { return problem.bStopped; });
    if (stop != runOutcome.problems.end())
        outcome.strPartly += ", " + ProblemPlace(*stop);
    const std::lock_guard<std::mutex> lock(run.writeLock);
    run.console.err << strFolder << ": " << PartialRunLine(runOutcome) << std::endl;
}

// One folder's results run on the job's launcher.  Anything the run throws
// ends that folder only.
FolderOutcome RunFolder(FoldersRun &run, const std::string &strFolder, SpreadsheetLauncher &launcher)
{
    FolderOutcome outcome;
    outcome.strMessage = FolderCheckMessage(run.request.strDoe2Path, strFolder);
    if (!outcome.strMessage.empty())
        return outcome;
    ProgressLine progress(run.console.err, false);
    ConsoleMessages messages(run.console, progress, strFolder + ": ", &run.writeLock);
    RunTimings timings(run.backends.clock);
    TimedLauncher timedLauncher(launcher, timings);
    PassServices pass{messages};
    pass.readLogFlag = LogFlag(run);
    pass.pProgress = &timings;
    RunServices services{pass, timedLauncher, run.backends.bindResultLibrary, run.backends.retryPause};
    std::string errorText;
    bool bRan = false;
    try {
        const double dSeconds = TimeJob(run.backends.clock, [&] {
            outcome.iResult = ProcessResults(errorText, run.request.strDoe2Path, strFolder,
                                             run.request.bCheckPosted ? 1 : 0, services);
        });
        outcome.strMessage = RunOutcomeMessage(outcome.iResult, dSeconds, errorText);
        bRan = true;
    } catch (const std::exception &failure) {
        outcome.iResult = 0;
        outcome.strMessage = RunOutcomeMessage(0, 0.0, failure.what());
    }
    TellTimings(run, strFolder, timings);
    if (bRan)
        TellPartialRun(run, strFolder, services.outcome, outcome);
    return outcome;
}

// One job: takes the next folder until none is left, on one kept
// application, which ends with the job.
void RunJob(FoldersRun &run)
{
    ReusedSessionLauncher launcher(run.backends.launcher);
    for (size_t i = run.next++; i < run.request.resultsPaths.size(); i = run.next++)
        run.outcomes[i] = RunFolder(run, run.request.resultsPaths[i], launcher);
}

// Runs the jobs, the last on this thread.
void RunJobs(FoldersRun &run)
{
    const size_t jobs = std::min(static_cast<size_t>(run.request.iJobs), run.request.resultsPaths.size());
    std::vector<std::thread> threads;
    for (size_t job = 1; job < jobs; ++job)
        threads.emplace_back([&run] { RunJob(run); });
    RunJob(run);
    for (std::thread &thread : threads)
        thread.join();
}

// True when the two folders given are one: the same folder on disk however
// spelt, or, when either cannot be found, the same text.
bool SameFolder(const std::string &strFirst, const std::string &strSecond)
{
    FileIdentity first, second;
    if (ReadFolderIdentity(NativePath(strFirst), first) && ReadFolderIdentity(NativePath(strSecond), second))
        return first == second;
    return NativePath(strFirst) == NativePath(strSecond);
}

// Tells on err each results folder given again, with the spelling it was
// first given in; false when there is one.  Two jobs on one folder would
// post the same workbooks at once, and one run after the other would only
// post it twice.
bool RefuseRepeatedFolders(const std::vector<std::string> &folders, std::ostream &err)
{
    bool bRepeated = false;
    for (size_t later = 1; later < folders.size(); ++later) {
        for (size_t first = 0; first < later; ++first)
            if (SameFolder(folders[first], folders[later])) {
                err << "gombrel-cli: '" << folders[first] << "' and '" << folders[later]
                    << "' are the same results folder\n";
                bRepeated = true;
                break;
            }
    }
    return !bRepeated;
}

// The settings keep the last folders of the command that exist, as if the
// folders had been run one by one.
void SaveSettings(const FoldersRequest &request, const SettingsFile &settings)
{
    const auto last = std::find_if(request.resultsPaths.rbegin(), request.resultsPaths.rend(), FolderExists);
    if (last != request.resultsPaths.rend())
        SaveRunSettings(settings, request.strDoe2Path, *last, request.bCheckPosted);
}

// The folder's line: its final message, or why it did not run, after what
// kept it from being posted whole.
std::string FolderLine(const std::string &strFolder, const FolderOutcome &outcome)
{
    std::string line = strFolder + ": ";
    if (outcome.iResult >= 1 && !outcome.bWhole)
        line += "partly posted (" + outcome.strPartly + "): ";
    else if (!outcome.bWhole)
        line += "not posted: ";
    return line + OnOneLine(outcome.strMessage);
}

// "total: 2 of 3 folders posted, 4292 results (9.1 seconds elapsed)."; the
// results of folders partly posted count too, and so they are named: "total:
// 1 of 3 folders posted, 1 partly posted, 3135 results (...)".
std::string TotalLine(const std::vector<FolderOutcome> &outcomes, double dSeconds)
{
    size_t posted = 0, partly = 0;
    long long results = 0;
    for (const FolderOutcome &outcome : outcomes)
        if (outcome.iResult >= 1) {
            ++(outcome.bWhole ? posted : partly);
            results += outcome.iResult;
        }
    std::string line =
        "total: " + std::to_string(posted) + " of " + std::to_string(outcomes.size()) + " folders posted, ";
    if (partly > 0)
        line += std::to_string(partly) + " partly posted, ";
    return line + std::to_string(results) + FormatText(" results (%.1f seconds elapsed).", dSeconds);
}

}  // namespace

int RunResultsFolders(const FoldersRequest &request, RunConsole &console, RunBackends &backends)
{
    if (!RefuseRepeatedFolders(request.resultsPaths, console.err))
        return kExitUsage;
    if (!FolderExists(request.strDoe2Path)) {
        console.err << kApplicationCaption << ": " << OnOneLine(FolderCheckMessage(request.strDoe2Path, "")) << std::endl;
        return kExitUsage;
    }
    SaveSettings(request, backends.settings);
    // Only one job at a time can have the terminal's answer.
    FoldersRun run{request, backends, console, {}, {}, std::vector<FolderOutcome>(request.resultsPaths.size())};
    run.console.bInputIsTerminal = console.bInputIsTerminal && request.iJobs == 1;
    const double dSeconds = TimeJob(backends.clock, [&run] { RunJobs(run); });
    bool everyFolderPosted = true;
    for (size_t i = 0; i < run.outcomes.size(); ++i) {
        console.out << FolderLine(request.resultsPaths[i], run.outcomes[i]) << '\n';
        everyFolderPosted = everyFolderPosted && run.outcomes[i].bWhole;
    }
    console.out << TotalLine(run.outcomes, dSeconds) << std::endl;
    return everyFolderPosted ? 0 : 1;
}
