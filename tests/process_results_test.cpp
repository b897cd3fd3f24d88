#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "CellAction.h"
#include "EvaluateItemValue.h"
#include "MappingTables.h"
#include "MemoryWorkbooks.h"
#include "PassTestSupport.h"
#include "Paths.h"
#include "ProcessResults.h"
#include "ScratchFolder.h"

namespace {

void NoPause(int) {}

// The cells a call in the in-memory spreadsheet's log wrote: one for a
// PutValue2, those of its area for a PutValues ("PutValues A!C65:C67").
int64_t CellsWrittenBy(const std::string &strCall)
{
    if (strCall.rfind("PutValue2 ", 0) == 0)
        return 1;
    if (strCall.rfind("PutValues ", 0) != 0)
        return 0;
    const size_t sheetEnd = strCall.rfind('!'), colon = strCall.rfind(':');
    CellArea area;
    if (!ParseCellAddress(strCall.substr(sheetEnd + 1, colon - sheetEnd - 1), area.first) ||
        !ParseCellAddress(strCall.substr(colon + 1), area.last))
        return 0;
    return area.CellCount();
}

// Answers every request in full, each value telling its request apart (the
// result or series, the place, the project), so that a value that lands in
// another record's cell shows.
class DistinctLibrary : public ResultLibrary {
public:
    int32_t GetMultipleResult(const char *, const char *pszProjectPath, int32_t, float *pfValues, int32_t iValueCount,
                              int32_t iRequestCount, const D2R_ResultRequest *pRequests) override
    {
        const int32_t perRequest = iValueCount / iRequestCount;
        for (int32_t i = 0; i < iValueCount; ++i)
            pfValues[i] = Mixed(pszProjectPath, pRequests[i / perRequest].iResultId, i % perRequest);
        return iValueCount;
    }
    int32_t GetMultipleHourlyResult(const char *, const char *pszProjectPath, int32_t, float *pfValues,
                                    int32_t iValueCount, int32_t, const D2R_HourlyRequest *pRequests) override
    {
        for (int32_t i = 0; i < iValueCount; ++i)
            pfValues[i] = Mixed(pszProjectPath, pRequests[i / kHoursPerYear].iVariable, i % kHoursPerYear);
        return iValueCount;
    }
    int32_t GetSingleHourlyResult(const char *, const char *pszProjectPath, int32_t, int32_t iListId,
                                  int32_t iVariable, float *pfValues, int32_t iValueCount, const char *,
                                  const D2R_HourlyFilter *pFilter) override
    {
        for (int32_t i = 0; i < iValueCount; ++i)
            pfValues[i] = Mixed(pszProjectPath, iListId * 1000 + iVariable, pFilter ? pFilter->iStartMonth : i);
        return iValueCount;
    }

private:
    static float Mixed(const std::string &strProject, int32_t iWhat, int32_t iPlace)
    {
        const uint32_t hash = static_cast<uint32_t>(std::hash<std::string>()(strProject)) ^
                              (static_cast<uint32_t>(iWhat) * 2654435761u) ^ (static_cast<uint32_t>(iPlace) * 40503u);
        // Within what the derived series (relative humidity) can take.
        return static_cast<float>(hash % 100000u) / 1000.0f + 0.5f;
    }
};

// Records the workbooks a run starts, and tells onWorkbook of each (by its
// step, from 0).
class RecordedProgress : public RunProgress {
public:
    std::vector<std::string> workbooks;
    int iRounds = 0;
    std::function<void(size_t)> onWorkbook = [](size_t) {};
    void WorkbookStarted(const std::string &strWorkbookPath) override
    {
        workbooks.push_back(strWorkbookPath);
        onWorkbook(workbooks.size() - 1);
    }
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
    std::string WorkbookPath(size_t step) const
    {
        return m_scratch.Path() + NativeName(g_aMappingTables[step].pszWorkbookFile);
    }

    int32_t Run(const std::string &strDoe2Folder, int32_t iCheckFlag = 0)
    {
        return ProcessResults(m_errorText, strDoe2Folder, m_scratch.Path(), iCheckFlag, m_services);
    }

    int Calls(SpreadsheetCall call) const { return m_state->Calls(call); }

    // Each pass writes its cells one by one in the records' order, as it
    // does when the application refuses its first block, so that the nth
    // PutValue2 is the nth cell of the run.
    void OneCellAtATime()
    {
        for (int pass = 1; pass <= 4; ++pass)
            m_state->FailCall(SpreadsheetCall::PutValues, pass, InjectedFailure{});
    }

    // A run whose first workbook takes no cell.
    void FirstCellFails()
    {
        OneCellAtATime();
        m_state->FailCall(SpreadsheetCall::PutValue2, 1, InjectedFailure{});
    }

