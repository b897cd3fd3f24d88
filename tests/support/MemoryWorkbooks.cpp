#include "MemoryWorkbooks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "FailureReports.h"
#include "FormatText.h"
#include "Paths.h"

namespace {

// Throws the failure a test asked for.
[[noreturn]] void Throw(const InjectedFailure &failure)
{
    switch (failure.kind) {
    case InjectedKind::Ole:
        throw OleFailure(failure.uStatus);
    case InjectedKind::Dispatch:
        throw DispatchFailure(failure.wCode, failure.strDescription);
    case InjectedKind::File:
        throw FileFailure(failure.strDescription);
    case InjectedKind::OtherAutomation:
        throw AutomationFailure(failure.strDescription);
    case InjectedKind::Foreign:
        break;
    }
    throw std::logic_error(failure.strDescription);
}

// Sheet names compare as Excel compares them: ASCII case ignored.
bool SameNameIgnoringCase(const std::string &strA, const std::string &strB)
{
    return std::equal(strA.begin(), strA.end(), strB.begin(), strB.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// strText read as typed input: a leading "=" makes a formula, a whole
// number text a number, anything else a text.
MemoryCell TypedCell(const std::string &strText)
{
    MemoryCell cell;
    if (!strText.empty() && strText[0] == '=') {
        cell.kind = MemoryCell::Kind::Formula;
        cell.strText = strText;
        return cell;
    }
    char *end = nullptr;
    const double number = std::strtod(strText.c_str(), &end);
    while (end && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (end != strText.c_str() && *end == '\0') {
        cell.kind = MemoryCell::Kind::Number;
        cell.dNumber = number;
        return cell;
    }
    cell.strText = strText;
    return cell;
}

// What Value2 gives: numbers and texts; formulas (never computed here) and
// errors give no value.
CellValue ValueOf(const MemoryCell &cell)
{
    CellValue value;
    if (cell.kind == MemoryCell::Kind::Number) {
        value.kind = CellValue::Kind::Number;
        value.dNumber = cell.dNumber;
    } else if (cell.kind == MemoryCell::Kind::Text) {
        value.kind = CellValue::Kind::Text;
        value.strText = cell.strText;
    }
    return value;
}

// Everything a range object needs: the application state, its workbook,
// the sheet (by index: sheets are never added or removed) and the cell.
struct CellPlace {
    std::shared_ptr<MemorySpreadsheet> state;
    std::shared_ptr<MemoryBook> book;
    size_t uSheet;
    CellAddress address;

    MemorySheet &Sheet() const { return book->sheets[uSheet]; }
    std::string Name() const { return Sheet().strName + "!" + FormatCellAddress(address); }
};

// Like Calc, refuses a number that is not finite.
void CheckFinite(double dNumber)
{
    if (!std::isfinite(dNumber))
        throw DispatchFailure(kApplicationErrorCode, "Cannot store a number that is not finite");
}

void PutNumber(MemorySheet &sheet, const CellAddress &address, double dNumber)
{
    MemoryCell cell;
    cell.kind = MemoryCell::Kind::Number;
    cell.dNumber = dNumber;
    sheet.cells[address] = cell;
}

void PutText(MemorySheet &sheet, const CellAddress &address, const std::string &strText)
{
    if (strText.empty())
        sheet.cells.erase(address);
    else
        sheet.cells[address] = TypedCell(strText);
}

CellValue GetValue(const MemorySpreadsheet &state, const MemorySheet &sheet, const CellAddress &address)
{
    if (state.IsCellUnreadable(sheet.strName, FormatCellAddress(address)))
        throw DispatchFailure(kApplicationErrorCode, "Unable to get the Value2 property of the Range class");
    const auto found = sheet.cells.find(address);
    if (found == sheet.cells.end())
        return CellValue();
    if (found->second.kind == MemoryCell::Kind::Formula && state.computeFormula)
        return state.computeFormula(found->second, sheet);
    return ValueOf(found->second);
}

class MemoryRange : public Range {
public:
    explicit MemoryRange(CellPlace place) : m_place(std::move(place)) {}

    void PutValue2(double dNumber) override
    {
        m_place.state->Enter(SpreadsheetCall::PutValue2, FormatText("PutValue2 %s = %.17g", m_place.Name().c_str(), dNumber));
        CheckFinite(dNumber);
        PutNumber(m_place.Sheet(), m_place.address, dNumber);
        m_place.state->NoteCellsWritten(1);
    }
    void PutValue2(const std::string &strText) override
    {
        m_place.state->Enter(SpreadsheetCall::PutValue2, FormatText("PutValue2 %s = '%s'", m_place.Name().c_str(), strText.c_str()));
        PutText(m_place.Sheet(), m_place.address, strText);
        m_place.state->NoteCellsWritten(1);
    }
    CellValue GetValue2() override
    {
        m_place.state->Enter(SpreadsheetCall::GetValue2, "GetValue2 " + m_place.Name());
        const CellValue value = GetValue(*m_place.state, m_place.Sheet(), m_place.address);
        m_place.state->NoteCellsRead(1);
        return value;
    }
    void ClearContents() override
    {
        m_place.state->Enter(SpreadsheetCall::ClearContents, "ClearContents " + m_place.Name());
        m_place.Sheet().cells.erase(m_place.address);
    }

private:
    CellPlace m_place;
};

class MemoryWorksheet : public Worksheet {
public:
    MemoryWorksheet(std::shared_ptr<MemorySpreadsheet> state, std::shared_ptr<MemoryBook> book, size_t uSheet)
        : m_state(std::move(state)), m_book(std::move(book)), m_uSheet(uSheet)
    {
    }
    std::unique_ptr<Range> GetRange(const std::string &strCell1, const std::string &strCell2) override
    {
        m_state->Enter(SpreadsheetCall::Range, FormatText("Range %s:%s", strCell1.c_str(), strCell2.c_str()));
        CellAddress first, second;
        if (!ParseCellAddress(strCell1, first) || !ParseCellAddress(strCell2, second))
            throw DispatchFailure(kApplicationErrorCode, "Method 'Range' of object '_Worksheet' failed");
        if (first < second || second < first)
            throw DispatchFailure(kApplicationErrorCode, "Only one-cell ranges are supported");
        return std::make_unique<MemoryRange>(CellPlace{m_state, m_book, m_uSheet, first});
    }
    // All or nothing: a number that is not finite fails the call before
    // any cell is written.
    void PutValues(const CellArea &area, const std::vector<CellInput> &inputs) override
    {
        m_state->Enter(SpreadsheetCall::PutValues, "PutValues " + Name(area));
        CheckShape(area, inputs.size());
        for (const CellInput &input : inputs)
            if (input.kind == CellInput::Kind::Number)
                CheckFinite(input.dNumber);
        size_t i = 0;
        for (int row = area.first.iRow; row <= area.last.iRow; ++row)
            for (int column = area.first.iColumn; column <= area.last.iColumn; ++column, ++i) {
                const CellInput &input = inputs[i];
                if (input.kind == CellInput::Kind::Number)
                    PutNumber(Sheet(), {column, row}, input.dNumber);
                else
                    PutText(Sheet(), {column, row}, input.strText);
            }
        m_state->NoteCellsWritten(area.CellCount());
    }
    std::vector<CellValue> GetValues(const CellArea &area) override
    {
        m_state->Enter(SpreadsheetCall::GetValues, "GetValues " + Name(area));
        CheckShape(area, static_cast<size_t>(area.CellCount()));
        std::vector<CellValue> values;
        for (int row = area.first.iRow; row <= area.last.iRow; ++row)
            for (int column = area.first.iColumn; column <= area.last.iColumn; ++column)
                values.push_back(GetValue(*m_state, Sheet(), {column, row}));
        m_state->NoteCellsRead(area.CellCount());
        return values;
    }

private:
    MemorySheet &Sheet() const { return m_book->sheets[m_uSheet]; }
    std::string Name(const CellArea &area) const
    {
        return Sheet().strName + "!" + FormatCellAddress(area.first) + ":" + FormatCellAddress(area.last);
    }
    // An area of the sheet, its first cell at its top left, with one input a cell.
    static void CheckShape(const CellArea &area, size_t uCells)
    {
        CellAddress last;
        if (area.first.iColumn < 1 || area.first.iRow < 1 || area.last.iColumn < area.first.iColumn ||
            area.last.iRow < area.first.iRow || !ParseCellAddress(FormatCellAddress(area.last), last))
            throw DispatchFailure(kApplicationErrorCode, "Method 'Range' of object '_Worksheet' failed");
        if (static_cast<int64_t>(uCells) != area.CellCount())
            throw DispatchFailure(kApplicationErrorCode, "The values do not fit the range");
    }

    std::shared_ptr<MemorySpreadsheet> m_state;
    std::shared_ptr<MemoryBook> m_book;
    size_t m_uSheet;
};

class MemoryWorksheets : public Worksheets {
public:
    MemoryWorksheets(std::shared_ptr<MemorySpreadsheet> state, std::shared_ptr<MemoryBook> book)
        : m_state(std::move(state)), m_book(std::move(book))
    {
    }
    std::unique_ptr<Worksheet> Item(const std::string &strName) override
    {
        m_state->Enter(SpreadsheetCall::Item, "Item " + strName);
        for (size_t i = 0; i < m_book->sheets.size(); ++i)
            if (SameNameIgnoringCase(m_book->sheets[i].strName, strName) && !m_state->IsSheetHidden(m_book->sheets[i].strName))
                return std::make_unique<MemoryWorksheet>(m_state, m_book, i);
        throw DispatchFailure(kApplicationErrorCode, "Subscript out of range");
    }

private:
    std::shared_ptr<MemorySpreadsheet> m_state;
    std::shared_ptr<MemoryBook> m_book;
};

class MemoryWorkbook : public Workbook {
public:
    MemoryWorkbook(std::shared_ptr<MemorySpreadsheet> state, std::shared_ptr<MemoryBook> book, std::string strPath,
                   bool bReadOnly)
        : m_state(std::move(state)), m_book(std::move(book)), m_strPath(std::move(strPath)), m_bReadOnly(bReadOnly)
    {
    }
    std::unique_ptr<Worksheets> GetWorksheets() override
    {
        m_state->Enter(SpreadsheetCall::Worksheets, "Worksheets");
        return std::make_unique<MemoryWorksheets>(m_state, m_book);
    }
    void Save() override
    {
        m_state->Enter(SpreadsheetCall::Save, "Save " + m_strPath);
        if (m_bReadOnly)
            throw DispatchFailure(kApplicationErrorCode, "'" + m_strPath + "' was opened read-only");
        std::string failure;
        if (!SaveMemoryBook(m_strPath, *m_book, failure))
            throw DispatchFailure(kApplicationErrorCode, failure);
    }

private:
    std::shared_ptr<MemorySpreadsheet> m_state;
    std::shared_ptr<MemoryBook> m_book;
    std::string m_strPath;
    bool m_bReadOnly;
};

class MemoryWorkbooks : public Workbooks {
public:
    explicit MemoryWorkbooks(std::shared_ptr<MemorySpreadsheet> state) : m_state(std::move(state)) {}

    std::unique_ptr<Workbook> Open(const std::string &strPath) override
    {
        m_state->Enter(SpreadsheetCall::Open, "Open " + strPath);
        return OpenWorkbook(strPath, false);
    }
    std::unique_ptr<Workbook> OpenReadOnly(const std::string &strPath) override
    {
        m_state->Enter(SpreadsheetCall::OpenReadOnly, "OpenReadOnly " + strPath);
        return OpenWorkbook(strPath, true);
    }
    void Close() override
    {
        m_state->Enter(SpreadsheetCall::Close, "Close");
        m_state->CloseBooks();
    }

private:
    // Opening a workbook that is already open hands out the open one, as a
    // spreadsheet application does, as Open hands it out.
    std::unique_ptr<Workbook> OpenWorkbook(const std::string &strPath, bool bReadOnly)
    {
        const std::string path = NativePath(strPath);
        if (m_state->IsOpenRefused(strPath) || m_state->IsOpenRefused(path))
            throw DispatchFailure(kApplicationErrorCode, "Cannot open '" + strPath + "'");
        std::shared_ptr<MemoryBook> &slot = m_state->BookSlot(path);
        if (!slot) {
            auto book = std::make_shared<MemoryBook>();
            std::string failure;
            if (!LoadMemoryBook(path, *book, failure))
                throw DispatchFailure(kApplicationErrorCode, failure);
            slot = book;
            return std::make_unique<MemoryWorkbook>(m_state, slot, path, bReadOnly);
        }
        return std::make_unique<MemoryWorkbook>(m_state, slot, path, false);
    }

    std::shared_ptr<MemorySpreadsheet> m_state;
};

class MemoryApplication : public Application {
public:
    explicit MemoryApplication(std::shared_ptr<MemorySpreadsheet> state) : m_state(std::move(state)) {}

    std::string LibraryPath() override
    {
        m_state->Enter(SpreadsheetCall::LibraryPath, "LibraryPath");
        return m_state->strLibraryPath;
    }
    bool RegisterXLL(const std::string &strFileName) override
    {
        m_state->Enter(SpreadsheetCall::RegisterXLL, "RegisterXLL " + strFileName);
        return m_state->bRegisterXLL;
    }
    std::unique_ptr<Workbooks> GetWorkbooks() override
    {
        m_state->Enter(SpreadsheetCall::Workbooks, "Workbooks");
        return std::make_unique<MemoryWorkbooks>(m_state);
    }
    void Quit() override
    {
        m_state->Enter(SpreadsheetCall::Quit, "Quit");
        m_state->Quit();
    }

private:
    std::shared_ptr<MemorySpreadsheet> m_state;
};

}  // namespace

void MemorySpreadsheet::FailCall(SpreadsheetCall call, int nth, InjectedFailure failure)
{
    m_failures[{call, nth}] = std::move(failure);
}

void MemorySpreadsheet::HideSheet(const std::string &strName) { m_hiddenSheets.insert(strName); }

void MemorySpreadsheet::MakeCellUnreadable(const std::string &strSheet, const std::string &strCell)
{
    m_unreadableCells.insert({strSheet, strCell});
}

void MemorySpreadsheet::FailOpen(const std::string &strPath) { m_refusedOpens.insert(strPath); }

int MemorySpreadsheet::Calls(SpreadsheetCall call) const
{
    const auto found = m_calls.find(call);
    return found == m_calls.end() ? 0 : found->second;
}

const MemoryBook *MemorySpreadsheet::OpenBook(const std::string &strPath) const
{
    const auto found = m_openBooks.find(NativePath(strPath));
    return found == m_openBooks.end() ? nullptr : found->second.get();
}

void MemorySpreadsheet::Enter(SpreadsheetCall call, const std::string &strLogLine)
{
    const int nth = ++m_calls[call];
    m_callLog.push_back(strLogLine);
    if (m_bQuit)
        throw OleFailure(kStatusDisconnected);
    const auto injected = m_failures.find({call, nth});
    if (injected != m_failures.end())
        Throw(injected->second);
}

bool MemorySpreadsheet::IsCellUnreadable(const std::string &strSheet, const std::string &strCell) const
{
    return m_unreadableCells.count({strSheet, strCell}) != 0;
}

std::unique_ptr<Application> MakeMemoryApplication(std::shared_ptr<MemorySpreadsheet> state)
{
    return std::make_unique<MemoryApplication>(std::move(state));
}

bool MemoryLauncher::StartApplication(DispatchHolder<Application> &application, UserMessages &messages)
{
    if (m_outcome == Outcome::NotInstalled) {
        const FailureReport report = NotInstalledReport("");
        messages.ShowMessage(report.strCaption, report.strText);
        return false;
    }
    if (m_outcome == Outcome::NotStartable)
        return false;
    application.Attach(MakeMemoryApplication(m_state));
    return true;
}
