// A whole run through LibreOffice Calc that writes and reads blocks of cells
// leaves the workbooks a run leaves that writes and reads each cell on its
// own, as the pass used to: the same values, texts, dates and their formats,
// formulas, notes and protected sheets, down to the last cell.  The saved
// workbooks are compared in the OpenDocument form Calc makes of them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "CalcWorkbooks.h"
#include "CellByCellSpreadsheet.h"
#include "CommandOutput.h"
#include "Commands.h"
#include "MappingTables.h"
#include "RecordingMessages.h"
#include "RunCli.h"
#include "SampleResults.h"
#include "SampleWorkbookPlan.h"
#include "ScratchFolder.h"
#include "Settings.h"
#include "SpreadsheetBackend.h"

namespace fs = std::filesystem;

namespace {

// The first cell of the table whose record is of the kind wanted.
std::string FirstCell(const GombrelData *pTable, bool (*pKind)(const GombrelData &))
{
    for (const GombrelData *item = pTable; !IsEndRecord(*item); ++item)
        if (pKind(*item))
            return std::string(item->psCol) + std::to_string(item->iRow);
    return std::string();
}

bool KeyHas(const GombrelData &item, const char *pszPart)
{
    return item.psSpecialProcessing && std::string(item.psSpecialProcessing).find(pszPart) != std::string::npos;
}
bool IsPlainNumber(const GombrelData &item) { return item.iAction == GOMBREL_ACTION_NUMBER && !item.psSpecialProcessing; }
bool IsDate(const GombrelData &item) { return item.iAction == GOMBREL_ACTION_TEXT && KeyHas(item, "Date"); }
bool IsHour(const GombrelData &item) { return item.iAction == GOMBREL_ACTION_TEXT && KeyHas(item, "DayHour"); }
bool IsFormula(const GombrelData &item) { return KeyHas(item, "= "); }

// The sample's workbooks with notes on a number, a date, an hour and a
// formula cell, and the first workbook's posted sheet protected.
std::vector<SampleWorkbook> SampleWithNotesAndAProtectedSheet()
{
    std::vector<SampleWorkbook> plan = SampleWorkbookPlan();
    for (size_t i = 0; i < plan.size(); ++i) {
        WorkbookSheet &posted = plan[i].sheets.front();
        const GombrelData *pTable = g_aMappingTables[i].pItems();
        for (bool (*pKind)(const GombrelData &) : {IsPlainNumber, IsDate, IsHour, IsFormula}) {
            const std::string cell = FirstCell(pTable, pKind);
            if (!cell.empty())
                posted.notes.emplace_back(cell, "A note the run must keep");
        }
    }
    plan.front().sheets.front().bProtected = true;
    return plan;
}

// Each saved workbook as Calc writes it in OpenDocument form, its contents
// and styles, without what tells when and where it was written.  (Calc's
// flat form would do, but leaves the notes out.)
std::vector<std::string> OpenDocumentForms(const std::string &strFolder, const std::string &strScratch)
{
    const std::string out = strScratch + "/converted";
    fs::remove_all(out);
    std::string command = "SAL_USE_VCLPLUGIN=svp '" + CalcOptions().strProgramFolder + "/soffice' '-env:UserInstallation=file://" +
                          strScratch + "/profile' --headless --norestore --convert-to ods --outdir '" + out + "'";
    for (const MappingTable &table : g_aMappingTables)
        command += " '" + strFolder + "/" + std::string(table.pszWorkbookFile).substr(1) + "'";
    command += " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<std::string> forms;
    for (const MappingTable &table : g_aMappingTables) {
        const std::string name = std::string(table.pszWorkbookFile).substr(1);
        const std::string ods = out + "/" + name.substr(0, name.rfind('.')) + ".ods";
        const std::string xml = out + "/" + name + ".xml";
        const std::string unzip = "unzip -p '" + ods + "' content.xml styles.xml > '" + xml + "'";
        EXPECT_EQ(std::system(unzip.c_str()), 0) << unzip;
        const std::string text = ReadWholeFile(xml);
        EXPECT_NE(text.find("<office:spreadsheet>"), std::string::npos) << name;
        forms.push_back(text);
    }
    return forms;
}

// Where two texts first differ, with some of each around it.
std::string FirstDifference(const std::string &strA, const std::string &strB)
{
    size_t at = 0;
    while (at < strA.size() && at < strB.size() && strA[at] == strB[at])
        ++at;
    const size_t from = at > 200 ? at - 200 : 0;
    return "at " + std::to_string(at) + ":\n" + strA.substr(from, 400) + "\n---\n" + strB.substr(from, 400);
}

class CalcBlocks : public ::testing::Test {
protected:
    Outcome Run(SpreadsheetLauncher &launcher, const std::string &strFolder)
    {
        std::istringstream in;
        std::ostringstream out, err;
        RunConsole console{in, out, err, false, false};
        RunBackends backends{launcher, m_library.Binder(), m_clock, m_settings};
        const int status = RunResultsCommand({"--doe2", strFolder, "--results", strFolder, "--check"}, console, backends);
        return {status, out.str(), err.str()};
    }

