#include <gtest/gtest.h>

#include <memory>

#include "MemoryWorkbooks.h"
#include "PassTestSupport.h"
#include "PostToSpreadsheet.h"
#include "FormatText.h"
#include "ScratchFolder.h"

namespace {

constexpr int32_t kResultA = 2101002;
constexpr int32_t kResultB = 2101003;
constexpr int32_t kNoRecord = -1;

void NoPause(int) {}

// A workbook with sheets "A" and "B" in a scratch folder, an in-memory
// spreadsheet on it and the drifting fake library bound.
class PostToSpreadsheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile(m_workbookPath, "gombrel-memory-workbook 1\nsheet\tA\nsheet\tB\n");
        m_library.SetResult(kResultA, {2.5f});
        m_library.SetResult(kResultB, {-7.0f});
        m_services.readLogFlag = [this] { return m_iLogFlag; };
    }

    // One pass over records (ended here).
    int32_t Post(std::vector<GombrelData> records, int32_t iCheckFlag, int32_t iAppend = 0)
    {
        records.push_back(kDefaultGombrelData);
        const PostingRequest request = PassRequest(m_scratch.Path(), m_workbookPath, records.data(), iCheckFlag,
                                                   iAppend);
        ResultAccess access(&m_library, NoPause);
        return PostToSpreadsheet(*m_application, request, access, m_errorText, m_services);
    }

    // The saved workbook's cell on sheet A as "number:2.5", "text:x" or "none".
    std::string SavedCell(const std::string &strCell, const std::string &strSheet = "A") const
    {
        MemoryBook book;
        std::string failure;
        EXPECT_TRUE(LoadMemoryBook(m_workbookPath, book, failure)) << failure;
        CellAddress address;
        EXPECT_TRUE(ParseCellAddress(strCell, address));
        for (const MemorySheet &sheet : book.sheets) {
            if (sheet.strName != strSheet)
                continue;
            const auto found = sheet.cells.find(address);
            if (found == sheet.cells.end())
                return "none";
            if (found->second.kind == MemoryCell::Kind::Number)
                return "number:" + FormatText("%g", found->second.dNumber);
            return "text:" + found->second.strText;
        }
        return "no sheet";
    }

    std::string Log() const { return ReadWholeFile(m_scratch / "GombrelApp Dbg.txt"); }
    // The one box of a failure in the rounds at the cell of sheet A.
    std::vector<std::string> RoundsFailureAt(const std::string &strCell) const
    {
        return {"Gombrel: Error interfacing with Excel spreadsheet:\n   " + m_workbookPath + "\n      tab: A\n      cell: " +
                strCell + "\n      property: (tab selection)"};
    }
    int Calls(SpreadsheetCall call) const { return m_state->Calls(call); }

    ScratchFolder m_scratch;
    std::string m_workbookPath = m_scratch / "Std140Sec5-2.xls";
    std::shared_ptr<MemorySpreadsheet> m_state = std::make_shared<MemorySpreadsheet>();
    std::unique_ptr<Application> m_application = MakeMemoryApplication(m_state);
    DriftingLibrary m_library;
    ScriptedUser m_user;
    PassServices m_services{m_user};
    int32_t m_iLogFlag = 1;
    std::string m_errorText;
};

std::string Header(const std::string &strPath) { return "Posting results to:  '" + strPath + "'\n"; }

TEST_F(PostToSpreadsheetTest, OneRoundWithoutCheckFlag)
{
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 65, kResultA)}, 0), 1);
    EXPECT_EQ(m_errorText, "");
    EXPECT_EQ(SavedCell("C65"), "number:2.5");
    EXPECT_EQ(Log(), Header(m_workbookPath) +
                         "Round 1 - POSTING to XLS:\n"
                         "   Switching to tab 'A'\n"
                         "      cell    C65:  Posting Value = 2.5\n");
    EXPECT_EQ(Calls(SpreadsheetCall::Save), 1);
    EXPECT_EQ(m_state->CellsRead(), 0);
    EXPECT_EQ(m_state->CallLog().at(1), "RegisterXLL /memory/library\\Analysis\\Analys32.xll");
    EXPECT_TRUE(m_user.shown.empty());
    // Nothing was read back, so nothing was confirmed.
    EXPECT_FALSE(m_services.outcome.bConfirmed);
    EXPECT_EQ(m_services.outcome.strFailureShown, "");
}

