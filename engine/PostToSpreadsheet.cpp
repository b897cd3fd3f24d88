#include "PostToSpreadsheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>
#include <vector>

#include "CellAction.h"
#include "CellBlocks.h"
#include "ConfirmationRule.h"
#include "EvaluateItemValue.h"
#include "FailureReports.h"
#include "FilePath.h"
#include "FormatText.h"
#include "Paths.h"
#include "PostingLog.h"

namespace {

// A record's cell operation in a round, kept back until the other cells of
// its sheet are known, so that neighbouring cells are written or read in
// one call; or only a line for the log (a skipped record), kept in its
// place among them.
struct CellStep {
    enum class Kind { LogLine, PostNumber, PostText, Compare };
    CellStep(Kind eKind, std::string strCellOrLine) : kind(eKind), strCell(std::move(strCellOrLine)) {}

    Kind kind;
    std::string strCell;      // A1, as the record names it; the line of a LogLine
    bool bHasAddress = false;  // strCell is an address a block may hold
    CellAddress address;
    double dNumber = 0.0;     // posted, or computed to compare with
    std::string strText;      // posted
};

// Everything one pass works with: its arguments, the automation objects it
// owns, the failure context, the posting log, the round state and the cell
// operations kept back.
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
    std::vector<CellStep> steps;
};

const char kStringNotImplemented[] = "String result type not yet implemented";
const char kTabSelection[] = "(tab selection)";

// A record text that may be null, as it is shown in messages and the log.
const char *Shown(const char *psText) { return psText ? psText : "(null)"; }

void LogLine(Pass &pass, const std::string &strText)
{
    if (pass.bLogOn)
        pass.log.Line(strText);
}

// Every box a pass shows tells of something that went wrong; the first is
// kept for the run.
void ShowFailure(Pass &pass, const std::string &strCaption, const std::string &strText)
{
    if (pass.services.outcome.strFailureShown.empty())
        pass.services.outcome.strFailureShown = strText;
    pass.services.messages.ShowMessage(strCaption, strText);
}

void ShowReport(Pass &pass, const FailureReport &report) { ShowFailure(pass, report.strCaption, report.strText); }

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
        ShowFailure(pass, kApplicationCaption, "Didn't register the Analys32.xll");
    pass.workbooks.Attach(Required(pass.application.GetWorkbooks(), "Application.Workbooks"));
    pass.workbook.Attach(Required(pass.workbooks->Open(pass.request.strWorkbookPath), "Workbooks.Open"));
    pass.worksheets.Attach(Required(pass.workbook->GetWorksheets(), "Workbook.Worksheets"));
    pass.context = FailureContext();
    pass.bLogOn = pass.services.readLogFlag && pass.services.readLogFlag() != 0;
}

// The one-cell range of strCell on the current sheet, made current.
Range &TakeRange(Pass &pass, const std::string &strCell)
{
    if (pass.worksheet.IsEmpty())
        throw AutomationFailure("no worksheet selected before cell " + strCell);
    pass.range.Attach(Required(pass.worksheet->GetRange(strCell, strCell), "Worksheet.Range"));
    return *pass.range;
}

// Compares the value read from the cell with the computed one; an empty or
// unreadable cell leaves the verified flag as it was.
void CompareValue(Pass &pass, const std::string &strCell, const CellValue &value, double dComputed)
{
    double dCell = 0.0;
    if (!CheckedCellNumber(value, dCell)) {
        if (pass.bLogOn)
            pass.log.Line(FormatText("      cell%7s:  Cell Value not found => unable to compare to DOE-2 Result (%g)",
                                     strCell.c_str(), dComputed));
        return;
    }
    pass.bVerified = PostedValueMatches(dCell, dComputed);
    if (pass.bLogOn)
        pass.log.Line(FormatText("      cell%7s:  Cell Value (%g)  %s  DOE-2 Result (%g)", strCell.c_str(), dCell,
                                 pass.bVerified ? "==" : "NOT EQUAL to", dComputed));
}

// Counts a write made and logs it.
void NotePosted(Pass &pass, const CellStep &step)
{
    ++pass.iCount;
    if (!pass.bLogOn)
        return;
    if (step.kind == CellStep::Kind::PostNumber)
        pass.log.Line(FormatText("      cell%7s:  Posting Value = %g", step.strCell.c_str(), step.dNumber));
    else
        pass.log.Line(FormatText("      cell%7s:  Posting '%s'", step.strCell.c_str(), step.strText.c_str()));
}

// Writes the step's cell on its own.
void PostCell(Pass &pass, const CellStep &step)
{
    pass.context.strCell = step.strCell;
    Range &range = TakeRange(pass, step.strCell);
    if (step.kind == CellStep::Kind::PostNumber)
        range.PutValue2(step.dNumber);
    else
        range.PutValue2(step.strText);
}