    // Posts the results folder at blocks as it is and a copy of it one
    // cell at a time, and compares the saved workbooks.
    void ExpectTheSameWorkbooks(const std::string &strBlocks)
    {
        const std::string cells = m_scratch / "cells";
        fs::copy(strBlocks, cells, fs::copy_options::recursive);
        const Outcome blocks = Run(*m_launcher, strBlocks);
        ASSERT_EQ(blocks.status, 0) << blocks.out << blocks.err;
        CellByCellLauncher oneAtATime(*m_launcher);
        const Outcome reference = Run(oneAtATime, cells);
        ASSERT_EQ(reference.status, 0) << reference.out << reference.err;
        EXPECT_EQ(blocks.out.substr(0, blocks.out.find('(')), reference.out.substr(0, reference.out.find('(')));
        const std::vector<std::string> blockForms = OpenDocumentForms(strBlocks, m_scratch.Path());
        const std::vector<std::string> cellForms = OpenDocumentForms(cells, m_scratch.Path());
        for (size_t i = 0; i < blockForms.size(); ++i)
            EXPECT_TRUE(blockForms[i] == cellForms[i])
                << g_aMappingTables[i].pszWorkbookFile << " differs " << FirstDifference(blockForms[i], cellForms[i]);
    }

    ScratchFolder m_scratch;
    SettingsFile m_settings{m_scratch / "gombrel.ini"};
    std::unique_ptr<SpreadsheetLauncher> m_launcher = MakeSpreadsheetLauncher();
    BoundResultLibrary m_library;
    SteadyStopwatch m_clock;
};

TEST_F(CalcBlocks, SampleWithNotesAndAProtectedSheetEndsAsOneCellAtATimeLeavesIt)
{
    const std::string folder = m_scratch / "blocks";
    std::string failure;
    ASSERT_TRUE(WriteSampleResults(folder, failure)) << failure;
    RecordingMessages messages;
    DispatchHolder<Application> calc;
    ASSERT_TRUE(CalcLauncher().StartApplication(calc, messages));
    for (const SampleWorkbook &workbook : SampleWithNotesAndAProtectedSheet())
        CreateCalcWorkbook(*calc, folder + "/" + workbook.strFileName, workbook.sheets);
    EndApplication(calc);
    ExpectTheSameWorkbooks(folder);
}

TEST_F(CalcBlocks, LargeWorkbooksEndAsOneCellAtATimeLeavesThem)
{
    const std::string folder = m_scratch / "blocks";
    std::ostringstream out, err;
    ASSERT_EQ(RunSampleCommand({"--large", folder}, out, err), 0) << err.str();
    ExpectTheSameWorkbooks(folder);
}

}  // namespace
