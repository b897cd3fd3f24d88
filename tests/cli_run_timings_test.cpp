#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "MappingTables.h"
#include "MemoryWorkbooks.h"
#include "PassTestSupport.h"
#include "ProcessResults.h"
#include "RunCli.h"
#include "RunTimings.h"
#include "ScratchFolder.h"
#include "Settings.h"

namespace {

using std::chrono::seconds;

void NoPause(int) {}

// A clock set by hand; with a step, every reading also moves it on by that
// step, so each phase switch closes a phase of exactly one step.
class HandClock : public Stopwatch {
public:
    std::chrono::nanoseconds now{0};
    std::chrono::nanoseconds step{0};
    std::chrono::nanoseconds Now() override
    {
        now += step;
        return now;
    }
};

class RecordedProgress : public RunProgress {
public:
    std::vector<std::string> events;
    void WorkbookStarted(const std::string &strWorkbookPath) override { events.push_back("workbook " + strWorkbookPath); }
    void RoundStarted(int32_t iRound, bool bPosting) override
    {
        events.push_back("round " + std::to_string(iRound) + (bPosting ? " posting" : " checking"));
    }
};

TEST(RunTimings, EachSwitchClosesThePhaseBeforeIt)
{
    HandClock clock;
    RunTimings timings(clock);
    clock.now = seconds(2);
    timings.Enter(RunPhase::Starting);
    clock.now = seconds(5);
    timings.Enter(RunPhase::Opening);
    clock.now = seconds(6);
    timings.Enter(RunPhase::Opening);
    clock.now = seconds(8);
    timings.Enter(RunPhase::Other);
    EXPECT_EQ(timings.Spent(RunPhase::Preparing), seconds(2));
    EXPECT_EQ(timings.Spent(RunPhase::Starting), seconds(3));
    EXPECT_EQ(timings.Spent(RunPhase::Opening), seconds(3));
    EXPECT_EQ(timings.Spent(RunPhase::Other), seconds(0));
}

TEST(RunTimings, TheCurrentPhaseCountsOnlyUpToItsLastSwitch)
{
    HandClock clock;
    RunTimings timings(clock);
    timings.Enter(RunPhase::Saving);
    clock.now = seconds(4);
    EXPECT_EQ(timings.Spent(RunPhase::Saving), seconds(0));
}

TEST(RunTimings, RoundsSwitchPhaseAndAreTold)
{
    HandClock clock;
    clock.step = seconds(1);
    RecordedProgress next;
    RunTimings timings(clock, &next);
    timings.WorkbookStarted("/r/Std140Sec5-2.xls");
    timings.RoundStarted(1, true);
    timings.RoundStarted(2, false);
    timings.RoundStarted(3, true);
    timings.Enter(RunPhase::Other);
    EXPECT_EQ(timings.Spent(RunPhase::Posting), seconds(2));
    EXPECT_EQ(timings.Spent(RunPhase::Checking), seconds(1));
    EXPECT_EQ(next.events, (std::vector<std::string>{"workbook /r/Std140Sec5-2.xls", "round 1 posting",
                                                     "round 2 checking", "round 3 posting"}));
}

TEST(RunTimings, ReportGivesEveryPhaseInOrderAndTheirSum)
{
    HandClock clock;
    RunTimings timings(clock);
    clock.now = std::chrono::milliseconds(1500);
    timings.Enter(RunPhase::Starting);
    clock.now = std::chrono::milliseconds(2250);
    timings.Enter(RunPhase::Quitting);
    clock.now = std::chrono::milliseconds(2500);
    timings.Enter(RunPhase::Other);
    EXPECT_EQ(timings.Report(), "timings: prepare 1.500 s, start 0.750 s, open 0.000 s, post 0.000 s, "
                                "check 0.000 s, save 0.000 s, quit 0.250 s, other 0.000 s, total 2.500 s");
}

// A whole run on in-memory workbooks through the timed launcher, on a clock
// that moves one second at every reading.
class TimedRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(m_scratch.Path() + "/" + (table.pszWorkbookFile + 1), WorkbookFor(table.pItems()));
        m_clock.step = seconds(1);
    }

    int32_t Run(SpreadsheetLauncher &launcher, int32_t iCheckFlag)
    {
        TimedLauncher timed(launcher, m_timings);
        PassServices pass{m_user};
        pass.readLogFlag = [] { return 0; };
        pass.pProgress = &m_timings;
        RunServices services{pass, timed, [this](const std::string &, std::string &) -> ResultLibrary * { return &m_library; }, NoPause};
        std::string errorText;
        const int32_t iResult = ProcessResults(errorText, "/doe22", m_scratch.Path(), iCheckFlag, services);
        m_timings.Enter(RunPhase::Other);
        return iResult;
    }

    seconds Spent(RunPhase phase) const
    {
        return std::chrono::duration_cast<seconds>(m_timings.Spent(phase));
    }

    ScratchFolder m_scratch;
    std::shared_ptr<MemorySpreadsheet> m_state = std::make_shared<MemorySpreadsheet>();
    ConstantLibrary m_library;
    ScriptedUser m_user;
    HandClock m_clock;
    RunTimings m_timings{m_clock};
};