// Every step on its own, in the records' order: a cell the application
// refuses is named in the report, and the cells before it arrive.  After a
// refused block, the cells of the blocks written before the refusal
// (written) are in the sheet whatever their records' place: should a cell
// be refused here too, they are logged and counted as posted, so that the
// log tells what the workbook holds.
void PostOneByOne(Pass &pass, const std::vector<CellStep> &steps, const std::vector<CellArea> &written = {})
{
    size_t uDone = 0;
    try {
        for (; uDone < steps.size(); ++uDone) {
            const CellStep &step = steps[uDone];
            if (step.kind == CellStep::Kind::LogLine) {
                LogLine(pass, step.strCell);
                continue;
            }
            PostCell(pass, step);
            NotePosted(pass, step);
        }
    } catch (const AutomationFailure &) {
        for (size_t i = uDone + 1; i < steps.size(); ++i) {
            const CellStep &step = steps[i];
            if (step.kind != CellStep::Kind::LogLine && step.bHasAddress &&
                std::any_of(written.begin(), written.end(),
                            [&](const CellArea &block) { return block.Contains(step.address); }))
                NotePosted(pass, step);
        }
        throw;
    }
}

// The steps' cells written in as few calls as they allow: each rectangle
// the cells fill completely in one call, the others one by one.  Should a
// rectangle fail, everything is written again one by one.
void PostSteps(Pass &pass, const std::vector<CellStep> &steps)
{
    std::map<CellAddress, const CellStep *> written;  // the last step of each cell
    for (const CellStep &step : steps)
        if (step.kind != CellStep::Kind::LogLine && step.bHasAddress)
            written[step.address] = &step;
    std::vector<CellAddress> cells;
    for (const auto &entry : written)
        cells.push_back(entry.first);
    std::vector<CellArea> blocks;
    for (const CellArea &area : ExactAreas(cells))
        if (area.CellCount() > 1)
            blocks.push_back(area);
    // A number that is not finite is refused by the application, or taken
    // as an error value: such a sheet goes one cell at a time from its
    // first record, so that the pass stops there with exactly the cells
    // before it written.
    const bool bNotFinite = std::any_of(steps.begin(), steps.end(), [](const CellStep &step) {
        return step.kind == CellStep::Kind::PostNumber && !std::isfinite(step.dNumber);
    });
    if ((pass.worksheet.IsEmpty() && !blocks.empty()) || bNotFinite)
        return PostOneByOne(pass, steps);
    size_t uBlocksWritten = 0;
    try {
        for (const CellArea &block : blocks) {
            std::vector<CellInput> inputs;
            for (int row = block.first.iRow; row <= block.last.iRow; ++row)
                for (int column = block.first.iColumn; column <= block.last.iColumn; ++column) {
                    const CellStep &step = *written.at({column, row});
                    CellInput input;
                    input.kind = step.kind == CellStep::Kind::PostNumber ? CellInput::Kind::Number : CellInput::Kind::Text;
                    input.dNumber = step.dNumber;
                    input.strText = step.strText;
                    inputs.push_back(std::move(input));
                }
            pass.worksheet->PutValues(block, inputs);
            ++uBlocksWritten;
        }
    } catch (const AutomationFailure &) {
        return PostOneByOne(pass, steps, {blocks.begin(), blocks.begin() + uBlocksWritten});
    }
    auto inBlock = [&](const CellStep &step) {
        return step.bHasAddress && std::any_of(blocks.begin(), blocks.end(), [&](const CellArea &block) {
                   return block.Contains(step.address);
               });
    };
    for (const CellStep &step : steps) {
        if (step.kind == CellStep::Kind::LogLine) {
            LogLine(pass, step.strCell);
            continue;
        }
        if (!inBlock(step))
            PostCell(pass, step);
        NotePosted(pass, step);
    }
}

// Each step's cell read on its own, in the records' order, until one does
// not agree.
void CompareOneByOne(Pass &pass, const std::vector<CellStep> &steps)
{
    for (const CellStep &step : steps) {
        if (!pass.bVerified)
            return;
        pass.context.strCell = step.strCell;
        CompareValue(pass, step.strCell, TakeRange(pass, step.strCell).GetValue2(), step.dNumber);
    }
}

// The steps' cells read in a few blocks, then compared in the records'
// order until one does not agree.  Should a block read fail, every cell is
// read again one by one.
void CompareSteps(Pass &pass, const std::vector<CellStep> &steps)
{
    std::vector<CellAddress> cells;
    for (const CellStep &step : steps) {
        if (!step.bHasAddress)
            return CompareOneByOne(pass, steps);
        cells.push_back(step.address);
    }
    if (pass.worksheet.IsEmpty())
        return CompareOneByOne(pass, steps);
    std::map<CellAddress, CellValue> read;
    try {
        for (const CellArea &area : CoveringAreas(cells)) {
            if (area.CellCount() == 1) {
                read[area.first] = TakeRange(pass, FormatCellAddress(area.first)).GetValue2();
                continue;
            }
            const std::vector<CellValue> values = pass.worksheet->GetValues(area);
            if (values.size() != static_cast<size_t>(area.CellCount()))
                throw AutomationFailure("a block read gave another number of cells");
            size_t i = 0;
            for (int row = area.first.iRow; row <= area.last.iRow; ++row)
                for (int column = area.first.iColumn; column <= area.last.iColumn; ++column, ++i)
                    read[{column, row}] = values[i];
        }
    } catch (const AutomationFailure &) {
        return CompareOneByOne(pass, steps);
    }
    for (const CellStep &step : steps) {
        if (!pass.bVerified)
            return;
        CompareValue(pass, step.strCell, read.at(step.address), step.dNumber);
    }
}

