#include "SampleWorkbooks.h"
#include "SampleWorkbookPlan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "CellBlocks.h"
#include "FilePath.h"
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
            cells[sheet].insert(CellName(*item));
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

// What the real workbooks have beside the sheets a run posts into, for
// each workbook in the order of a run.
struct LargeShape {
    int iFormulaSheets;
    int iChartSheets;
    int iChartsPerSheet;
};
constexpr LargeShape kLargeShapes[kMappingTableCount] = {{30, 3, 8}, {8, 1, 8}, {16, 2, 7}, {4, 1, 4}};
constexpr int kFormulaRows = 45;
constexpr int kFormulaColumns = 23;
constexpr size_t kNotesPerTable = 12;
constexpr size_t kLeastCellsCharted = 4;

// A cell a run posts a number into.
struct NumberCell {
    std::string strSheet;
    CellAddress address;
};

// A key that posts a text (a formula) or may post nothing (a monthly peak).
bool IsFormulaOrMonthly(const char *psKey)
{
    return psKey && (psKey[0] == '=' || std::string(psKey).rfind("Month", 0) == 0);
}

// The cells the table's number records post into, in the table's order.
std::vector<NumberCell> NumberCells(const GombrelData *pTable)
{
    std::vector<NumberCell> cells;
    std::string sheet;
    for (const GombrelData *item = pTable; !IsEndRecord(*item); ++item) {
        CellAddress address;
        if (item->iAction == GOMBREL_ACTION_SELECT_SHEET && item->psItemString)
            sheet = item->psItemString;
        else if (item->iAction == GOMBREL_ACTION_NUMBER && !IsFormulaOrMonthly(item->psSpecialProcessing) &&
                 ParseCellAddress(CellName(*item), address))
            cells.push_back({sheet, address});
    }
    return cells;
}

std::string Reference(const NumberCell &cell) { return "$'" + cell.strSheet + "'." + FormatCellAddress(cell.address); }

// Sheet after sheet of formulas, each taking one posted number, the
// posted cells in turn.
std::vector<WorkbookSheet> FormulaSheets(const std::vector<NumberCell> &cells, int iSheets)
{
    std::vector<WorkbookSheet> sheets;
    size_t next = 0;
    for (int i = 1; i <= iSheets; ++i) {
        WorkbookSheet sheet{"Results " + std::to_string(i), {{"A1", "Results computed from the posted cells"}}};
        TextBlock block{"B2", {}};
        for (int row = 0; row < kFormulaRows; ++row) {
            std::vector<std::string> texts;
            for (int column = 0; column < kFormulaColumns; ++column)
                texts.push_back("=" + Reference(cells[next++ % cells.size()]) + "*2+1");
            block.rows.push_back(std::move(texts));
        }
        sheet.blocks.push_back(std::move(block));
        sheet.bProtected = i % 4 == 0;
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

// Sheets of charts, each chart over one run of posted cells, the runs in
// turn.
std::vector<WorkbookSheet> ChartSheets(const std::vector<NumberCell> &cells, const LargeShape &shape)
{
    std::map<std::string, std::vector<CellAddress>> bySheet;
    for (const NumberCell &cell : cells)
        bySheet[cell.strSheet].push_back(cell.address);
    std::vector<std::pair<std::string, CellArea>> runs;
    for (const auto &[sheet, addresses] : bySheet)
        for (const CellArea &area : ExactAreas(addresses))
            if (area.CellCount() >= static_cast<int64_t>(kLeastCellsCharted))
                runs.emplace_back(sheet, area);
    std::vector<WorkbookSheet> sheets;
    size_t next = 0;
    for (int i = 1; i <= shape.iChartSheets && !runs.empty(); ++i) {
        WorkbookSheet sheet{"Charts " + std::to_string(i), {{"A1", "Charts of the posted cells"}}};
        for (int chart = 0; chart < shape.iChartsPerSheet; ++chart) {
            const auto &[dataSheet, area] = runs[next++ % runs.size()];
            // Chart names are the workbook's, not the sheet's.
            sheet.charts.push_back({"Chart " + std::to_string(next), dataSheet,
                                    FormatCellAddress(area.first) + ":" + FormatCellAddress(area.last),
                                    FormatCellAddress({2 + (chart % 2) * 7, 2 + (chart / 2) * 14})});
        }
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

// Notes on posted cells spread over the table.
void AddNotes(std::vector<WorkbookSheet> &sheets, const std::vector<NumberCell> &cells)
{
    for (size_t i = 0; i < kNotesPerTable && !cells.empty(); ++i) {
        const NumberCell &cell = cells[i * cells.size() / kNotesPerTable];
        for (WorkbookSheet &sheet : sheets)
            if (sheet.strName == cell.strSheet)
                sheet.notes.emplace_back(FormatCellAddress(cell.address), "Checked against the reference results");
    }
}

}  // namespace

std::vector<SampleWorkbook> LargeSampleWorkbookPlan()
{
    std::vector<SampleWorkbook> plan = SampleWorkbookPlan();
    for (size_t i = 0; i < kMappingTableCount; ++i) {
        const std::vector<NumberCell> cells = NumberCells(g_aMappingTables[i].pItems());
        if (cells.empty())
            continue;
        AddNotes(plan[i].sheets, cells);
        for (WorkbookSheet &sheet : FormulaSheets(cells, kLargeShapes[i].iFormulaSheets))
            plan[i].sheets.push_back(std::move(sheet));
        for (WorkbookSheet &sheet : ChartSheets(cells, kLargeShapes[i]))
            plan[i].sheets.push_back(std::move(sheet));
    }
    return plan;
}

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

bool WriteSampleWorkbooks(const std::string &strFolder, std::string &strFailure, bool bLarge)
{
    std::error_code error;
    std::filesystem::create_directories(FilePath(strFolder), error);
    KeptMessages messages;
    DispatchHolder<Application> calc;
    if (!CalcLauncher().StartApplication(calc, messages)) {
        strFailure = messages.strLast.empty() ? "LibreOffice Calc could not be started" : messages.strLast;
        return false;
    }
    bool written = true;
    try {
        for (const SampleWorkbook &workbook : bLarge ? LargeSampleWorkbookPlan() : SampleWorkbookPlan())
            CreateCalcWorkbook(*calc, PathText(FilePath(strFolder) / workbook.strFileName), workbook.sheets);
    } catch (const AutomationFailure &failure) {
        strFailure = failure.what();
        written = false;
    }
    EndApplication(calc);
    return written;
}
