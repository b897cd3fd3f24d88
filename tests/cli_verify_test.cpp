#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "CommandOutput.h"
#include "CountingResultLibrary.h"
#include "FormatText.h"
#include "MappingTables.h"
#include "MemoryWorkbooks.h"
#include "PassTestSupport.h"
#include "Paths.h"
#include "RunCli.h"
#include "ScratchFolder.h"
#include "VerifyCommand.h"

namespace {

void NoPause(int) {}

class StillClock : public Stopwatch {
public:
    std::chrono::nanoseconds Now() override { return std::chrono::seconds(1); }
};

// The constant library, except that one plain result of one project
// answers fChanged.
class OneChangedLibrary : public ConstantLibrary {
public:
    int32_t iChangedId = 0;
    std::string strChangedProject;
    float fChanged = 5.0f;

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override
    {
        if (iRequestCount == 1 && pRequests[0].iResultId == iChangedId && pszProjectPath == strChangedProject) {
            std::fill(pfValues, pfValues + iValueCount, fChanged);
            return iValueCount;
        }
        return ConstantLibrary::GetMultipleResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount,
                                                  iRequestCount, pRequests);
    }
};

// Whether line is verify's count line: "N of M cells differ or are empty"
// with N iDiffering and M a positive whole number.
bool IsCountLine(const std::string &line, int iDiffering)
{
    const std::string prefix = std::to_string(iDiffering) + " of ", suffix = " cells differ or are empty";
    if (line.size() <= prefix.size() + suffix.size() || line.compare(0, prefix.size(), prefix) != 0 ||
        line.compare(line.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string total = line.substr(prefix.size(), line.size() - prefix.size() - suffix.size());
    return total.find_first_not_of("0123456789") == std::string::npos && total[0] != '0';
}

// A record of the table with the sheet it is posted on.
struct PlacedRecord {
    std::string strSheet;
    GombrelData item;
    std::string Cell() const { return FormatText("%s%d", item.psCol, item.iRow); }
};

// The first record of table that wanted says it is.
PlacedRecord FirstRecord(const GombrelData *pTable, const std::function<bool(const PlacedRecord &)> &wanted)
{
    PlacedRecord record;
    for (const GombrelData *pItem = pTable; !IsEndRecord(*pItem); ++pItem) {
        record.item = *pItem;
        if (pItem->iAction == GOMBREL_ACTION_SELECT_SHEET)
            record.strSheet = pItem->psItemString;
        else if (wanted(record))
            return record;
    }
    ADD_FAILURE() << "no such record";
    return record;
}

// The first number record of Std140Sec5-2 without special processing.
PlacedRecord FirstPlainNumber()
{
    return FirstRecord(Std140Sec5_2Items(), [](const PlacedRecord &record) {
        return record.item.iAction == GOMBREL_ACTION_NUMBER && !record.item.psSpecialProcessing;
    });
}

// The four workbooks posted by a run over the constant library, then
// verified, Std140Sec5-2 alone: none of its cells holds a formula, which
// the in-memory spreadsheet never computes.
class CliVerify : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(m_scratch / (table.pszWorkbookFile + 1), WorkbookFor(table.pItems()));
        std::istringstream in;
        std::ostringstream out, err;
        RunConsole console{in, out, err};
        MemoryLauncher launcher(std::make_shared<MemorySpreadsheet>());
        StillClock clock;
        const ResultLibraryBinder binder = [this](const std::string &, std::string &) -> ResultLibrary * {
            return &m_library;
        };
        RunBackends backends{launcher, binder, clock, SettingsFile(m_scratch / "gombrel.ini"), NoPause};
        ASSERT_EQ(RunResultsCommand({"--doe2", m_scratch.Path(), "--results", m_scratch.Path(), "--no-check"}, console,
                                    backends),
                  0)
            << err.str();
    }

    Outcome Verify(MemoryLauncher::Outcome start = MemoryLauncher::Outcome::Starts)
    {
        std::ostringstream out, err;
        MemoryLauncher launcher(m_state, start);
        const Arguments args{"--doe2", m_scratch.Path(), "--results", m_scratch.Path(), "--table", "Std140Sec5_2Items"};
        const int status = RunVerifyCommandWith(args, out, err, launcher, [this](const std::string &, std::string &) {
            return std::make_unique<CountingResultLibrary>(m_library);
        }, NoPause);
        return {status, out.str(), err.str()};
    }

    std::string Workbook() const { return m_scratch / "Std140Sec5-2.xls"; }

    // The cell of record in the posted workbook file (null when there is
    // none), to read or change.
    static MemoryCell *FindCell(MemoryBook &book, const PlacedRecord &record)
    {
        CellAddress address;
        if (!ParseCellAddress(record.Cell(), address))
            return nullptr;
        for (MemorySheet &sheet : book.sheets) {
            const auto found = sheet.cells.find(address);
            if (sheet.strName == record.strSheet && found != sheet.cells.end())
                return &found->second;
        }
        return nullptr;
    }

    MemoryBook PostedBook() const
    {
        MemoryBook book;
        std::string failure;
        EXPECT_TRUE(LoadMemoryBook(Workbook(), book, failure)) << failure;
        return book;
    }

    // The first text record whose cell the run filled (some are skipped).
    PlacedRecord FirstPostedText() const
    {
        MemoryBook book = PostedBook();
        return FirstRecord(Std140Sec5_2Items(), [&book](const PlacedRecord &record) {
            return record.item.iAction == GOMBREL_ACTION_TEXT && FindCell(book, record);
        });
    }

    // Changes posted cells in the workbook file: to a text, or to nothing
    // when the text is null.
    void SetCells(const std::vector<std::pair<PlacedRecord, const char *>> &changes)
    {
        MemoryBook book = PostedBook();
        for (const auto &[record, pszText] : changes) {
            CellAddress address;
            ASSERT_TRUE(ParseCellAddress(record.Cell(), address));
            for (MemorySheet &sheet : book.sheets) {
                if (sheet.strName != record.strSheet)
                    continue;
                ASSERT_EQ(sheet.cells.count(address), 1u) << record.Cell() << " was not posted";
                if (pszText)
                    sheet.cells[address] = MemoryCell{MemoryCell::Kind::Text, 0.0, pszText};
                else
                    sheet.cells.erase(address);
            }
        }
        std::string failure;
        ASSERT_TRUE(SaveMemoryBook(Workbook(), book, failure)) << failure;
    }

    ScratchFolder m_scratch;
    OneChangedLibrary m_library;
    std::shared_ptr<MemorySpreadsheet> m_state = std::make_shared<MemorySpreadsheet>();
};