    ScratchFolder m_scratch;
    std::shared_ptr<MemorySpreadsheet> m_state = std::make_shared<MemorySpreadsheet>();
    MemoryLauncher m_launcher{m_state};
    UnsteadyLibrary m_library;
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
    OneCellAtATime();
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
    EXPECT_EQ(m_errorText, "");
    EXPECT_EQ(m_user.shown, std::vector<std::string>{});
    EXPECT_GT(iTotal, 2000);
    EXPECT_EQ(m_errorText, "");
    EXPECT_EQ(m_state->CellsWritten(), iTotal);
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
    FirstCellFails();
    EXPECT_EQ(Run("/doe22"), 0);
    EXPECT_EQ(ReadWholeFile(m_scratch / "GombrelApp Dbg.txt").find("an older run"), std::string::npos);
}

// The workbook a table leaves when each of its records' values is written
// into its cell alone, in the records' order, as the pass used to write
// them: the reference for a run that writes blocks.
std::string OneCellAtATimeWorkbook(const MappingTable &table, ResultLibrary &library, const std::string &strResultsFolder,
                                   const std::string &strFolder)
{
    const std::string path = strFolder + "/reference.xls";
    WriteWholeFile(path, WorkbookFor(table.pItems()));
    const std::unique_ptr<Application> application = MakeMemoryApplication(std::make_shared<MemorySpreadsheet>());
    const std::unique_ptr<Workbook> workbook = application->GetWorkbooks()->Open(path);
    const std::unique_ptr<Worksheets> sheets = workbook->GetWorksheets();
    std::unique_ptr<Worksheet> sheet;
    ResultAccess access(&library, NoPause);
    for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item) {
        if (item->iAction == GOMBREL_ACTION_SELECT_SHEET) {
            sheet = sheets->Item(item->psItemString);
            continue;
        }
        ItemValue value;
        std::string failure;
        EvaluateItemValue(access, *item, "/doe22\\", strResultsFolder, failure, value);
        EXPECT_EQ(failure, "");
        if (value.bSkip || !IsEvaluatedInRound(*item))
            continue;
        const std::string cell = CellName(*item);
        if (PostsText(*item, value))
            sheet->GetRange(cell, cell)->PutValue2(value.strText);
        else
            sheet->GetRange(cell, cell)->PutValue2(value.dNumber);
    }
    workbook->Save();
    return ReadWholeFile(path);
}

// A run over the four tables, writing and reading blocks, leaves every
// value in its own cell, as one-cell writes in the records' order leave
// them, and confirms them all in the first checking round.
TEST_F(ProcessResultsTest, BlocksLeaveTheWorkbooksThatOneCellAtATimeLeaves)
{
    DistinctLibrary library;
    m_pBound = &library;
    m_iLogFlag = 1;
    const int32_t iTotal = Run("/doe22", 1);
    EXPECT_EQ(m_errorText, "");
    EXPECT_EQ(m_user.shown, std::vector<std::string>{});
    EXPECT_GT(iTotal, 2000);
    EXPECT_GT(Calls(SpreadsheetCall::PutValues), 40);
    EXPECT_LT(Calls(SpreadsheetCall::PutValue2), 10);
    EXPECT_EQ(m_state->CellsWritten(), iTotal);
    EXPECT_EQ(ReadWholeFile(m_scratch / "GombrelApp Dbg.txt").find("Round 2"), std::string::npos);
    const ScratchFolder reference("reference-workbooks");
    for (const MappingTable &table : g_aMappingTables)
        EXPECT_EQ(ReadWholeFile(m_scratch.Path() + NativeName(table.pszWorkbookFile)),
                  OneCellAtATimeWorkbook(table, library, m_scratch.Path(), reference.Path()))
            << table.pszWorkbookFile;
}

// What can go wrong in a run, met in the pass over one workbook.  A failure
// shown in a pass, after which the run goes on or not, is covered by the
// tests of gombrel-cli run, which read the outcome whole.
enum class Trouble {
    None,
    ResultsRunDry,   // the result library answers nothing from the pass's twentieth read on
    WriteCancelled,  // the workbook cannot be written, and the question is answered Cancel
};

struct ExpectedProblem {
    int iStep;  // the workbook's step; -1: before the first workbook
    const char *pszTextStart;
    bool bStopped;
};

struct OutcomeCase {
    const char *pszName;
    Trouble trouble;
    size_t uStep;                // the workbook where it is met
    std::vector<size_t> posted;  // the steps of the workbooks posted whole
    std::vector<ExpectedProblem> problems;
};

class RunOutcomes : public ProcessResultsTest, public ::testing::WithParamInterface<OutcomeCase> {
protected:
    void Arrange()
    {
        const size_t uStep = GetParam().uStep;
        switch (GetParam().trouble) {
        case Trouble::None:
            // Left from an earlier run: every run tells only of itself.
            m_services.outcome.problems.push_back({"stale", "an earlier run", true});
            break;
        case Trouble::ResultsRunDry:
            m_progress.onWorkbook = [this, uStep](size_t step) {
                if (step == uStep)
                    m_library.iAnswersLeft = 20;
            };
            break;
        case Trouble::WriteCancelled:
            m_services.pass.probeFile = [this, uStep](const std::string &strPath, const char *pszMode) {
                return !(strPath == WorkbookPath(uStep) && std::string(pszMode) == "r+b") &&
                       OpenAndClose(strPath, pszMode);
            };
            break;
        }
    }
};

