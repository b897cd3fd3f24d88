// gombrel-cli verify: the workbooks read back through the spreadsheet
// application, opened read-only and never saved, against the results.
#include "VerifyCommand.h"

#include <cstdlib>
#include <ostream>

#include "CellAction.h"
#include "ConfirmationRule.h"
#include "Console.h"
#include "D2ResultBinding.h"
#include "EvaluateItemValue.h"
#include "FailureReports.h"
#include "FormatText.h"
#include "MappingTables.h"
#include "Paths.h"
#include "ProcessResults.h"
#include "ResultsRun.h"
#include "SpreadsheetBackend.h"

const char kVerifyHeader[] = "workbook\tsheet\tcell\tworkbook value\texpected\n";

namespace {

// What one verification works with and what it has found so far.
struct Verification {
    ResultAccess &access;
    std::string strDoe2Folder;  // ends in its separator
    std::string strResultsFolder;
    std::ostream &out;
    size_t nCompared = 0;
    size_t nDiffering = 0;
};

// The open workbook being verified and its current sheet.
struct VerifiedBook {
    std::string strName;  // the file name, as the output shows it
    DispatchHolder<Worksheets> worksheets;
    DispatchHolder<Worksheet> worksheet;
    std::string strSheet;
};

// strText as one field of an output line.
std::string Field(std::string strText)
{
    strText = OnOneLine(strText);
    for (char &c : strText)
        if (c == '\t')
            c = ' ';
    return strText;
}

// Enough digits to tell numbers apart, few enough to hide a float's noise.
std::string ShownNumber(double dNumber) { return FormatText("%.15g", dNumber); }

std::string ShownCell(const CellValue &value)
{
    switch (value.kind) {
    case CellValue::Kind::Number:
        return ShownNumber(value.dNumber);
    case CellValue::Kind::Text:
        return Field(value.strText);
    case CellValue::Kind::None:
        break;
    }
    return std::string();
}

// True when strText is a decimal number and nothing else, given in dNumber.
bool IsNumberText(const std::string &strText, double &dNumber)
{
    char *end = nullptr;
    dNumber = std::strtod(strText.c_str(), &end);
    return !strText.empty() && end == strText.c_str() + strText.size();
}

// A text typed in agrees with a cell holding that very text.  The
// spreadsheet reads some typed texts as numbers: a whole number (an hour)
// must then be the same number; a date or a formula result is a number of
// the spreadsheet's own making, which any number stands for.
bool TextCellAgrees(const CellValue &cell, const std::string &strExpected)
{
    double dExpected = 0.0;
    switch (cell.kind) {
    case CellValue::Kind::Text:
        return cell.strText == strExpected;
    case CellValue::Kind::Number:
        return !IsNumberText(strExpected, dExpected) || PostedValueMatches(cell.dNumber, dExpected);
    case CellValue::Kind::None:
        break;
    }
    return strExpected.empty();
}

// A number agrees as a checking round confirms it; an empty cell never.
bool NumberCellAgrees(const CellValue &cell, double dExpected)
{
    double dCell = 0.0;
    return CheckedCellNumber(cell, dCell) && PostedValueMatches(dCell, dExpected);
}

void SelectSheet(VerifiedBook &book, const GombrelData &item)
{
    book.strSheet = item.psItemString ? item.psItemString : "";
    book.worksheet.Attach(Required(book.worksheets->Item(book.strSheet), "Worksheets.Item"));
}

CellValue ReadCell(VerifiedBook &book, const std::string &strCell)
{
    if (book.worksheet.IsEmpty())
        throw AutomationFailure("no worksheet selected before cell " + strCell);
    return Required(book.worksheet->GetRange(strCell, strCell), "Worksheet.Range")->GetValue2();
}

// Compares the cell of one record that a posting round evaluates; a record
// whose value cannot be computed is listed with its error as the expected
// value, one that the round skips is passed over.
void VerifyRecord(Verification &verification, VerifiedBook &book, const GombrelData &item)
{
    std::string error;
    ItemValue value;
    EvaluateItemValue(verification.access, item, verification.strDoe2Folder, verification.strResultsFolder, error,
                      value);
    if (error.empty() && value.bSkip)
        return;
    const std::string cellName = CellName(item);
    const CellValue cell = ReadCell(book, cellName);
    const bool bText = PostsText(item, value);
    ++verification.nCompared;
    if (error.empty() && (bText ? TextCellAgrees(cell, value.strText) : NumberCellAgrees(cell, value.dNumber)))
        return;
    const std::string expected =
        !error.empty() ? "error: " + Field(error) : bText ? Field(value.strText) : ShownNumber(value.dNumber);
    verification.out << book.strName << '\t' << book.strSheet << '\t' << cellName << '\t' << ShownCell(cell) << '\t'
                     << expected << '\n';
    ++verification.nDiffering;
}

// Opens table's workbook read-only and verifies every record of the table.
// Automation failures leave it.
void VerifyWorkbook(Application &application, const MappingTable &table, Verification &verification)
{
    VerifiedBook book;
    book.strName = table.pszWorkbookFile + 1;
    DispatchHolder<Workbooks> workbooks;
    workbooks.Attach(Required(application.GetWorkbooks(), "Application.Workbooks"));
    DispatchHolder<Workbook> workbook;
    workbook.Attach(Required(workbooks->OpenReadOnly(PathBelow(verification.strResultsFolder, table.pszWorkbookFile)),
                             "Workbooks.OpenReadOnly"));
    book.worksheets.Attach(Required(workbook->GetWorksheets(), "Workbook.Worksheets"));
    const GombrelData *items = table.pItems();
    for (size_t index = 0; !IsEndRecord(items[index]); ++index) {
        if (items[index].iAction == GOMBREL_ACTION_SELECT_SHEET)
            SelectSheet(book, items[index]);
        else if (IsEvaluatedInRound(items[index]))
            VerifyRecord(verification, book, items[index]);
    }
}

// Verifies every workbook asked for; false when one could not be read to
// the end (said on err).
bool VerifyWorkbooks(Application &application, const char *pszTable, Verification &verification, std::ostream &err)
{
    bool bComplete = true;
    for (const MappingTable &table : g_aMappingTables) {
        if (pszTable && table.pszName != std::string(pszTable))
            continue;
        try {
            VerifyWorkbook(application, table, verification);
        } catch (const AutomationFailure &failure) {
            err << "gombrel-cli: " << (table.pszWorkbookFile + 1) << " could not be verified: " << failure.what()
                << '\n';
            bComplete = false;
        }
    }
    return bComplete;
}

}  // namespace

