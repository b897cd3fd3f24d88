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
    ASSERT_TRUE(CalcLauncher().StartExcel(calc, messages));
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
    EndExcel(calc);
}

TEST(WriteSampleWorkbooks, ReportsAFolderItCannotWriteInto)
{
    ScratchFolder folder;
    std::ofstream(folder / "file") << "x";
    std::string failure;
    EXPECT_FALSE(WriteSampleWorkbooks(folder / "file", failure));
    EXPECT_THAT(failure, testing::HasSubstr("Std140Sec5-2.xls"));
}
