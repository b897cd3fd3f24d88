// gombrel-cli run: the dialog's run command without the dialog.  Message
// boxes become "CAPTION: TEXT" lines on standard error, the Retry/Cancel
// question is asked on the terminal, and progress is drawn on standard error
// when it is a terminal (Console.h).  Several results folders are run by
// RunFolders.cpp.
#include <algorithm>
#include <iostream>
#include <optional>

#include "FailureReports.h"
#include "RunCli.h"
#include "RunTimings.h"
#include "Settings.h"
#include "SpreadsheetBackend.h"
#include "Terminal.h"

namespace {

const char kRunUsage[] =
    "usage: gombrel-cli run --doe2 DIR --results DIR [--results DIR ...] [--jobs N] [--check | --no-check] [--log] "
    "[--timings]\n";

// More jobs than this would only start more Calcs than any machine runs well.
constexpr int kMostJobs = 64;

struct RunOptions {
    std::optional<std::string> doe2;
    std::vector<std::string> results;
    std::optional<int> jobs;
    std::optional<bool> check;
    bool bLog = false;
    bool bTimings = false;  // where the run's time went, on standard error
};

// A whole number of jobs from 1 to kMostJobs, written in digits alone.
bool ParseJobs(const std::string &strText, std::optional<int> &jobs)
{
    if (strText.empty() || strText.size() > 2 ||
        !std::all_of(strText.begin(), strText.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int count = std::stoi(strText);
    if (count < 1 || count > kMostJobs)
        return false;
    jobs = count;
    return true;
}

// Reads one option at args[i] (and its value, moving i on); false when it
// is not one.
bool ParseRunOption(const Arguments &args, size_t &i, RunOptions &options)
{
    const std::string &arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--doe2" && hasValue)
        options.doe2 = args[++i];
    else if (arg == "--results" && hasValue)
        options.results.push_back(args[++i]);
    else if (arg == "--jobs" && hasValue && !options.jobs && ParseJobs(args[i + 1], options.jobs))
        ++i;
    else if ((arg == "--check" || arg == "--no-check") && !options.check)
        options.check = arg == "--check";
    else if (arg == "--log")
        options.bLog = true;
    else if (arg == "--timings")
        options.bTimings = true;
    else
        return false;
    return true;
}

// Reads the options; false with a message on err for anything amiss.
bool ParseRunOptions(const Arguments &args, RunOptions &options, std::ostream &err)
{
    for (size_t i = 0; i < args.size(); ++i)
        if (!ParseRunOption(args, i, options)) {
            err << "gombrel-cli: unusable option '" << args[i] << "'\n" << kRunUsage;
            return false;
        }
    if (!options.doe2 || options.results.empty()) {
        err << "gombrel-cli: run needs --doe2 and --results\n" << kRunUsage;
        return false;
    }
    return true;
}

}  // namespace

int RunResultsCommand(const Arguments &args, RunConsole &console, RunBackends &backends)
{
    RunOptions options;
    if (!ParseRunOptions(args, options, console.err))
        return kExitUsage;
    const bool bCheckPosted = options.check.value_or(ReadCheckPostedSetting(backends.settings));
    if (options.results.size() > 1)
        return RunResultsFolders({*options.doe2, options.results, bCheckPosted, options.bLog, options.bTimings,
                                  options.jobs.value_or(1)},
                                 console, backends);
    ProgressLine progress(console.err, console.bErrorIsTerminal);
    ConsoleMessages messages(console, progress);
    // Every run is timed, so that --timings measures exactly what runs
    // without it; only the report is optional.
    RunTimings timings(backends.clock, &progress);
    TimedLauncher launcher(backends.launcher, timings);
    PassServices pass{messages};
    pass.pProgress = &timings;
    const SettingsFile &settings = backends.settings;
    pass.readLogFlag = [&settings] { return ReadLogFlagSetting(settings); };
    if (options.bLog)
        pass.readLogFlag = [] { return 1; };
    RunServices services{pass, launcher, backends.bindResultLibrary, backends.retryPause};

    const RunCommandRequest request{*options.doe2, options.results.front(), bCheckPosted};
    const RunCommandOutcome outcome =
        ExecuteRunCommand(request, settings, ProcessResultsJob(services), backends.clock);
    progress.Clear();
    timings.Enter(RunPhase::Other);
    if (options.bTimings && outcome.bRan) {
        console.err << timings.Report() << std::endl;
        if (!timings.LibraryReport().empty())
            console.err << timings.LibraryReport() << std::endl;
    }
    if (!outcome.bRan) {
        messages.ShowMessage(kApplicationCaption, outcome.strMessage);
        return kExitUsage;
    }
    console.out << outcome.strMessage << std::endl;
    if (services.outcome.IsWhole())
        return 0;
    console.err << PartialRunLine(services.outcome) << std::endl;
    return 1;
}

int RunRunCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    RunConsole console{std::cin, out, err, StandardInputIsTerminal(), StandardErrorIsTerminal()};
    const std::unique_ptr<SpreadsheetLauncher> launcher = MakeSpreadsheetLauncher();
    BoundResultLibrary library;
    SteadyStopwatch clock;
    RunBackends backends{*launcher, library.Binder(), clock, SettingsForThisUser()};
    return RunResultsCommand(args, console, backends);
}