TEST_F(PostToSpreadsheetTest, TwoRoundsWhenAllAgree)
{
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 65, kResultA), NumberRecord("D", 7, kResultB)}, 1), 2);
    EXPECT_EQ(Log(), Header(m_workbookPath) +
                         "Round 1 - POSTING to XLS:\n"
                         "   Switching to tab 'A'\n"
                         "      cell    C65:  Posting Value = 2.5\n"
                         "      cell     D7:  Posting Value = -7\n"
                         "Round 1 - CHECKING XLS Values:\n"
                         "   Switching to tab 'A'\n"
                         "      cell    C65:  Cell Value (2.5)  ==  DOE-2 Result (2.5)\n"
                         "      cell     D7:  Cell Value (-7)  ==  DOE-2 Result (-7)\n");
    EXPECT_TRUE(m_services.outcome.bConfirmed);
}

TEST_F(PostToSpreadsheetTest, MismatchFailsTheCheckButTheRestOfTheTableIsStillEvaluated)
{
    m_library.drift = {1, 2, 3};
    const std::vector<GombrelData> table = {SheetRecord("A"), NumberRecord("C", 5, DriftingLibrary::kDriftingResult),
                                            SheetRecord("B"), NumberRecord("C", 6, kResultA)};
    EXPECT_EQ(Post(table, 1), 2 * 2);
    const std::string log = Log();
    const std::string firstCheck = "Round 1 - CHECKING XLS Values:\n"
                                   "   Switching to tab 'A'\n"
                                   "      cell     C5:  Cell Value (1)  NOT EQUAL to  DOE-2 Result (2)\n"
                                   "   Switching to tab 'B'\n"
                                   "Round 2 - POSTING to XLS:\n";
    EXPECT_NE(log.find(firstCheck), std::string::npos) << log;
    // C6 is read in every round, the failed check included.
    EXPECT_EQ(m_library.calls.size(), 4u);
    EXPECT_EQ(SavedCell("C6", "B"), "number:2.5");
    // The second checking round agreed: only the last one counts.
    EXPECT_TRUE(m_services.outcome.bConfirmed);
}

TEST_F(PostToSpreadsheetTest, PersistentMismatchEndsAfterTenRounds)
{
    m_library.drift = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, DriftingLibrary::kDriftingResult),
                    NumberRecord("C", 6, kResultA)},
                   1),
              5 * 2);
    const std::string log = Log();
    EXPECT_NE(log.find("Round 5 - CHECKING XLS Values:\n"), std::string::npos);
    EXPECT_EQ(log.find("Round 6"), std::string::npos);
    EXPECT_NE(log.find("cell     C5:  Cell Value (9)  NOT EQUAL to  DOE-2 Result (10)\n"), std::string::npos);
    EXPECT_FALSE(m_services.outcome.bConfirmed);
    EXPECT_EQ(m_services.outcome.strFailureShown, "");
    // After the mismatch no further cell of the round is compared; both
    // cells are read in one call a checking round.
    EXPECT_EQ(log.find("cell     C6:  Cell Value"), std::string::npos);
    EXPECT_EQ(Calls(SpreadsheetCall::GetValues), 5);
    EXPECT_EQ(Calls(SpreadsheetCall::GetValue2), 0);
    EXPECT_EQ(SavedCell("C5"), "number:9");
}

struct ToleranceCase {
    const char *pszName;
    float fPosted;
    float fComputed;
    int32_t iExpectedCount;
    const char *pszVerdict;
};

class PostedTolerance : public PostToSpreadsheetTest, public ::testing::WithParamInterface<ToleranceCase> {};

TEST_P(PostedTolerance, ConfirmsWithinOneThousandth)
{
    m_library.drift = {GetParam().fPosted, GetParam().fComputed};
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, DriftingLibrary::kDriftingResult)}, 1),
              GetParam().iExpectedCount);
    EXPECT_NE(Log().find(GetParam().pszVerdict), std::string::npos) << Log();
}