// Carries out the cell operations kept back, at the end of a sheet's
// records or before anything that must come after them.
void Flush(Pass &pass)
{
    const std::vector<CellStep> steps = std::exchange(pass.steps, {});
    if (steps.empty())
        return;
    if (pass.bPosting)
        PostSteps(pass, steps);
    else
        CompareSteps(pass, steps);
}

// Keeps the record's cell operation back for the next flush.
void KeepStep(Pass &pass, CellStep::Kind kind, const std::string &strCell, const ItemValue &value)
{
    CellStep step(kind, strCell);
    step.bHasAddress = ParseCellAddress(strCell, step.address, kWideWorkbookLimits);
    step.dNumber = value.dNumber;
    step.strText = value.strText;
    pass.steps.push_back(std::move(step));
}

void SelectSheet(Pass &pass, const GombrelData &item)
{
    Flush(pass);
    const std::string name = item.psItemString ? item.psItemString : "";
    pass.context.strTab = name;
    pass.context.strCell.clear();
    pass.context.strProperty = kTabSelection;
    pass.worksheet.Attach(Required(pass.worksheets->Item(name), "Worksheets.Item"));
    LogLine(pass, FormatText("   Switching to tab '%s'", name.c_str()));
}

// Carries out the record's action on its cell in the current round: cell
// writes and reads are kept back for the sheet's next flush.
void CarryOut(Pass &pass, const GombrelData &item, const std::string &strCell, int32_t iAction,
              const ItemValue &value)
{
    switch (iAction) {
    case GOMBREL_ACTION_NUMBER:
        if (pass.bPosting)
            KeepStep(pass, CellStep::Kind::PostNumber, strCell, value);
        else if (pass.bVerified)
            KeepStep(pass, CellStep::Kind::Compare, strCell, value);
        return;
    case GOMBREL_ACTION_TEXT:
        if (pass.bPosting)
            KeepStep(pass, CellStep::Kind::PostText, strCell, value);
        return;
    case GOMBREL_ACTION_SELECT_SHEET:
        SelectSheet(pass, item);
        return;
    case GOMBREL_ACTION_CLEAR:
        if (!pass.bPosting)
            return;
        Flush(pass);
        pass.context.strCell = strCell;
        TakeRange(pass, strCell).ClearContents();
        LogLine(pass, FormatText("      cell%7s:  Cleared", strCell.c_str()));
        return;
    default:
        return;
    }
}

// Computes the record's value when its action needs one; a text record
// without special processing has no way to get its text yet.  A failure
// reaches the error text only after the cells kept back are made, as they
// were before the failing record was met.
void Evaluate(Pass &pass, const GombrelData &item, ItemValue &value)
{
    if (IsEvaluatedInRound(item)) {
        std::string failure;
        EvaluateItemValue(pass.access, item, pass.request.strDoe2Folder, pass.request.strResultsFolder, failure,
                          value);
        if (!failure.empty()) {
            Flush(pass);
            pass.strErrorText = failure;
        }
    } else if (item.iAction == GOMBREL_ACTION_TEXT) {
        Flush(pass);
        ShowFailure(pass, kApplicationCaption, kStringNotImplemented);
    }
}

void RecordStep(Pass &pass, const GombrelData &item)
{
    const std::string cell = CellName(item);
    pass.context.strCell = cell;
    ItemValue value;
    Evaluate(pass, item, value);
    if (value.bSkip && pass.bPosting && pass.bLogOn)
        pass.steps.emplace_back(CellStep::Kind::LogLine,
                              FormatText("      cell%7s:  SKIPPING post of %s (no values > 0 found)", cell.c_str(),
                                         Shown(item.psSpecialProcessing)));
    if (!pass.strErrorText.empty() || value.bSkip)
        return;
    CarryOut(pass, item, cell, CellAction(item, value), value);
}

void WalkTable(Pass &pass, const GombrelData *pTable)
{
    for (const GombrelData *pItem = pTable; !IsEndRecord(*pItem) && pass.strErrorText.empty(); ++pItem)
        RecordStep(pass, *pItem);
    Flush(pass);
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
            if (!pass.request.strLibraryFile.empty())
                pass.log.Line(FormatText("Result library:  '%s'", pass.request.strLibraryFile.c_str()));
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

int32_t PostToSpreadsheet(Application &application, const PostingRequest &request, ResultAccess &access,
                          std::string &strErrorText, PassServices &services)
{
    services.outcome = PassOutcome();
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
        services.outcome.bConfirmed = request.bCheckPosted && pass.bVerified;
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
