#include "PostToSpreadsheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "EvaluateItemValue.h"
#include "FailureReports.h"
#include "FilePath.h"
#include "FormatText.h"
#include "Paths.h"

namespace {

// The posting log: a text file written one line at a time.  Every failure
// to open or write it is raised as a FileFailure, which the rounds report.
class PostingLog {
public:
    PostingLog() = default;
    PostingLog(const PostingLog &) = delete;
    PostingLog &operator=(const PostingLog &) = delete;
    ~PostingLog() { CloseQuietly(); }

    // Creates (or truncates) the file, or with bAppend opens it at its end
    // (creating it when missing) and leaves two empty lines first.  Lines
    // end in LF on every system (binary mode), so a log reads the same
    // wherever it was written.
    void Open(const std::string &strPath, bool bAppend)
    {
        m_pFile = OpenFile(NativePath(strPath), bAppend ? "ab" : "wb");
        if (!m_pFile)
            throw FileFailure("cannot open the posting log '" + strPath + "'");
        if (bAppend)
            Write("\n\n");
    }

    void Line(const std::string &strText) { Write(strText + "\n"); }

    // Closes the file; a failure to write what was buffered is raised.
    void Close()
    {
        std::FILE *pFile = m_pFile;
        m_pFile = nullptr;
        if (pFile && std::fclose(pFile) != 0)
            throw FileFailure("cannot write the posting log");
    }

    void CloseQuietly()
    {
        if (m_pFile)
            std::fclose(m_pFile);
        m_pFile = nullptr;
    }

private:
    void Write(const std::string &strText)
    {
        if (std::fputs(strText.c_str(), m_pFile) < 0)
            throw FileFailure("cannot write the posting log");
    }

    std::FILE *m_pFile = nullptr;
};

// Everything one pass works with: its arguments, the automation objects it
// owns, the failure context, the posting log and the round state.
struct Pass {
    Pass(Application &app, const PostingRequest &req, ResultAccess &results, std::string &errorText,
         PassServices &svc)
        : application(app), request(req), access(results), strErrorText(errorText), services(svc)
    {
    }

    Application &application;
    const PostingRequest &request;
    ResultAccess &access;
    std::string &strErrorText;
    PassServices &services;

    DispatchHolder<Range> range;
    DispatchHolder<Worksheets> worksheets;
    DispatchHolder<Workbooks> workbooks;
    DispatchHolder<Worksheet> worksheet;
    DispatchHolder<Workbook> workbook;