INSTANTIATE_TEST_SUITE_P(
    Values, PostedTolerance,
    ::testing::Values(ToleranceCase{"JustInside", 100.09f, 100.0f, 1, "Cell Value (100.09)  ==  DOE-2 Result (100)"},
                      ToleranceCase{"JustOutside", 100.11f, 100.0f, 2,
                                    "Cell Value (100.11)  NOT EQUAL to  DOE-2 Result (100)"},
                      ToleranceCase{"NearZero", 0.0f, 0.00005f, 1, "Cell Value (0)  ==  DOE-2 Result (5e-05)"}),
    [](const ::testing::TestParamInfo<ToleranceCase> &info) { return info.param.pszName; });

TEST_F(PostToSpreadsheetTest, TextCellComparesAsItsLeadingNumber)
{
    // A number posted into C5 and then overwritten by the month-and-day text
    // "3/15" of the same cell: the check reads the text as 3.
    m_library.SetResult(kResultA, {3.0f});
    m_library.SetResult(5001, {1, 2, 9, 4, 5, 6, 7, 8, 1, 2, 3, 4});
    m_library.SetResult(5002, {0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    GombrelData date = ActionRecord("C", 5, GOMBREL_ACTION_TEXT, "MonthDateOfMax");
    date.iNHRListID = 5001;
    date.iNHRListID_Special = 5002;
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA), date}, 1), 2);
    EXPECT_EQ(SavedCell("C5"), "text:3/15");
    EXPECT_NE(Log().find("cell     C5:  Cell Value (3)  ==  DOE-2 Result (3)"), std::string::npos);
}

TEST_F(PostToSpreadsheetTest, EmptyCellStillPasses)
{
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA), ActionRecord("C", 5, GOMBREL_ACTION_CLEAR)}, 1),
              1);
    EXPECT_EQ(SavedCell("C5"), "none");
    const std::string log = Log();
    EXPECT_NE(log.find("      cell     C5:  Cleared\n"), std::string::npos);
    EXPECT_NE(log.find("      cell     C5:  Cell Value not found => unable to compare to DOE-2 Result (2.5)\n"),
              std::string::npos);
    EXPECT_EQ(log.find("Round 2"), std::string::npos);
}

TEST_F(PostToSpreadsheetTest, SkippedRecordIsNeitherWrittenNorCompared)
{
    m_library.SetResult(5001, std::vector<float>(12, -1.0f));
    m_library.SetResult(5002, std::vector<float>(12, 3.0f));
    GombrelData peak = ActionRecord("E", 9, GOMBREL_ACTION_TEXT, "MonthDateOfPosMax");
    peak.iNHRListID = 5001;
    peak.iNHRListID_Special = 5002;
    EXPECT_EQ(Post({SheetRecord("A"), peak}, 1), 0);
    EXPECT_EQ(SavedCell("E9"), "none");
    EXPECT_EQ(Log(), Header(m_workbookPath) +
                         "Round 1 - POSTING to XLS:\n"
                         "   Switching to tab 'A'\n"
                         "      cell     E9:  SKIPPING post of MonthDateOfPosMax (no values > 0 found)\n"
                         "Round 1 - CHECKING XLS Values:\n"
                         "   Switching to tab 'A'\n");
}

TEST_F(PostToSpreadsheetTest, ActionsTwoAndAboveFourDoNothing)
{
    EXPECT_EQ(Post({SheetRecord("A"), ActionRecord("C", 5, 2), ActionRecord("C", 6, 5), ActionRecord("C", 7, 99)}, 1),
              0);
    EXPECT_TRUE(m_library.calls.empty());
    EXPECT_EQ(Calls(SpreadsheetCall::Range), 0);
    EXPECT_TRUE(m_user.shown.empty());
}

TEST_F(PostToSpreadsheetTest, TextRecordWithoutKeyIsAnnouncedAndPostsEmptyText)
{
    EXPECT_EQ(Post({SheetRecord("A"), ActionRecord("C", 5, GOMBREL_ACTION_TEXT, "")}, 1), 1);
    EXPECT_EQ(m_user.shown, std::vector<std::string>(2, "Gombrel: String result type not yet implemented"));
    EXPECT_EQ(m_services.outcome.strFailureShown, "String result type not yet implemented");
    EXPECT_NE(Log().find("      cell     C5:  Posting ''\n"), std::string::npos);
}