TEST_F(TimedRun, EveryStartOpenRoundSaveAndQuitIsItsOwnPhase)
{
    MemoryLauncher launcher(m_state);
    EXPECT_GT(Run(launcher, 1), 0);
    EXPECT_EQ(Spent(RunPhase::Starting), seconds(1));
    EXPECT_EQ(Spent(RunPhase::Opening), seconds(4));
    EXPECT_EQ(Spent(RunPhase::Posting), seconds(4));
    EXPECT_EQ(Spent(RunPhase::Checking), seconds(4));
    EXPECT_EQ(Spent(RunPhase::Saving), seconds(4));
    EXPECT_EQ(Spent(RunPhase::Quitting), seconds(1));
    EXPECT_EQ(m_state->Calls(SpreadsheetCall::Quit), 1);
}

TEST_F(TimedRun, ApplicationThatDoesNotStartHasOnlyItsStartTimed)
{
    MemoryLauncher launcher(m_state, MemoryLauncher::Outcome::NotStartable);
    EXPECT_EQ(Run(launcher, 1), -1);
    EXPECT_EQ(Spent(RunPhase::Starting), seconds(1));
    EXPECT_EQ(Spent(RunPhase::Opening) + Spent(RunPhase::Saving) + Spent(RunPhase::Quitting), seconds(0));
}

TEST_F(TimedRun, OpenThatFailsStillEndsItsPhaseAndIsReported)
{
    m_state->FailCall(SpreadsheetCall::Open, 1, InjectedFailure{InjectedKind::Dispatch, 0, 1004, "Cannot open"});
    MemoryLauncher launcher(m_state);
    EXPECT_EQ(Run(launcher, 1), 0);
    EXPECT_EQ(Spent(RunPhase::Opening), seconds(1));
    EXPECT_EQ(Spent(RunPhase::Saving), seconds(0));
    EXPECT_EQ(m_user.shown, std::vector<std::string>{
                                "COleDispatchException: COleDispatchException. SCODE: 000003ec, Description: \"Cannot open\"."});
}

class StillClock : public Stopwatch {
public:
    std::chrono::nanoseconds Now() override { return seconds(42); }
};

// gombrel-cli run with and without --timings over in-memory workbooks.
class CliRunTimings : public TimedRun {
protected:
    int RunCli(Arguments args)
    {
        std::istringstream in;
        RunConsole console{in, m_out, m_err, false, false};
        MemoryLauncher launcher(m_state);
        RunBackends backends{launcher, [this](const std::string &, std::string &) -> ResultLibrary * { return &m_library; },
                             m_still, SettingsFile(m_scratch / "gombrel.ini"), NoPause};
        return RunResultsCommand(args, console, backends);
    }

    StillClock m_still;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(CliRunTimings, OptionPrintsTheSplitOnStandardErrorAfterTheRun)
{
    EXPECT_EQ(RunCli({"--doe2", m_scratch.Path(), "--results", m_scratch.Path(), "--no-check", "--timings"}), 0);
    EXPECT_EQ(m_err.str(), "timings: prepare 0.000 s, start 0.000 s, open 0.000 s, post 0.000 s, check 0.000 s, "
                           "save 0.000 s, quit 0.000 s, other 0.000 s, total 0.000 s\n");
    EXPECT_NE(m_out.str().find("results successfully posted"), std::string::npos) << m_out.str();
}

TEST_F(CliRunTimings, NoSplitWithoutTheOptionNorForARunThatDidNotStart)
{
    EXPECT_EQ(RunCli({"--doe2", m_scratch.Path(), "--results", m_scratch.Path(), "--no-check"}), 0);
    EXPECT_EQ(m_err.str(), "");
    EXPECT_EQ(RunCli({"--doe2", m_scratch / "missing", "--results", m_scratch.Path(), "--timings"}), kExitUsage);
    EXPECT_EQ(m_err.str().find("timings:"), std::string::npos) << m_err.str();
}

}  // namespace