    FailureContext context;
    PostingLog log;
    bool bLogOn = false;
    int32_t iCount = 0;
    bool bPosting = true;
    bool bVerified = false;
};

const char kStringNotImplemented[] = "String result type not yet implemented";
const char kTabSelection[] = "(tab selection)";

// A record text that may be null, as it is shown in messages and the log.
const char *Shown(const char *psText) { return psText ? psText : "(null)"; }

// pObject attached to holder; an object model that hands back nothing is
// treated as a failed call rather than followed into a crash.
template <class T>
void AttachRequired(DispatchHolder<T> &holder, std::unique_ptr<T> pObject, const char *pszWhat)
{
    if (!pObject)
        throw AutomationFailure(std::string("no object returned by ") + pszWhat);
    holder.Attach(std::move(pObject));
}

void LogLine(Pass &pass, const std::string &strText)
{
    if (pass.bLogOn)
        pass.log.Line(strText);
}

void ShowReport(Pass &pass, const FailureReport &report)
{
    pass.services.messages.ShowMessage(report.strCaption, report.strText);
}

// The existence and writability checks made before the spreadsheet is
// touched; false (with the error text set) when the pass must not go on.
// The user may retry a workbook that exists but cannot be written; one that
// vanishes between tries counts as writable.
bool CheckWorkbookFile(Pass &pass)
{
    const FileProbe &probe = pass.services.probeFile;
    if (!probe(pass.request.strWorkbookPath, "rb")) {
        pass.strErrorText = FormatText("%s file not found  '%s'", pass.request.strFileDesc.c_str(),
                                       pass.request.strWorkbookPath.c_str());
        return false;
    }
    while (!probe(pass.request.strWorkbookPath, "r+b") && probe(pass.request.strWorkbookPath, "rb")) {
        if (!pass.services.messages.AskRetry(kApplicationCaption, pass.request.strFileDesc)) {
            pass.strErrorText = FormatText("Unable to open (for writing) %s file  '%s'",
                                           pass.request.strFileDesc.c_str(), pass.request.strWorkbookPath.c_str());
            return false;
        }
    }
    return true;
}

// Registers the analysis add-in, opens the workbook and takes its sheets.
void SetUp(Pass &pass)
{
    const std::string addIn = FormatText("%s\\Analysis\\Analys32.xll", pass.application.LibraryPath().c_str());
    if (!pass.application.RegisterXLL(addIn))
        pass.services.messages.ShowMessage(kApplicationCaption, "Didn't register the Analys32.xll");
    AttachRequired(pass.workbooks, pass.application.GetWorkbooks(), "Application.Workbooks");
    AttachRequired(pass.workbook, pass.workbooks->Open(pass.request.strWorkbookPath), "Workbooks.Open");
    AttachRequired(pass.worksheets, pass.workbook->GetWorksheets(), "Workbook.Worksheets");
    pass.context = FailureContext();
    pass.bLogOn = pass.services.readLogFlag && pass.services.readLogFlag() != 0;
}

// The one-cell range of strCell on the current sheet, made current.
Range &TakeRange(Pass &pass, const std::string &strCell)
{
    if (pass.worksheet.IsEmpty())
        throw AutomationFailure("no worksheet selected before cell " + strCell);
    AttachRequired(pass.range, pass.worksheet->GetRange(strCell, strCell), "Worksheet.Range");
    return *pass.range;
}

// Reads the cell back and compares it with the computed value; an empty or
// unreadable cell leaves the verified flag as it was.
void CompareCell(Pass &pass, const std::string &strCell, double dComputed)
{
    const std::string text = CheckedCellText(TakeRange(pass, strCell).GetValue2());
    if (text.empty()) {
        LogLine(pass, FormatText("      cell%7s:  Cell Value not found => unable to compare to DOE-2 Result (%g)",
                                 strCell.c_str(), dComputed));
        return;
    }
    const double dCell = LeadingNumber(text);
    pass.bVerified = PostedValueMatches(dCell, dComputed);
    LogLine(pass, FormatText("      cell%7s:  Cell Value (%g)  %s  DOE-2 Result (%g)", strCell.c_str(), dCell,
                             pass.bVerified ? "==" : "NOT EQUAL to", dComputed));
}

void SelectSheet(Pass &pass, const GombrelData &item)
{
    const std::string name = item.psItemString ? item.psItemString : "";
    pass.context.strTab = name;
    pass.context.strCell.clear();
    pass.context.strProperty = kTabSelection;
    AttachRequired(pass.worksheet, pass.worksheets->Item(name), "Worksheets.Item");
    LogLine(pass, FormatText("   Switching to tab '%s'", name.c_str()));
}

// Carries out the record's action on its cell in the current round.
void CarryOut(Pass &pass, const GombrelData &item, const std::string &strCell, int32_t iAction,
              const ItemValue &value)
{
    switch (iAction) {
    case GOMBREL_ACTION_NUMBER:
        if (!pass.bPosting) {
            if (pass.bVerified)
                CompareCell(pass, strCell, value.dNumber);
            return;
        }
        TakeRange(pass, strCell).PutValue2(value.dNumber);
        ++pass.iCount;
        LogLine(pass, FormatText("      cell%7s:  Posting Value = %g", strCell.c_str(), value.dNumber));
        return;
    case GOMBREL_ACTION_TEXT:
        if (!pass.bPosting)
            return;
        TakeRange(pass, strCell).PutValue2(value.strText);
        ++pass.iCount;
        LogLine(pass, FormatText("      cell%7s:  Posting '%s'", strCell.c_str(), value.strText.c_str()));
        return;
    case GOMBREL_ACTION_SELECT_SHEET:
        SelectSheet(pass, item);
        return;
    case GOMBREL_ACTION_CLEAR:
        if (!pass.bPosting)
            return;
        TakeRange(pass, strCell).ClearContents();
        LogLine(pass, FormatText("      cell%7s:  Cleared", strCell.c_str()));
        return;
    default:
        return;
    }
}

// Computes the record's value when its action needs one; a text record
// without special processing has no way to get its text yet.
void Evaluate(Pass &pass, const GombrelData &item, ItemValue &value)
{
    if (IsEvaluatedInRound(item))
        EvaluateItemValue(pass.access, item, pass.request.strDoe2Folder, pass.request.strResultsFolder,
                          pass.strErrorText, value);
    else if (item.iAction == GOMBREL_ACTION_TEXT)
        pass.services.messages.ShowMessage(kApplicationCaption, kStringNotImplemented);
}

void RecordStep(Pass &pass, const GombrelData &item)
{
    const std::string cell = FormatText("%s%d", item.psCol, item.iRow);
    pass.context.strCell = cell;
    ItemValue value;
    Evaluate(pass, item, value);
    if (value.bSkip && pass.bPosting)
        LogLine(pass, FormatText("      cell%7s:  SKIPPING post of %s (no values > 0 found)", cell.c_str(),
                                 Shown(item.psSpecialProcessing)));
    if (!pass.strErrorText.empty() || value.bSkip)
        return;
    const int32_t iAction = value.bIsString && !value.strText.empty() ? GOMBREL_ACTION_TEXT : item.iAction;
    CarryOut(pass, item, cell, iAction, value);
}

void WalkTable(Pass &pass, const GombrelData *pTable)
{
    for (const GombrelData *pItem = pTable; !IsEndRecord(*pItem) && pass.strErrorText.empty(); ++pItem)
        RecordStep(pass, *pItem);
}

// One posting or checking round over the table.
void RunRound(Pass &pass, int32_t iRound)
{
    pass.bPosting = iRound % 2 == 1;
    pass.bVerified = !pass.bPosting;
    LogLine(pass, FormatText("Round %d - %s:", (iRound + 1) / 2, pass.bPosting ? "POSTING to XLS" : "CHECKING XLS Values"));
    if (pass.services.pProgress)
        pass.services.pProgress->RoundStarted(iRound, pass.bPosting);
    ReadResultsAfresh(pass.access);
    if (pass.strErrorText.empty())
        WalkTable(pass, pass.request.pTable);
}

// The posting log and the rounds until the values are confirmed, the round
// limit is reached or an evaluation fails.  A failure in here is reported
// with where the pass was, and the pass then ends as after its last round.
void RunRounds(Pass &pass)
{
    try {
        if (pass.bLogOn) {
            pass.log.Open(PathBelow(pass.request.strResultsFolder, "\\GombrelApp Dbg.txt"), pass.request.bAppendLog);
            pass.log.Line(FormatText("Posting results to:  '%s'", pass.request.strWorkbookPath.c_str()));
        }
        const int32_t iRoundLimit = pass.request.bCheckPosted ? 10 : 1;
        for (int32_t iRound = 1; iRound <= iRoundLimit && !pass.bVerified && pass.strErrorText.empty(); ++iRound)
            RunRound(pass, iRound);
        pass.log.Close();
    } catch (const AutomationFailure &) {
        pass.log.CloseQuietly();
        ShowReport(pass, RoundsFailureReport(pass.request.strWorkbookPath, pass.context));
    }
}

// Saves the workbook (it stays open in the application) and lets go of
// every object of the pass.
void Finish(Pass &pass)
{
    pass.workbook->Save();
    pass.range.Release();
    pass.worksheets.Release();
    pass.workbooks.Release();
    pass.worksheet.Release();
    pass.workbook.Release();
}

}  // namespace