TEST_F(PostToSpreadsheetTest, MissingWorkbookLeavesSpreadsheetUntouched)
{
    std::filesystem::remove(m_workbookPath);
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA)}, 1), 0);
    EXPECT_EQ(m_errorText, "DOE-2 Results spreadsheet file not found  '" + m_workbookPath + "'");
    EXPECT_TRUE(m_state->CallLog().empty());
    EXPECT_FALSE(std::filesystem::exists(m_scratch / "GombrelApp Dbg.txt"));
}

TEST_F(PostToSpreadsheetTest, FolderNamedLikeTheWorkbookIsNotAWorkbook)
{
    std::filesystem::remove(m_workbookPath);
    std::filesystem::create_directory(m_workbookPath);
    EXPECT_EQ(Post({SheetRecord("A")}, 1), 0);
    EXPECT_EQ(m_errorText, "DOE-2 Results spreadsheet file not found  '" + m_workbookPath + "'");
}

// A probe for which the workbook exists but cannot be written until
// iWritableAfter probes for writing have failed.
FileProbe ReadOnlyProbe(int iWritableAfter)
{
    auto failures = std::make_shared<int>(0);
    return [=](const std::string &strPath, const char *pszMode) {
        if (std::string(pszMode) == "rb")
            return OpenAndClose(strPath, pszMode);
        return ++*failures > iWritableAfter;
    };
}

TEST_F(PostToSpreadsheetTest, ReadOnlyWorkbookRetryThenCancel)
{
    m_services.probeFile = ReadOnlyProbe(1000);
    m_user.retryAnswers = {true, false};
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA)}, 1), 0);
    EXPECT_EQ(m_user.questions, std::vector<std::string>(2, "Gombrel: DOE-2 Results spreadsheet"));
    EXPECT_EQ(m_errorText, "Unable to open (for writing) DOE-2 Results spreadsheet file  '" + m_workbookPath + "'");
    EXPECT_TRUE(m_state->CallLog().empty());
}

TEST_F(PostToSpreadsheetTest, ReadOnlyWorkbookRetryAfterItBecameWritable)
{
    m_services.probeFile = ReadOnlyProbe(1);
    m_user.retryAnswers = {true};
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA)}, 0), 1);
    EXPECT_EQ(m_user.questions.size(), 1u);
    EXPECT_EQ(m_errorText, "");
}

TEST_F(PostToSpreadsheetTest, EnteredWithErrorTextOpensAndSavesOnly)
{
    m_errorText = "earlier failure";
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA)}, 1), 0);
    EXPECT_EQ(m_errorText, "earlier failure");
    EXPECT_EQ(Log(), Header(m_workbookPath));
    EXPECT_EQ(Calls(SpreadsheetCall::Open), 1);
    EXPECT_EQ(Calls(SpreadsheetCall::Save), 1);
    EXPECT_TRUE(m_library.calls.empty());
}

TEST_F(PostToSpreadsheetTest, EvaluationFailureStopsThePassAndSaves)
{
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA), NumberRecord("C", 6, 424242),
                    NumberRecord("C", 7, kResultB)},
                   1),
              1);
    EXPECT_NE(m_errorText, "");
    EXPECT_EQ(SavedCell("C5"), "number:2.5");
    EXPECT_EQ(SavedCell("C7"), "none");
    EXPECT_EQ(Log().find("CHECKING"), std::string::npos);
}

TEST_F(PostToSpreadsheetTest, LogAppendedAfterTwoEmptyLines)
{
    WriteWholeFile(m_scratch / "GombrelApp Dbg.txt", "earlier section\n");
    Post({SheetRecord("A")}, 0, 1);
    EXPECT_EQ(Log(), "earlier section\n\n\n" + Header(m_workbookPath) + "Round 1 - POSTING to XLS:\n   Switching to tab 'A'\n");
    Post({SheetRecord("A")}, 0, 0);
    EXPECT_EQ(Log(), Header(m_workbookPath) + "Round 1 - POSTING to XLS:\n   Switching to tab 'A'\n");
}

TEST_F(PostToSpreadsheetTest, NoLogWhenSwitchedOff)
{
    m_iLogFlag = 0;
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA)}, 1), 1);
    EXPECT_FALSE(std::filesystem::exists(m_scratch / "GombrelApp Dbg.txt"));
}