int RunVerifyCommandWith(const Arguments &args, std::ostream &out, std::ostream &err, SpreadsheetLauncher &launcher,
                         const ResultLibraryOpener &bindLibrary, const RetryPause &retryPause)
{
    EvaluationOptions options;
    if (!ParseEvaluationOptions(args, "verify", options, err))
        return kExitUsage;
    if (!EvaluationFoldersExist(options, err))
        return kExitUsage;
    const std::string doe2Folder = WithTrailingSeparator(options.strDoe2Folder);
    std::string failure;
    const std::unique_ptr<ResultLibrary> library = bindLibrary(doe2Folder, failure);
    if (!library) {
        err << "gombrel-cli: " << failure << '\n';
        return 1;
    }
    ErrorStreamMessages messages(err);
    DispatchHolder<Application> application;
    if (!launcher.StartApplication(application, messages)) {
        err << kApplicationCaption << ": " << kSpreadsheetStartFailure << '\n';
        return 1;
    }
    ResultAccess access(library.get(), retryPause);
    Verification verification{access, doe2Folder, options.strResultsFolder, out};
    out << kVerifyHeader;
    const bool bComplete = VerifyWorkbooks(*application, options.pszTable, verification, err);
    EndApplication(application);
    out << verification.nDiffering << " of " << verification.nCompared << " cells differ or are empty\n";
    return bComplete && verification.nDiffering == 0 ? 0 : 1;
}

int RunVerifyCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const std::unique_ptr<SpreadsheetLauncher> launcher = MakeSpreadsheetLauncher();
    return RunVerifyCommandWith(args, out, err, *launcher, BindResultLibrary);
}