TEST_F(CliVerify, AfterARunEveryCellAgreesAndNothingIsWritten)
{
    const std::string before = ReadWholeFile(Workbook());
    const Outcome verify = Verify();
    EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
    EXPECT_EQ(verify.out.rfind(kVerifyHeader, 0), 0u) << verify.out;
    const std::vector<std::string> lines = SplitLines(verify.out);
    ASSERT_EQ(lines.size(), 2u) << verify.out;
    EXPECT_TRUE(IsCountLine(lines[1], 0)) << lines[1];
    EXPECT_EQ(verify.out.back(), '\n');
    EXPECT_EQ(verify.err, "");
    EXPECT_EQ(m_state->Calls(SpreadsheetCall::OpenReadOnly), 1);
    EXPECT_EQ(m_state->Calls(SpreadsheetCall::Open), 0);
    EXPECT_EQ(m_state->CellsWritten() + m_state->Calls(SpreadsheetCall::ClearContents) +
                  m_state->Calls(SpreadsheetCall::Save),
              0);
    EXPECT_EQ(m_state->Calls(SpreadsheetCall::Quit), 1);
    EXPECT_EQ(ReadWholeFile(Workbook()), before);
}

TEST_F(CliVerify, ChangedResultIsReportedWithBothValues)
{
    const PlacedRecord changed = FirstPlainNumber();
    m_library.iChangedId = changed.item.iNHRListID;
    m_library.strChangedProject = PathBelow(m_scratch.Path(), changed.item.psSimResPathFile);
    const Outcome verify = Verify();
    EXPECT_EQ(verify.status, 1);
    const std::vector<std::string> lines = SplitLines(verify.out);
    ASSERT_EQ(lines.size(), 3u) << verify.out;
    EXPECT_EQ(lines[1], "Std140Sec5-2.xls\t" + changed.strSheet + "\t" + changed.Cell() + "\t" +
                            FormatText("%.15g", 1.0 * changed.item.fMultiplier) + "\t" +
                            FormatText("%.15g", 5.0 * changed.item.fMultiplier));
    EXPECT_TRUE(IsCountLine(lines[2], 1)) << lines[2];
}

TEST_F(CliVerify, EmptiedCellAndOtherTextAreReported)
{
    const PlacedRecord number = FirstPlainNumber();
    const PlacedRecord text = FirstPostedText();
    SetCells({{number, nullptr}, {text, "12/31"}});
    const Outcome verify = Verify();
    EXPECT_EQ(verify.status, 1);
    const std::vector<std::string> reported = SplitLines(verify.out);
    ASSERT_EQ(reported.size(), 4u) << verify.out;
    EXPECT_EQ(reported[1], "Std140Sec5-2.xls\t" + number.strSheet + "\t" + number.Cell() + "\t\t" +
                               FormatText("%.15g", 1.0 * number.item.fMultiplier));
    EXPECT_EQ(reported[2], "Std140Sec5-2.xls\t" + text.strSheet + "\t" + text.Cell() + "\t12/31\t1/1");
    EXPECT_TRUE(IsCountLine(reported[3], 2)) << reported[3];
}

TEST_F(CliVerify, WithoutASpreadsheetNothingIsVerified)
{
    const Outcome verify = Verify(MemoryLauncher::Outcome::NotStartable);
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(verify.out, "");
    EXPECT_EQ(verify.err, "Gombrel: Error encountered attempting to open Excel\n");
}

}  // namespace