TEST_F(PostToSpreadsheetTest, FailureInRoundsNamesPlaceAndKeepsEarlierCells)
{
    // The column is refused in one piece, then its second cell on its own.
    m_state->FailCall(SpreadsheetCall::PutValues, 1, InjectedFailure{});
    m_state->FailCall(SpreadsheetCall::PutValue2, 2, InjectedFailure{});
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 65, kResultA), NumberRecord("C", 66, kResultB),
                    NumberRecord("C", 67, kResultB)},
                   1),
              1);
    EXPECT_EQ(m_user.shown, RoundsFailureAt("C66"));
    EXPECT_EQ(SavedCell("C65"), "number:2.5");
    EXPECT_EQ(SavedCell("C67"), "none");
    EXPECT_EQ(m_errorText, "");
    EXPECT_EQ("Gombrel: " + m_services.outcome.strFailureShown, m_user.shown.front());
    EXPECT_FALSE(m_services.outcome.bConfirmed);
}

// Records of neighbouring cells, in whatever order, reach the application as
// one block a rectangle they fill, each value in its own cell; the log
// still tells the cells in the records' order, and the checking round reads
// the sheet's cells in one call.
TEST_F(PostToSpreadsheetTest, NeighbouringCellsGoAsOneBlockEachValueInItsCell)
{
    constexpr int32_t kFirst = 2102000;
    for (int32_t i = 0; i < 6; ++i)
        m_library.SetResult(kFirst + i, {static_cast<float>(i + 1)});
    GombrelData formula = NumberRecord("E", 6, kFirst + 5);
    formula.psSpecialProcessing = "= %.0f + D6";
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("D", 6, kFirst + 4), NumberRecord("C", 5, kFirst),
                    NumberRecord("D", 5, kFirst + 1), NumberRecord("E", 5, kFirst + 2), NumberRecord("C", 6, kFirst + 3),
                    formula, NumberRecord("G", 9, kResultA)},
                   1),
              7);
    EXPECT_EQ(Calls(SpreadsheetCall::PutValues), 1);
    EXPECT_EQ(Calls(SpreadsheetCall::PutValue2), 1);  // G9 has no neighbour
    EXPECT_EQ(Calls(SpreadsheetCall::GetValues), 1);
    EXPECT_EQ(Calls(SpreadsheetCall::GetValue2), 0);
    const std::pair<const char *, const char *> expected[] = {
        {"C5", "number:1"}, {"D5", "number:2"}, {"E5", "number:3"},         {"C6", "number:4"},
        {"D6", "number:5"}, {"E6", "text:= 6 + D6"}, {"G9", "number:2.5"}, {"F6", "none"}};
    for (const auto &[cell, value] : expected)
        EXPECT_EQ(SavedCell(cell), value) << cell;
    EXPECT_EQ(Log(), Header(m_workbookPath) +
                         "Round 1 - POSTING to XLS:\n"
                         "   Switching to tab 'A'\n"
                         "      cell     D6:  Posting Value = 5\n"
                         "      cell     C5:  Posting Value = 1\n"
                         "      cell     D5:  Posting Value = 2\n"
                         "      cell     E5:  Posting Value = 3\n"
                         "      cell     C6:  Posting Value = 4\n"
                         "      cell     E6:  Posting '= 6 + D6'\n"
                         "      cell     G9:  Posting Value = 2.5\n"
                         "Round 1 - CHECKING XLS Values:\n"
                         "   Switching to tab 'A'\n"
                         "      cell     D6:  Cell Value (5)  ==  DOE-2 Result (5)\n"
                         "      cell     C5:  Cell Value (1)  ==  DOE-2 Result (1)\n"
                         "      cell     D5:  Cell Value (2)  ==  DOE-2 Result (2)\n"
                         "      cell     E5:  Cell Value (3)  ==  DOE-2 Result (3)\n"
                         "      cell     C6:  Cell Value (4)  ==  DOE-2 Result (4)\n"
                         "      cell     G9:  Cell Value (2.5)  ==  DOE-2 Result (2.5)\n");
}

// Calc refuses a block on a protected sheet yet takes its cells one by
// one: a refused block is written again cell by cell, and all arrives.
TEST_F(PostToSpreadsheetTest, ABlockTheApplicationRefusesIsWrittenCellByCell)
{
    m_state->FailCall(SpreadsheetCall::PutValues, 1, InjectedFailure{});
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 65, kResultA), NumberRecord("C", 66, kResultB)}, 1), 2);
    EXPECT_TRUE(m_user.shown.empty()) << ::testing::PrintToString(m_user.shown);
    EXPECT_EQ(Calls(SpreadsheetCall::PutValue2), 2);
    EXPECT_EQ(SavedCell("C65"), "number:2.5");
    EXPECT_EQ(SavedCell("C66"), "number:-7");
    EXPECT_NE(Log().find("      cell    C65:  Posting Value = 2.5\n      cell    C66:  Posting Value = -7\nRound 1 - "
                         "CHECKING"),
              std::string::npos)
        << Log();
}

