// A spreadsheet application that lives in memory, for tests: workbooks are
// MemoryBook files (see MemoryBook.h), opened into memory and written back by
// Save.  Tests configure the shared MemorySpreadsheet (failures to inject,
// missing sheets, unreadable cells, the add-in answer) and afterwards read
// its call counters and call log.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "SpreadsheetSession.h"
#include "MemoryBook.h"

// The operations of the object model, as counted and logged.
enum class SpreadsheetCall {
    LibraryPath,
    RegisterXLL,
    Workbooks,
    Open,
    OpenReadOnly,
    Worksheets,
    Item,
    Range,
    PutValue2,
    GetValue2,
    ClearContents,
    PutValues,
    GetValues,
    Save,
    Close,
    Quit,
};

// What an injected failure throws: an OleFailure (with the status given), a
// DispatchFailure (code and description given), a FileFailure, a plain
// AutomationFailure, or an exception outside the automation family.
enum class InjectedKind { Ole, Dispatch, File, OtherAutomation, Foreign };

struct InjectedFailure {
    InjectedKind kind = InjectedKind::Dispatch;
    uint32_t uStatus = kStatusDisconnected;
    uint16_t wCode = 0;
    std::string strDescription = "injected failure";
};

// State of one in-memory application and its open workbooks, shared by all
// the objects it hands out.  After Quit every call fails as a call to an
// application that has gone (OleFailure, kStatusDisconnected).
class MemorySpreadsheet {
public:
    // Configuration.
    std::string strLibraryPath = "/memory/library";
    bool bRegisterXLL = true;
    // What Range.Value2 gives for a formula cell of sheet; none: no value
    // (formulas are never computed here).
    std::function<CellValue(const MemoryCell &formula, const MemorySheet &sheet)> computeFormula;

    // The nth call (counting from 1, over the application's whole life) of
    // call throws failure instead of doing anything.
    void FailCall(SpreadsheetCall call, int nth, InjectedFailure failure);
    // Worksheets.Item of this name (in any workbook) finds no sheet.
    void HideSheet(const std::string &strName);
    // Range.Value2 get of this cell of this sheet throws a DispatchFailure,
    // and so does every block read that holds it.
    void MakeCellUnreadable(const std::string &strSheet, const std::string &strCell);
    // Workbooks.Open of this path throws a DispatchFailure.
    void FailOpen(const std::string &strPath);

    // Inspection.
    int Calls(SpreadsheetCall call) const;
    // Cells written (alone or in blocks) and read, over the application's
    // whole life; a call that failed counts none.
    int CellsWritten() const { return m_iCellsWritten; }
    int CellsRead() const { return m_iCellsRead; }
    const std::vector<std::string> &CallLog() const { return m_callLog; }
    bool HasQuit() const { return m_bQuit; }
    // The workbook open under strPath, or null.
    const MemoryBook *OpenBook(const std::string &strPath) const;

    // Used by the objects: counts and logs call, then throws when it must
    // fail (injected, or the application has quit).
    void Enter(SpreadsheetCall call, const std::string &strLogLine);
    void NoteCellsWritten(int64_t iCells) { m_iCellsWritten += static_cast<int>(iCells); }
    void NoteCellsRead(int64_t iCells) { m_iCellsRead += static_cast<int>(iCells); }
    void Quit() { m_bQuit = true; }
    // Forgets every open workbook, unsaved changes with it.
    void CloseBooks() { m_openBooks.clear(); }
    bool IsSheetHidden(const std::string &strName) const { return m_hiddenSheets.count(strName) != 0; }
    bool IsCellUnreadable(const std::string &strSheet, const std::string &strCell) const;
    bool IsOpenRefused(const std::string &strPath) const { return m_refusedOpens.count(strPath) != 0; }
    std::shared_ptr<MemoryBook> &BookSlot(const std::string &strPath) { return m_openBooks[strPath]; }

private:
    std::map<SpreadsheetCall, int> m_calls;
    std::map<std::pair<SpreadsheetCall, int>, InjectedFailure> m_failures;
    std::set<std::string> m_hiddenSheets;
    std::set<std::pair<std::string, std::string>> m_unreadableCells;
    std::set<std::string> m_refusedOpens;
    std::map<std::string, std::shared_ptr<MemoryBook>> m_openBooks;
    std::vector<std::string> m_callLog;
    int m_iCellsWritten = 0;
    int m_iCellsRead = 0;
    bool m_bQuit = false;
};

// A new application object on state.
std::unique_ptr<Application> MakeMemoryApplication(std::shared_ptr<MemorySpreadsheet> state);

// Starts in-memory applications on one shared state.  Installed: StartApplication
// attaches one; not installed: it shows the not-installed box and returns
// false; not startable: it returns false without a word.
class MemoryLauncher : public SpreadsheetLauncher {
public:
    enum class Outcome { Starts, NotInstalled, NotStartable };

    explicit MemoryLauncher(std::shared_ptr<MemorySpreadsheet> state, Outcome outcome = Outcome::Starts)
        : m_state(std::move(state)), m_outcome(outcome)
    {
    }
    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override;

private:
    std::shared_ptr<MemorySpreadsheet> m_state;
    Outcome m_outcome;
};
