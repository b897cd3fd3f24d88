#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>

#include "MappingTables.h"
#include "RecordingMessages.h"
#include "SampleWorkbookPlan.h"
#include "SampleWorkbooks.h"
#include "ScratchFolder.h"

namespace {

std::vector<std::string> SheetNames(const SampleWorkbook &workbook)
{
    std::vector<std::string> names;
    for (const WorkbookSheet &sheet : workbook.sheets)
        names.push_back(sheet.strName);
    return names;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(SampleWorkbookPlan, NamesTheFourWorkbooksInRunOrder)
{
    const std::vector<SampleWorkbook> plan = SampleWorkbookPlan();
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[0].strFileName, "Std140Sec5-2.xls");
    EXPECT_EQ(plan[1].strFileName, "Std140Sec5-3.xls");
    EXPECT_EQ(plan[2].strFileName, "Std140Sec5-3B.xls");
    EXPECT_EQ(plan[3].strFileName, "Std140Sec5-4.xls");
}

TEST(SampleWorkbookPlan, HasEverySheetItsTableSelectsAndNoOther)
{
    const std::vector<SampleWorkbook> plan = SampleWorkbookPlan();
    for (size_t i = 0; i < kMappingTableCount; ++i) {
        std::set<std::string> selected;
        for (const GombrelData *item = g_aMappingTables[i].pItems(); !IsEndRecord(*item); ++item)
            if (item->iAction == GOMBREL_ACTION_SELECT_SHEET)
                selected.insert(item->psItemString);
        const std::vector<std::string> names = SheetNames(plan[i]);
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), selected) << plan[i].strFileName;
        EXPECT_EQ(names.size(), selected.size()) << plan[i].strFileName;
    }
    EXPECT_EQ(SheetNames(plan[1]).front(), "Sheet1");
    EXPECT_EQ(SheetNames(plan[0]).front(), "A");
}

TEST(SampleWorkbookPlan, LabelsOnlyCellsNoRecordUses)
{
    const std::vector<SampleWorkbook> plan = SampleWorkbookPlan();
    for (size_t i = 0; i < kMappingTableCount; ++i) {
        std::set<std::string> used;
        for (const GombrelData *item = g_aMappingTables[i].pItems(); !IsEndRecord(*item); ++item)
            if (item->iAction != GOMBREL_ACTION_SELECT_SHEET)
                used.insert(std::string(item->psCol) + std::to_string(item->iRow));
        for (const WorkbookSheet &sheet : plan[i].sheets) {
            EXPECT_EQ(sheet.cells.size(), 2u);
            for (const auto &[cell, text] : sheet.cells) {
                EXPECT_EQ(used.count(cell), 0u) << plan[i].strFileName << " " << cell;
                EXPECT_FALSE(text.empty());
            }
        }
    }
}

