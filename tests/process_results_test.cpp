#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "MappingTables.h"
#include "MemoryWorkbooks.h"
#include "PassTestSupport.h"
#include "Paths.h"
#include "ProcessResults.h"
#include "ScratchFolder.h"

namespace {

void NoPause(int) {}

// Records the workbooks a run starts.
class RecordedProgress : public RunProgress {
public:
    std::vector<std::string> workbooks;
    int iRounds = 0;
    void WorkbookStarted(const std::string &strWorkbookPath) override { workbooks.push_back(strWorkbookPath); }
    void RoundStarted(int32_t, bool) override { ++iRounds; }
};

// The four workbooks in a scratch results folder, an in-memory spreadsheet
// and a library bound by the run's binder.
class ProcessResultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(m_scratch.Path() + NativeName(table.pszWorkbookFile), WorkbookFor(table.pItems()));
        m_services.pass.readLogFlag = [this] { return m_iLogFlag; };
        m_services.pass.pProgress = &m_progress;
    }

    static std::string NativeName(const char *pszFile) { return NativePath(pszFile); }

    int32_t Run(const std::string &strDoe2Folder, int32_t iCheckFlag = 0)
    {
        return ProcessResults(m_errorText, strDoe2Folder, m_scratch.Path(), iCheckFlag, m_services);
    }

    int Calls(SpreadsheetCall call) const { return m_state->Calls(call); }

    ScratchFolder m_scratch;
    std::shared_ptr<MemorySpreadsheet> m_state = std::make_shared<MemorySpreadsheet>();
    MemoryLauncher m_launcher{m_state};
    ConstantLibrary m_library;
    ResultLibrary *m_pBound = &m_library;
    ScriptedUser m_user;
    RecordedProgress m_progress;
    RunServices m_services{{m_user},
                           m_launcher,
                           [this](const std::string &, std::string &) { return m_pBound; },
                           NoPause};
    int32_t m_iLogFlag = 0;
    std::string m_errorText;
};

struct CountsCase {
    const char *pszName;
    std::vector<int> counts;  // cells each pass writes before it fails (the last pass writes none)
    int32_t iTotal;
    int iWorkbooksOpened;
};

class PassCounts : public ProcessResultsTest, public ::testing::WithParamInterface<CountsCase> {};

TEST_P(PassCounts, AddUpUntilThePassThatWritesNothing)
{
    // Each pass writes its count of cells and then meets a failing write,
    // which ends it with that count.
    int iWrite = 0;
    for (int count : GetParam().counts) {
        iWrite += count + 1;
        m_state->FailCall(SpreadsheetCall::PutValue2, iWrite, InjectedFailure{});
    }
    EXPECT_EQ(Run("/doe22"), GetParam().iTotal);
    EXPECT_EQ(Calls(SpreadsheetCall::Open), GetParam().iWorkbooksOpened);
    EXPECT_EQ(Calls(SpreadsheetCall::Quit), 1);
    EXPECT_EQ(m_errorText, "");
}

INSTANTIATE_TEST_SUITE_P(Runs, PassCounts,
                         ::testing::Values(CountsCase{"AllFour", {5, 6, 7, 8}, 26, 4},
                                           CountsCase{"LastEmpty", {5, 6, 7, 0}, 18, 4},
                                           CountsCase{"SecondEmpty", {5, 0}, 5, 2},
                                           CountsCase{"FirstEmpty", {0}, 0, 1}),
                         [](const ::testing::TestParamInfo<CountsCase> &info) { return info.param.pszName; });

