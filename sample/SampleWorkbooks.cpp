#include "SampleWorkbooks.h"
#include "SampleWorkbookPlan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "FilePath.h"
#include "FormatText.h"
#include "MappingTables.h"

const bool kSampleWorkbooksBuilt = true;

namespace {

// Keeps the text of the last box instead of showing it: the sample command
// reports it as its failure.
class KeptMessages : public UserMessages {
public:
    void ShowMessage(const std::string &strCaption, const std::string &strText) override
    {
        strLast = strCaption + ": " + strText;
    }
    bool AskRetry(const std::string &, const std::string &) override { return false; }

    std::string strLast;
};

// The cells that the records of each sheet of pTable use, by sheet name.
std::map<std::string, std::set<std::string>> CellsBySheet(const GombrelData *pTable, std::vector<std::string> &sheetOrder)
{
    std::map<std::string, std::set<std::string>> cells;
    std::string sheet;
    for (const GombrelData *item = pTable; !IsEndRecord(*item); ++item) {
        if (item->iAction == GOMBREL_ACTION_SELECT_SHEET && item->psItemString) {
            sheet = item->psItemString;
            if (std::find(sheetOrder.begin(), sheetOrder.end(), sheet) == sheetOrder.end())
                sheetOrder.push_back(sheet);
            cells[sheet];
        } else {
            cells[sheet].insert(FormatText("%s%d", item->psCol, item->iRow));
        }
    }
    return cells;
}

// The labels of one sheet, each in the next cell of column A that no
// record uses.
WorkbookSheet LabelledSheet(const std::string &strName, const std::set<std::string> &used,
                            const std::vector<std::string> &labels)
{
    WorkbookSheet sheet{strName, {}};
    int row = 1;
    for (const std::string &label : labels) {
        while (used.count("A" + std::to_string(row)))
            ++row;
        sheet.cells.emplace_back("A" + std::to_string(row++), label);
    }
    return sheet;
}

}  // namespace

std::vector<SampleWorkbook> SampleWorkbookPlan()
{
    std::vector<SampleWorkbook> plan;
    for (const MappingTable &table : g_aMappingTables) {
        const std::string fileName = std::string(table.pszWorkbookFile).substr(1);
        const std::string title = fileName.substr(0, fileName.rfind('.'));
        std::vector<std::string> order;
        const auto cells = CellsBySheet(table.pItems(), order);
        SampleWorkbook workbook{fileName, {}};
        for (const std::string &name : order)
            workbook.sheets.push_back(LabelledSheet(
                name, cells.at(name),
                {"ASHRAE Standard 140 results workbook " + title + ", sheet " + name,
                 "Sample made by Gombrel: the cells of table " + std::string(table.pszName) + " are filled by a run"}));
        plan.push_back(workbook);
    }
    return plan;
}

bool WriteSampleWorkbooks(const std::string &strFolder, std::string &strFailure)
{
    std::error_code error;
    std::filesystem::create_directories(FilePath(strFolder), error);
    KeptMessages messages;
    DispatchHolder<Application> calc;
    if (!CalcLauncher().StartExcel(calc, messages)) {
        strFailure = messages.strLast.empty() ? "LibreOffice Calc could not be started" : messages.strLast;
        return false;
    }
    bool written = true;
    try {
        for (const SampleWorkbook &workbook : SampleWorkbookPlan())
            CreateCalcWorkbook(*calc, PathText(FilePath(strFolder) / workbook.strFileName), workbook.sheets);
    } catch (const AutomationFailure &failure) {
        strFailure = failure.what();
        written = false;
    }
    EndExcel(calc);
    return written;
}