// A block refused after another was written, then a cell refused on its
// own: the cells of the written block are in the workbook though their
// records come after the refused one, and the log says so.
TEST_F(PostToSpreadsheetTest, CellsOfABlockWrittenBeforeARefusalAreLogged)
{
    m_state->FailCall(SpreadsheetCall::PutValues, 2, InjectedFailure{});
    m_state->FailCall(SpreadsheetCall::PutValue2, 1, InjectedFailure{});
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("E", 5, kResultA), NumberRecord("E", 6, kResultB),
                    NumberRecord("C", 5, kResultA), NumberRecord("C", 6, kResultB)},
                   1),
              2);
    EXPECT_EQ(m_user.shown, RoundsFailureAt("E5"));
    EXPECT_EQ(SavedCell("C5"), "number:2.5");
    EXPECT_EQ(SavedCell("C6"), "number:-7");
    EXPECT_EQ(SavedCell("E5"), "none");
    const std::string log = Log();
    EXPECT_NE(log.find("      cell     C5:  Posting Value = 2.5\n      cell     C6:  Posting Value = -7\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("cell     E5:  Posting"), std::string::npos) << log;
}

// A block read that fails is read again cell by cell: the cells before the
// one that cannot be read are compared, and that one is named.
TEST_F(PostToSpreadsheetTest, ABlockReadThatFailsNamesTheCellThatCannotBeRead)
{
    m_state->MakeCellUnreadable("A", "C66");
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 65, kResultA), NumberRecord("C", 66, kResultB),
                    NumberRecord("C", 67, kResultB)},
                   1),
              3);
    EXPECT_EQ(m_user.shown, RoundsFailureAt("C66"));
    const std::string log = Log();
    EXPECT_NE(log.find("cell    C65:  Cell Value (2.5)  ==  DOE-2 Result (2.5)\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("cell    C67:  Cell Value"), std::string::npos) << log;
    EXPECT_EQ(SavedCell("C67"), "number:-7");
}

// An hourly series whose store was written anew after the posting round
// read it: the checking round reads it again instead of comparing with the
// round before, so the new value is posted and then confirmed.
TEST_F(PostToSpreadsheetTest, CheckingRoundReadsTheResultsAfresh)
{
    class RewrittenLibrary : public FakeResultLibrary {
    public:
        int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                      int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                      const char *pszReportKey, const D2R_HourlyFilter *pFilter) override
        {
            SetHourlySeries(iListId, iVariable, std::vector<float>(kHoursPerYear, m_iReads++ == 0 ? 1.0f : 2.0f));
            return FakeResultLibrary::GetSingleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, iListId,
                                                            iVariable, pfValues, iValueCount, pszReportKey, pFilter);
        }

    private:
        int m_iReads = 0;
    };
    RewrittenLibrary library;
    GombrelData peak = NumberRecord("C", 5, 2010);
    peak.iD2ResFileType = 4;
    peak.iNHRListID_Special = 15;
    peak.psSpecialProcessing = "AnnualMax";
    GombrelData low = peak;
    low.iRow = 6;
    low.psSpecialProcessing = "AnnualMin";
    std::vector<GombrelData> records = {SheetRecord("A"), peak, low, kDefaultGombrelData};
    ResultAccess access(&library, NoPause);
    EXPECT_EQ(PostToSpreadsheet(*m_application, PassRequest(m_scratch.Path(), m_workbookPath, records.data(), 1, 0),
                                access, m_errorText, m_services),
              2 * 2);
    EXPECT_EQ(SavedCell("C5"), "number:2");
    EXPECT_EQ(SavedCell("C6"), "number:2");
    // Once a round for both records.
    EXPECT_EQ(library.CountCalls(FakeLibraryCall::SingleHourly), 4u);
}

