// early-start-bench RESULTS DOE2: what a user of the dialog waits for when
// Calc was started early.  Starts the spreadsheet application in the
// background as the dialog does when it opens, waits until it is ready (the
// user has not pressed the button yet), then times the dialog's run command,
// with confirmation, from the press to the final message.  Prints one line,
// "early-start: run SECONDS s, posted COUNT", beside which `gombrel-cli run
// --check --timings` gives the cold run.  Whatever the run would show in a
// box goes to standard error.  Exit 0 when the run took the early start and
// posted results, 1 otherwise, 2 for bad arguments.
#include <cstdio>
#include <iostream>
#include <string>

#include "Console.h"
#include "EarlyStartLauncher.h"
#include "ResultsRun.h"
#include "Settings.h"
#include "SpreadsheetBackend.h"

namespace {

// The run command as the dialog's button runs it, timed from the press to
// the final message.
RunCommandOutcome TimedRun(const RunCommandRequest &request, SpreadsheetLauncher &launcher, double &dSeconds)
{
    RunConsole console{std::cin, std::cout, std::cerr};
    ProgressLine progress(std::cerr, false);
    ConsoleMessages messages(console, progress);
    const SettingsFile settings = SettingsForThisUser();
    PassServices pass{messages};
    pass.readLogFlag = [&settings] { return ReadLogFlagSetting(settings); };
    BoundResultLibrary library;
    RunServices services{pass, launcher, library.Binder()};
    SteadyStopwatch clock;
    RunCommandOutcome outcome;
    dSeconds = TimeJob(clock, [&] { outcome = ExecuteRunCommand(request, settings, ProcessResultsJob(services), clock); });
    return outcome;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: early-start-bench RESULTS DOE2\n";
        return 2;
    }
    const std::unique_ptr<SpreadsheetLauncher> launcher = MakeSpreadsheetLauncher();
    EarlyStartLauncher early(*launcher);
    early.StartEarly();
    const bool bReady = early.WaitForEarlyStart();
    if (!bReady)
        std::cerr << "early-start-bench: the early start failed; the run starts Calc itself\n";
    double dSeconds = 0.0;
    const RunCommandOutcome outcome = TimedRun({argv[2], argv[1], true}, early, dSeconds);
    if (!outcome.bRan) {
        std::cerr << "early-start-bench: " << OnOneLine(outcome.strMessage) << "\n";
        return 2;
    }
    std::printf("early-start: run %.2f s, posted %d\n", dSeconds, outcome.iResult);
    return bReady && outcome.iResult >= 1 ? 0 : 1;
}