TEST_P(RunOutcomes, TellWhichWorkbooksWerePostedWholeAndWhatWentWrong)
{
    Arrange();
    const int32_t iTotal = Run("/doe22", 1);
    const RunOutcome &outcome = m_services.outcome;
    std::vector<std::string> posted;
    for (size_t step : GetParam().posted)
        posted.push_back(WorkbookPath(step));
    EXPECT_EQ(outcome.postedWorkbooks, posted);
    ASSERT_EQ(outcome.problems.size(), GetParam().problems.size());
    for (size_t i = 0; i < outcome.problems.size(); ++i) {
        const RunProblem &problem = outcome.problems[i];
        const ExpectedProblem &expected = GetParam().problems[i];
        EXPECT_EQ(problem.strWorkbookPath, expected.iStep < 0 ? "" : WorkbookPath(expected.iStep));
        EXPECT_EQ(problem.strText.rfind(expected.pszTextStart, 0), 0u) << problem.strText;
        EXPECT_EQ(problem.bStopped, expected.bStopped);
    }
    EXPECT_EQ(outcome.IsWhole(), GetParam().problems.empty());
    // Partial or not, the count and the error text are what they always were.
    EXPECT_GT(iTotal, 0);
    EXPECT_EQ(m_errorText.empty(), GetParam().trouble != Trouble::ResultsRunDry &&
                                       GetParam().trouble != Trouble::WriteCancelled);
}

INSTANTIATE_TEST_SUITE_P(
    Troubles, RunOutcomes,
    ::testing::Values(
        OutcomeCase{"Whole", Trouble::None, 0, {0, 1, 2, 3}, {}},
        // The next pass, given the error text, visits no record: the run
        // stopped where the results ran dry, and only there.
        OutcomeCase{"ResultsRunDryInTheSecond", Trouble::ResultsRunDry, 1, {0}, {{1, "Error retri", true}}},
        OutcomeCase{"ResultsRunDryInTheLast", Trouble::ResultsRunDry, 3, {0, 1, 2}, {{3, "Error retri", true}}},
        OutcomeCase{"SecondWriteCancelled", Trouble::WriteCancelled, 1, {0},
                    {{1, "Unable to open (for writing) DOE-2 Results spreadsheet file  '", true}}}),
    [](const ::testing::TestParamInfo<OutcomeCase> &info) { return info.param.pszName; });

struct FolderCase {
    const char *pszName;
    const char *pszTyped;
    const char *pszHandedOn;
};

class Doe2Folder : public ProcessResultsTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(Doe2Folder, IsCompletedWithTheNativeSeparator)
{
    FirstCellFails();
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
    FirstCellFails();
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
    EXPECT_EQ(m_state->CellsWritten(), 0);
    EXPECT_EQ(Calls(SpreadsheetCall::Quit), 1);
    // Told once, as what stopped the run before any workbook was posted.
    ASSERT_EQ(m_services.outcome.problems.size(), 1u);
    EXPECT_EQ(m_services.outcome.problems[0].strWorkbookPath, "");
    EXPECT_EQ(m_services.outcome.problems[0].strText, m_errorText);
    EXPECT_TRUE(m_services.outcome.problems[0].bStopped);
    EXPECT_TRUE(m_services.outcome.postedWorkbooks.empty());
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
    int64_t firstPassWrites = 0;
    for (auto call = firstOpen; call != secondOpen; ++call)
        firstPassWrites += CellsWrittenBy(*call);
    EXPECT_GT(firstPassWrites, 0);
    EXPECT_EQ(iTotal, firstPassWrites);
    EXPECT_LT(iTotal, m_state->CellsWritten());
    EXPECT_EQ(m_user.shown, std::vector<std::string>{"COleException: COleException. SCODE: 80010108."});
    EXPECT_EQ(Calls(SpreadsheetCall::Open), 2);
    EXPECT_EQ(m_errorText, "");
}

TEST_F(ProcessResultsTest, FirstSaveThatFailsLeavesNothingPosted)
{
    m_state->FailCall(SpreadsheetCall::Save, 1, InjectedFailure{InjectedKind::Ole, kStatusDisconnected, 0, ""});
    EXPECT_EQ(Run("/doe22"), 0);
    EXPECT_GT(m_state->CellsWritten(), 0);
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
    ASSERT_EQ(services.outcome.problems.size(), 1u);
    EXPECT_EQ(services.outcome.problems[0].strText, m_errorText);
    EXPECT_EQ(services.outcome.problems[0].strWorkbookPath, "");
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
    ASSERT_EQ(m_services.outcome.problems.size(), 1u);
    EXPECT_EQ(m_services.outcome.problems[0].strText, m_errorText);
    EXPECT_TRUE(m_services.outcome.problems[0].bStopped);
    EXPECT_TRUE(m_library.folders.empty());
}

}  // namespace