bool OpenAndClose(const std::string &strPath, const char *pszMode)
{
    std::error_code error;
    if (std::filesystem::is_directory(FilePath(NativePath(strPath)), error))
        return false;
    std::FILE *pFile = OpenFile(NativePath(strPath), pszMode);
    if (!pFile)
        return false;
    std::fclose(pFile);
    return true;
}

std::string CheckedCellText(const CellValue &value)
{
    switch (value.kind) {
    case CellValue::Kind::Number:
        return FormatText("%g", value.dNumber);
    case CellValue::Kind::Text:
        return value.strText;
    case CellValue::Kind::None:
        break;
    }
    return std::string();
}

bool PostedValueMatches(double dCell, double dComputed)
{
    const double dTolerance = 0.001 * std::max(std::fabs(dCell), std::fabs(dComputed));
    if (dComputed - dTolerance < dCell && dCell < dComputed + dTolerance)
        return true;
    return -0.0001 < dComputed && dComputed < 0.0001 && -0.0001 < dCell && dCell < 0.0001;
}

double LeadingNumber(const std::string &strText)
{
    size_t pos = 0;
    while (pos < strText.size() && std::isspace(static_cast<unsigned char>(strText[pos])))
        ++pos;
    const size_t start = pos;
    auto digits = [&] {
        const size_t first = pos;
        while (pos < strText.size() && std::isdigit(static_cast<unsigned char>(strText[pos])))
            ++pos;
        return pos - first;
    };
    if (pos < strText.size() && (strText[pos] == '+' || strText[pos] == '-'))
        ++pos;
    size_t mantissa = digits();
    if (pos < strText.size() && strText[pos] == '.') {
        ++pos;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0.0;
    const size_t endOfMantissa = pos;
    if (pos < strText.size() && (strText[pos] == 'e' || strText[pos] == 'E')) {
        ++pos;
        if (pos < strText.size() && (strText[pos] == '+' || strText[pos] == '-'))
            ++pos;
        if (digits() == 0)
            pos = endOfMantissa;
    }
    return std::strtod(strText.substr(start, pos - start).c_str(), nullptr);
}

int32_t PostToSpreadsheet(Application &application, const PostingRequest &request, ResultAccess &access,
                          std::string &strErrorText, PassServices &services)
{
    Pass pass(application, request, access, strErrorText, services);
    if (!CheckWorkbookFile(pass))
        return 0;
    // A failure caught here means the workbook was never saved: whatever the
    // rounds wrote is lost with the application, so the pass counts nothing
    // and the run does not report those cells as posted.
    try {
        SetUp(pass);
        RunRounds(pass);
        Finish(pass);
        return pass.iCount;
    } catch (const OleFailure &failure) {
        ShowReport(pass, OleFailureReport(failure.Status()));
    } catch (const DispatchFailure &failure) {
        ShowReport(pass, DispatchFailureReport(failure.Code(), failure.Description()));
    } catch (...) {
        ShowReport(pass, GeneralFailureReport());
    }
    return 0;
}
