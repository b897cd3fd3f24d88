// The early start over the in-memory spreadsheet: a run takes what was
// started early instead of starting its own, and starts its own, with the
// messages of a run that never had an early start, when there is nothing to
// take.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "EarlyStartLauncher.h"
#include "MappingTables.h"
#include "MemoryWorkbooks.h"
#include "PassTestSupport.h"
#include "ProcessResults.h"
#include "ScratchFolder.h"

namespace {

void NoPause(int) {}

// Starts each application on a spreadsheet state of its own, as each Calc
// is a process of its own; the nth start (from 1) ends as outcomes says (the
// last outcome once they run out).  Records every start and its thread.
class CountingLauncher : public SpreadsheetLauncher {
public:
    explicit CountingLauncher(std::vector<MemoryLauncher::Outcome> outcomes) : m_outcomes(std::move(outcomes)) {}

    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const size_t index = std::min(m_threads.size(), m_outcomes.size() - 1);
        m_threads.push_back(std::this_thread::get_id());
        states.push_back(std::make_shared<MemorySpreadsheet>());
        return MemoryLauncher(states.back(), m_outcomes[index]).StartApplication(application, messages);
    }

    size_t Starts() const { return m_threads.size(); }
    std::thread::id ThreadOfStart(size_t index) const { return m_threads.at(index); }

    std::vector<std::shared_ptr<MemorySpreadsheet>> states;  // one per start

private:
    std::mutex m_mutex;
    std::vector<MemoryLauncher::Outcome> m_outcomes;
    std::vector<std::thread::id> m_threads;
};

// The four workbooks in a scratch results folder; runs through a launcher
// with a result library that answers everything.
class EarlyStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(m_scratch.Path() + "/" + (table.pszWorkbookFile + 1), WorkbookFor(table.pItems()));
    }

    int32_t Run(SpreadsheetLauncher &launcher, ScriptedUser &user, std::string &strErrorText)
    {
        RunServices services{{user}, launcher, [this](const std::string &, std::string &) { return &m_library; },
                             NoPause};
        return ProcessResults(strErrorText, "/doe22", m_scratch.Path(), 1, services);
    }

    ScratchFolder m_scratch;
    ConstantLibrary m_library;
};

TEST_F(EarlyStartTest, RunTakesTheEarlyStartInsteadOfStartingItsOwn)
{
    CountingLauncher counting({MemoryLauncher::Outcome::Starts});
    EarlyStartLauncher early(counting);
    early.StartEarly();
    ASSERT_TRUE(early.WaitForEarlyStart());
    ASSERT_EQ(counting.Starts(), 1u);

    ScriptedUser user;
    std::string errorText;
    EXPECT_GT(Run(early, user, errorText), 0);
    EXPECT_EQ(counting.Starts(), 1u) << "the run started an application of its own";
    EXPECT_NE(counting.ThreadOfStart(0), std::this_thread::get_id()) << "the early start was not in the background";
    EXPECT_TRUE(counting.states[0]->HasQuit()) << "the run did not end the application it took";
    EXPECT_TRUE(user.shown.empty());
    EXPECT_EQ(errorText, "");
}

TEST_F(EarlyStartTest, ApplicationGoneSinceTheEarlyStartIsReplacedByTheRunsOwn)
{
    CountingLauncher counting({MemoryLauncher::Outcome::Starts});
    EarlyStartLauncher early(counting);
    early.StartEarly();
    ASSERT_TRUE(early.WaitForEarlyStart());
    counting.states[0]->Quit();  // every call now fails as to an application that has gone

    ScriptedUser user;
    std::string errorText;
    EXPECT_GT(Run(early, user, errorText), 0);
    ASSERT_EQ(counting.Starts(), 2u);
    EXPECT_EQ(counting.ThreadOfStart(1), std::this_thread::get_id());
    EXPECT_GT(counting.states[1]->CellsWritten(), 0);
    EXPECT_TRUE(user.shown.empty());
}

struct FailedStartCase {
    const char *pszName;
    std::vector<MemoryLauncher::Outcome> outcomes;  // of the early start, then of the run's own
};

void PrintTo(const FailedStartCase &failedCase, std::ostream *pStream) { *pStream << failedCase.pszName; }

class FailedEarlyStart : public EarlyStartTest, public ::testing::WithParamInterface<FailedStartCase> {};

// The run then goes exactly as a run without any early start: the same
// result, error text and messages, told once.
TEST_P(FailedEarlyStart, LeavesTheStartToTheRunWithTodaysMessages)
{
    CountingLauncher counting(GetParam().outcomes);
    EarlyStartLauncher early(counting);
    early.StartEarly();
    EXPECT_FALSE(early.WaitForEarlyStart());
    ScriptedUser user;
    std::string errorText;
    const int32_t iResult = Run(early, user, errorText);

    CountingLauncher plain({GetParam().outcomes.begin() + 1, GetParam().outcomes.end()});
    ScriptedUser plainUser;
    std::string plainErrorText;
    EXPECT_EQ(iResult, Run(plain, plainUser, plainErrorText));
    EXPECT_EQ(errorText, plainErrorText);
    EXPECT_EQ(user.shown, plainUser.shown);
    ASSERT_EQ(counting.Starts(), 2u);
    EXPECT_EQ(counting.ThreadOfStart(1), std::this_thread::get_id());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedEarlyStart,
    ::testing::Values(
        FailedStartCase{"NotInstalled", {MemoryLauncher::Outcome::NotInstalled, MemoryLauncher::Outcome::NotInstalled}},
        FailedStartCase{"NotStartable", {MemoryLauncher::Outcome::NotStartable, MemoryLauncher::Outcome::NotStartable}},
        FailedStartCase{"StartsForTheRun", {MemoryLauncher::Outcome::NotStartable, MemoryLauncher::Outcome::Starts}}),
    [](const ::testing::TestParamInfo<FailedStartCase> &info) { return std::string(info.param.pszName); });

TEST(EarlyStartLauncher, GoingEndsTheApplicationNobodyTook)
{
    CountingLauncher counting({MemoryLauncher::Outcome::Starts});
    {
        EarlyStartLauncher early(counting);
        early.StartEarly();
        early.StartEarly();  // one is under way or ready: nothing more
    }
    ASSERT_EQ(counting.Starts(), 1u);
    EXPECT_TRUE(counting.states[0]->HasQuit());
}

TEST(EarlyStartLauncher, NeverAskedToStartEarlyIsTheLauncherItWraps)
{
    CountingLauncher counting({MemoryLauncher::Outcome::NotInstalled});
    ScriptedUser user;
    {
        EarlyStartLauncher early(counting);
        EXPECT_FALSE(early.WaitForEarlyStart());
        DispatchHolder<Application> application;
        EXPECT_FALSE(early.StartApplication(application, user));
    }
    ASSERT_EQ(counting.Starts(), 1u);
    EXPECT_EQ(counting.ThreadOfStart(0), std::this_thread::get_id());
    EXPECT_EQ(user.shown.size(), 1u);
}

}  // namespace