TEST_F(ProcessResultsTest, FullRunPostsEveryWorkbookIntoOneLog)
{
    m_iLogFlag = 1;
    const int32_t iTotal = Run("/doe22", 1);
    EXPECT_GT(iTotal, 2000);
    EXPECT_EQ(m_errorText, "");
    EXPECT_EQ(Calls(SpreadsheetCall::PutValue2), iTotal);
    EXPECT_EQ(Calls(SpreadsheetCall::Save), 4);
    EXPECT_EQ(m_progress.workbooks.size(), 4u);
    EXPECT_EQ(m_progress.iRounds, 8);
    const std::string log = ReadWholeFile(m_scratch / "GombrelApp Dbg.txt");
    size_t sections = 0;
    for (const MappingTable &table : g_aMappingTables) {
        const std::string header = "Posting results to:  '" + m_scratch.Path() + NativeName(table.pszWorkbookFile) + "'\n";
        const size_t at = log.find(header);
        ASSERT_NE(at, std::string::npos) << header;
        EXPECT_EQ(at == 0 ? "" : log.substr(at - 3, 3), at == 0 ? "" : "\n\n\n");
        ++sections;
    }
    EXPECT_EQ(log.find("Posting results to:"), 0u);
    EXPECT_EQ(sections, 4u);
}

TEST_F(ProcessResultsTest, SecondRunStartsTheLogAnew)
{
    m_iLogFlag = 1;
    WriteWholeFile(m_scratch / "GombrelApp Dbg.txt", "an older run\n");
    m_state->FailCall(SpreadsheetCall::PutValue2, 1, InjectedFailure{});
    EXPECT_EQ(Run("/doe22"), 0);
    EXPECT_EQ(ReadWholeFile(m_scratch / "GombrelApp Dbg.txt").find("an older run"), std::string::npos);
}

struct FolderCase {
    const char *pszName;
    const char *pszTyped;
    const char *pszHandedOn;
};

class Doe2Folder : public ProcessResultsTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(Doe2Folder, IsCompletedWithTheNativeSeparator)
{
    m_state->FailCall(SpreadsheetCall::PutValue2, 1, InjectedFailure{});
    Run(GetParam().pszTyped);
    EXPECT_EQ(m_library.folders, std::set<std::string>{NativePath(GetParam().pszHandedOn)});
}

INSTANTIATE_TEST_SUITE_P(Typed, Doe2Folder,
                         ::testing::Values(FolderCase{"WithoutSeparator", "/opt/doe22", "/opt/doe22\\"},
                                           FolderCase{"WithSeparator", "/opt/doe22/", "/opt/doe22/"},
                                           FolderCase{"Empty", "", ""}),
                         [](const ::testing::TestParamInfo<FolderCase> &info) { return info.param.pszName; });

TEST_F(ProcessResultsTest, ResultsFolderIsUsedAsTyped)
{
    m_state->FailCall(SpreadsheetCall::PutValue2, 1, InjectedFailure{});
    ProcessResults(m_errorText, "/doe22", m_scratch.Path() + "/", 0, m_services);
    const std::string workbook = m_scratch.Path() + "/" + NativePath("\\Std140Sec5-2.xls");
    EXPECT_EQ(m_progress.workbooks, std::vector<std::string>{workbook});
    EXPECT_NE(std::find(m_state->CallLog().begin(), m_state->CallLog().end(),
                        "Open " + workbook),
              m_state->CallLog().end());
}

TEST_F(ProcessResultsTest, FailedPreCheckEndsAfterTheFirstWorkbook)
{
    FakeResultLibrary empty;
    empty.answer = FakeResultLibrary::Answer::Nothing;
    m_pBound = &empty;
    EXPECT_EQ(Run("/doe22", 1), 0);
    std::string description;
    DescribeGombrelData(Std140Sec5_3BItems()[1], description);
    EXPECT_EQ(m_errorText, "Error retrieving entire year of hourly results for " + description);
    EXPECT_EQ(Calls(SpreadsheetCall::Open), 1);
    EXPECT_EQ(Calls(SpreadsheetCall::Save), 1);
    EXPECT_EQ(Calls(SpreadsheetCall::PutValue2), 0);
    EXPECT_EQ(Calls(SpreadsheetCall::Quit), 1);
}