// The workbooks at the size of the real ones: what the bench measures them
// by, and formulas, charts and notes only on cells a run posts numbers into.
TEST(LargeSampleWorkbookPlan, HasTheSizeOfTheRealWorkbooksOverThePostedNumbers)
{
    const std::vector<SampleWorkbook> ordinary = SampleWorkbookPlan();
    const std::vector<SampleWorkbook> large = LargeSampleWorkbookPlan();
    ASSERT_EQ(large.size(), ordinary.size());
    size_t nSheets = 0, nFormulas = 0, nCharts = 0, nNotes = 0, nProtected = 0;
    for (size_t i = 0; i < large.size(); ++i) {
        std::set<std::string> posted;  // "SHEET!CELL" of every number record
        std::string sheetName;
        for (const GombrelData *item = g_aMappingTables[i].pItems(); !IsEndRecord(*item); ++item)
            if (item->iAction == GOMBREL_ACTION_SELECT_SHEET)
                sheetName = item->psItemString;
            else if (item->iAction == GOMBREL_ACTION_NUMBER)
                posted.insert(sheetName + "!" + item->psCol + std::to_string(item->iRow));
        EXPECT_EQ(large[i].strFileName, ordinary[i].strFileName);
        for (size_t sheet = 0; sheet < ordinary[i].sheets.size(); ++sheet)
            EXPECT_EQ(large[i].sheets[sheet].strName, ordinary[i].sheets[sheet].strName);
        nSheets += large[i].sheets.size();
        for (const WorkbookSheet &sheet : large[i].sheets) {
            nProtected += sheet.bProtected;
            for (const auto &[cell, note] : sheet.notes) {
                EXPECT_EQ(posted.count(sheet.strName + "!" + cell), 1u) << cell;
                ++nNotes;
            }
            for (const TextBlock &block : sheet.blocks)
                for (const std::vector<std::string> &row : block.rows)
                    for (const std::string &formula : row) {
                        // "=$'A'.C65*2+1"
                        const size_t quote = formula.find('\'', 3);
                        ASSERT_EQ(formula.rfind("=$'", 0), 0u) << formula;
                        ASSERT_NE(quote, std::string::npos) << formula;
                        const std::string cell = formula.substr(quote + 2, formula.find('*') - quote - 2);
                        EXPECT_EQ(posted.count(formula.substr(3, quote - 3) + "!" + cell), 1u) << formula;
                        ++nFormulas;
                    }
            for (const WorkbookChart &chart : sheet.charts) {
                CellArea area;
                const size_t colon = chart.strDataArea.find(':');
                ASSERT_TRUE(ParseCellAddress(chart.strDataArea.substr(0, colon), area.first)) << chart.strDataArea;
                ASSERT_TRUE(ParseCellAddress(chart.strDataArea.substr(colon + 1), area.last)) << chart.strDataArea;
                for (int row = area.first.iRow; row <= area.last.iRow; ++row)
                    for (int column = area.first.iColumn; column <= area.last.iColumn; ++column)
                        EXPECT_EQ(posted.count(chart.strDataSheet + "!" + FormatCellAddress({column, row})), 1u)
                            << chart.strName;
                ++nCharts;
            }
        }
    }
    EXPECT_EQ(nSheets, 69u);
    EXPECT_EQ(nFormulas, 60030u);
    EXPECT_EQ(nCharts, 50u);
    EXPECT_GT(nNotes, 40u);
    EXPECT_GT(nProtected, 10u);
}

TEST(WriteSampleWorkbooks, WritesFourExcel97WorkbooksThatOpenWithTheirSheets)
{
    ScratchFolder folder;
    const std::string target = folder / "results";
    std::string failure;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WriteSampleWorkbooks(target, failure)) << failure;
    std::cout << "[ measure  ] writing the four sample workbooks (with Calc start and end): " << MillisecondsSince(start)
              << " ms\n";

    RecordingMessages messages;
    DispatchHolder<Application> calc;
    ASSERT_TRUE(CalcLauncher().StartApplication(calc, messages));
    for (const SampleWorkbook &planned : SampleWorkbookPlan()) {
        const std::string path = target + "/" + planned.strFileName;
        auto opened = std::chrono::steady_clock::now();
        auto workbook = calc->GetWorkbooks()->Open(path);
        const double openMs = MillisecondsSince(opened);
        auto sheets = workbook->GetWorksheets();
        for (const WorkbookSheet &sheet : planned.sheets) {
            const auto &[cell, label] = sheet.cells.front();
            EXPECT_EQ(sheets->Item(sheet.strName)->GetRange(cell, cell)->GetValue2().strText, label);
        }
        const auto saved = std::chrono::steady_clock::now();
        workbook->Save();
        std::cout << "[ measure  ] " << planned.strFileName << ": open " << openMs << " ms, save "
                  << MillisecondsSince(saved) << " ms\n";
    }
    EndApplication(calc);
}

TEST(WriteSampleWorkbooks, ReportsAFolderItCannotWriteInto)
{
    ScratchFolder folder;
    std::ofstream(folder / "file") << "x";
    std::string failure;
    EXPECT_FALSE(WriteSampleWorkbooks(folder / "file", failure));
    EXPECT_THAT(failure, testing::HasSubstr("Std140Sec5-2.xls"));
}