TEST_F(PostToSpreadsheetTest, MissingSheetIsReportedAsTheTab)
{
    m_state->HideSheet("B");
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA), SheetRecord("B"), NumberRecord("C", 6, kResultA)},
                   0),
              1);
    EXPECT_EQ(m_user.shown, std::vector<std::string>{"Gombrel: Error interfacing with Excel spreadsheet:\n   " +
                                                     m_workbookPath +
                                                     "\n      tab: B\n      cell: \n      property: (tab selection)"});
    EXPECT_EQ(Calls(SpreadsheetCall::Save), 1);
}

TEST_F(PostToSpreadsheetTest, CellBeforeAnySheetIsAFailureNotACrash)
{
    EXPECT_EQ(Post({NumberRecord("C", 5, kResultA)}, 0), 0);
    EXPECT_EQ(m_user.shown, std::vector<std::string>{"Gombrel: Error interfacing with Excel spreadsheet:\n   " +
                                                     m_workbookPath + "\n      tab: \n      cell: C5\n      property: "});
}

TEST_F(PostToSpreadsheetTest, LogThatCannotBeCreatedIsReportedAndWorkbookSaved)
{
    std::filesystem::create_directory(m_scratch / "GombrelApp Dbg.txt");
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA)}, 1), 0);
    EXPECT_EQ(m_user.shown, std::vector<std::string>{"Gombrel: Error interfacing with Excel spreadsheet:\n   " +
                                                     m_workbookPath + "\n      tab: \n      cell: \n      property: "});
    EXPECT_EQ(Calls(SpreadsheetCall::Save), 1);
    EXPECT_EQ(SavedCell("C5"), "none");
}

struct SetupFailureCase {
    const char *pszName;
    SpreadsheetCall call;
    InjectedFailure failure;
    const char *pszShown;
};

class SetupFailure : public PostToSpreadsheetTest, public ::testing::WithParamInterface<SetupFailureCase> {};

TEST_P(SetupFailure, ShowsStatusAndSavesNothing)
{
    m_state->FailCall(GetParam().call, 1, GetParam().failure);
    // Nothing reached the file, so nothing counts as posted, even the cell
    // written before a save that failed.
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA)}, 1), 0);
    EXPECT_EQ(m_user.shown, std::vector<std::string>{GetParam().pszShown});
    EXPECT_EQ(SavedCell("C5"), "none");
    EXPECT_EQ(Calls(SpreadsheetCall::Save), GetParam().call == SpreadsheetCall::Save ? 1 : 0);
    EXPECT_EQ(m_errorText, "");
    const std::string shown = GetParam().pszShown;
    EXPECT_EQ(m_services.outcome.strFailureShown, shown.substr(shown.find(": ") + 2));
}

INSTANTIATE_TEST_SUITE_P(
    Calls, SetupFailure,
    ::testing::Values(
        SetupFailureCase{"LibraryPathOle", SpreadsheetCall::LibraryPath, {InjectedKind::Ole, 0x80010108u, 0, ""},
                         "COleException: COleException. SCODE: 80010108."},
        SetupFailureCase{"OpenDispatch", SpreadsheetCall::Open, {InjectedKind::Dispatch, 0, 1004, "Cannot open"},
                         "COleDispatchException: COleDispatchException. SCODE: 000003ec, Description: \"Cannot open\"."},
        SetupFailureCase{"WorksheetsForeign", SpreadsheetCall::Worksheets, {InjectedKind::Foreign, 0, 0, "odd"},
                         "Catch-All: General Exception caught."},
        SetupFailureCase{"SaveOle", SpreadsheetCall::Save, {InjectedKind::Ole, 0x800a03ecu, 0, ""},
                         "COleException: COleException. SCODE: 800a03ec."}),
    [](const ::testing::TestParamInfo<SetupFailureCase> &info) { return info.param.pszName; });

TEST_F(PostToSpreadsheetTest, UnregisteredAddInIsToldAndThePassGoesOn)
{
    m_state->bRegisterXLL = false;
    EXPECT_EQ(Post({SheetRecord("A"), NumberRecord("C", 5, kResultA)}, 0), 1);
    EXPECT_EQ(m_user.shown, std::vector<std::string>{"Gombrel: Didn't register the Analys32.xll"});
    EXPECT_EQ(m_services.outcome.strFailureShown, "Didn't register the Analys32.xll");
}

}  // namespace