TEST_F(ProcessResultsTest, SaveThatFailsCountsNothingAndEndsTheRun)
{
    // The second workbook's save fails after its cells were written: only
    // the first workbook's cells reached a file.
    m_state->FailCall(SpreadsheetCall::Save, 2, InjectedFailure{InjectedKind::Ole, kStatusDisconnected, 0, ""});
    const int32_t iTotal = Run("/doe22");
    const std::vector<std::string> &calls = m_state->CallLog();
    const auto isOpen = [](const std::string &strCall) { return strCall.rfind("Open ", 0) == 0; };
    const auto firstOpen = std::find_if(calls.begin(), calls.end(), isOpen);
    ASSERT_NE(firstOpen, calls.end());
    const auto secondOpen = std::find_if(firstOpen + 1, calls.end(), isOpen);
    ASSERT_NE(secondOpen, calls.end());
    const auto firstPassWrites = std::count_if(firstOpen, secondOpen, [](const std::string &strCall) {
        return strCall.rfind("PutValue2 ", 0) == 0;
    });
    EXPECT_GT(firstPassWrites, 0);
    EXPECT_EQ(iTotal, firstPassWrites);
    EXPECT_LT(iTotal, Calls(SpreadsheetCall::PutValue2));
    EXPECT_EQ(m_user.shown, std::vector<std::string>{"COleException: COleException. SCODE: 80010108."});
    EXPECT_EQ(Calls(SpreadsheetCall::Open), 2);
    EXPECT_EQ(m_errorText, "");
}

TEST_F(ProcessResultsTest, FirstSaveThatFailsLeavesNothingPosted)
{
    m_state->FailCall(SpreadsheetCall::Save, 1, InjectedFailure{InjectedKind::Ole, kStatusDisconnected, 0, ""});
    EXPECT_EQ(Run("/doe22"), 0);
    EXPECT_GT(Calls(SpreadsheetCall::PutValue2), 0);
    EXPECT_EQ(Calls(SpreadsheetCall::Open), 1);
}

struct AbsentCase {
    const char *pszName;
    MemoryLauncher::Outcome outcome;
    bool bPreCheckFails;
    size_t uBoxes;
};

class SpreadsheetAbsent : public ProcessResultsTest, public ::testing::WithParamInterface<AbsentCase> {};

TEST_P(SpreadsheetAbsent, GivesMinusOneWithItsOwnText)
{
    MemoryLauncher launcher(m_state, GetParam().outcome);
    RunServices services{m_services.pass, launcher, m_services.bindResultLibrary, NoPause};
    FakeResultLibrary empty;
    empty.answer = FakeResultLibrary::Answer::Nothing;
    if (GetParam().bPreCheckFails)
        m_pBound = &empty;
    EXPECT_EQ(ProcessResults(m_errorText, "/doe22", m_scratch.Path(), 1, services), -1);
    EXPECT_EQ(m_errorText, "Error encountered attempting to open Excel");
    EXPECT_EQ(m_user.shown.size(), GetParam().uBoxes);
    EXPECT_TRUE(m_state->CallLog().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Launchers, SpreadsheetAbsent,
    ::testing::Values(AbsentCase{"NotInstalled", MemoryLauncher::Outcome::NotInstalled, false, 1},
                      AbsentCase{"NotInstalledAfterFailedPreCheck", MemoryLauncher::Outcome::NotInstalled, true, 1},
                      AbsentCase{"NotStartable", MemoryLauncher::Outcome::NotStartable, false, 0}),
    [](const ::testing::TestParamInfo<AbsentCase> &info) { return info.param.pszName; });

TEST_F(ProcessResultsTest, UnboundLibraryStopsBeforeAnythingElse)
{
    m_services.bindResultLibrary = [](const std::string &strDoe2Folder, std::string &strFailure) {
        strFailure = "no result library for " + strDoe2Folder;
        return static_cast<ResultLibrary *>(nullptr);
    };
    EXPECT_EQ(Run("/doe22"), 0);
    EXPECT_EQ(m_errorText, "no result library for " + NativePath("/doe22\\"));
    EXPECT_TRUE(m_state->CallLog().empty());
    EXPECT_TRUE(m_library.folders.empty());
}

}  // namespace
