// The posting pass on LibreOffice Calc itself.
#include <gtest/gtest.h>

#include "CalcWorkbooks.h"
#include "PassTestSupport.h"
#include "PostToSpreadsheet.h"
#include "ScratchFolder.h"

namespace {

constexpr int32_t kResultA = 2101002;
constexpr int32_t kResultB = 2101003;

// The pass on LibreOffice Calc itself: post three cells into a real .xls
// workbook with confirmation, then open the saved file in a new session and
// read them back.
TEST(PostToCalc, PostsConfirmsSavesAndReadsBack)
{
    ScratchFolder scratch;
    const std::string path = scratch / "Std140Sec5-2.xls";
    FakeResultLibrary library;
    library.SetResult(kResultA, {2.5f});
    library.SetResult(kResultB, {-7.0f});
    ResultAccess access(&library);
    ScriptedUser user;
    CalcLauncher launcher;
    {
        DispatchHolder<Application> application;
        ASSERT_TRUE(launcher.StartApplication(application, user)) << ::testing::PrintToString(user.shown);
        CreateCalcWorkbook(*application, path, {{"A", {}}, {"B", {}}});
        PassServices services{user};
        services.readLogFlag = [] { return 1; };
        GombrelData formula = NumberRecord("E", 3, kResultA);
        formula.psSpecialProcessing = "=%g*2";
        std::vector<GombrelData> records = {SheetRecord("A"), NumberRecord("C", 65, kResultA),
                                            NumberRecord("D", 7, kResultB), formula, kDefaultGombrelData};
        std::string errorText;
        EXPECT_EQ(PostToSpreadsheet(*application, PassRequest(scratch.Path(), path, records.data(), 1, 0), access,
                                    errorText, services),
                  3);
        EXPECT_EQ(errorText, "");
        EXPECT_TRUE(user.shown.empty()) << ::testing::PrintToString(user.shown);
        const std::string log = ReadWholeFile(scratch / "GombrelApp Dbg.txt");
        EXPECT_NE(log.find("      cell     D7:  Cell Value (-7)  ==  DOE-2 Result (-7)\n"), std::string::npos) << log;
        EXPECT_EQ(log.find("Round 2"), std::string::npos) << log;
        EndApplication(application);
    }
    DispatchHolder<Application> application;
    ASSERT_TRUE(launcher.StartApplication(application, user));
    DispatchHolder<Workbooks> workbooks;
    workbooks.Attach(application->GetWorkbooks());
    DispatchHolder<Workbook> workbook;
    workbook.Attach(workbooks->Open(path));
    DispatchHolder<Worksheets> worksheets;
    worksheets.Attach(workbook->GetWorksheets());
    DispatchHolder<Worksheet> sheet;
    sheet.Attach(worksheets->Item("A"));
    for (const auto &[cell, number] : {std::pair<const char *, double>{"C65", 2.5}, {"D7", -7.0}, {"E3", 5.0}}) {
        const CellValue value = sheet->GetRange(cell, cell)->GetValue2();
        EXPECT_EQ(value.kind, CellValue::Kind::Number) << cell;
        EXPECT_EQ(value.dNumber, number) << cell;
    }
    sheet.Release();
    worksheets.Release();
    workbook.Release();
    workbooks.Release();
    EndApplication(application);
}

}  // namespace
