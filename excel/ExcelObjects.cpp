#include "ExcelObjects.h"

#include "DispatchCall.h"

namespace {

// The members, by the DISPIDs of Excel's published object model.
constexpr DISPID kApplicationLibraryPath = 0x16E;
constexpr DISPID kApplicationRegisterXLL = 0x1E;
constexpr DISPID kApplicationWorkbooks = 0x23C;
constexpr DISPID kApplicationQuit = 0x12E;
constexpr DISPID kApplicationDisplayAlerts = 0x157;
constexpr DISPID kApplicationHwnd = 0x79E;
constexpr DISPID kWorkbooksOpen = 0x783;
constexpr DISPID kWorkbooksClose = 0x115;
constexpr DISPID kWorkbookWorksheets = 0x1E5;
constexpr DISPID kWorkbookSave = 0x11B;
constexpr DISPID kWorksheetsItem = 0xAA;
constexpr DISPID kWorksheetRange = 0xC5;
constexpr DISPID kRangeValue2 = 0x56C;
constexpr DISPID kRangeClearContents = 0x71;

// Workbooks.Open takes fifteen arguments: FileName, then UpdateLinks,
// ReadOnly and twelve more, all optional.
constexpr int kOpenOptionalArguments = 14;
constexpr int kOpenArgumentsAfterUpdateLinks = kOpenOptionalArguments - 1;
constexpr int kOpenArgumentsAfterReadOnly = kOpenOptionalArguments - 2;
// UpdateLinks: leave the links to other workbooks as the file holds them.
// Left out, it has Excel ask the user whether to update them, and nobody
// sees the question of a hidden Excel.
constexpr double kUpdateNoLinks = 0;

// Numbers come as VT_R8 (or VT_I4), texts as VT_BSTR; anything else (an
// empty cell, an error value) is no value.
CellValue CellValueOf(const VARIANT &value)
{
    CellValue cell;
    if (value.vt == VT_R8 || value.vt == VT_I4) {
        cell.kind = CellValue::Kind::Number;
        cell.dNumber = value.vt == VT_R8 ? value.dblVal : value.lVal;
    } else if (value.vt == VT_BSTR) {
        cell.kind = CellValue::Kind::Text;
        cell.strText = Utf8FromBstr(value.bstrVal);
    }
    return cell;
}

// The cells of a block's Value2, row by row: a two-dimensional array of
// VARIANTs with bounds from 1 as Excel hands out for more than one cell,
// or the one value of a one-cell block.  OleFailure when the answer is of
// another shape.
std::vector<CellValue> CellValuesOf(const VARIANT &value, int nRows, int nColumns)
{
    if (!(value.vt & VT_ARRAY)) {
        if (nRows * nColumns != 1)
            throw OleFailure(static_cast<uint32_t>(DISP_E_TYPEMISMATCH));
        return {CellValueOf(value)};
    }
    SAFEARRAY *pArray = value.parray;
    LONG rowFirst = 0, rowLast = -1, columnFirst = 0, columnLast = -1;
    if (value.vt != (VT_ARRAY | VT_VARIANT) || !pArray || SafeArrayGetDim(pArray) != 2 ||
        FAILED(SafeArrayGetLBound(pArray, 1, &rowFirst)) || FAILED(SafeArrayGetUBound(pArray, 1, &rowLast)) ||
        FAILED(SafeArrayGetLBound(pArray, 2, &columnFirst)) || FAILED(SafeArrayGetUBound(pArray, 2, &columnLast)) ||
        rowLast - rowFirst + 1 != nRows || columnLast - columnFirst + 1 != nColumns)
        throw OleFailure(static_cast<uint32_t>(DISP_E_TYPEMISMATCH));
    std::vector<CellValue> cells;
    cells.reserve(static_cast<size_t>(nRows) * static_cast<size_t>(nColumns));
    for (LONG row = rowFirst; row <= rowLast; ++row)
        for (LONG column = columnFirst; column <= columnLast; ++column) {
            LONG indexes[2] = {row, column};
            Variant cell;
            const HRESULT hResult = SafeArrayGetElement(pArray, indexes, cell.Get());
            if (FAILED(hResult))
                throw OleFailure(static_cast<uint32_t>(hResult));
            cells.push_back(CellValueOf(*cell));
        }
    return cells;
}

// One Excel object and the process it lives in.  The object is declared
// last, so that it is released before the process is let go.
struct ExcelRef {
    std::shared_ptr<ExcelProcess> process;
    DispatchPtr object;

    Variant Call(DISPID dispid, DispatchArguments &arguments) const
    {
        return CallMethod(*process, *object, dispid, arguments);
    }
    Variant Call(DISPID dispid) const { return CallMethod(*process, *object, dispid); }
    Variant Get(DISPID dispid, DispatchArguments &arguments) const
    {
        return GetProperty(*process, *object, dispid, arguments);
    }
    Variant Get(DISPID dispid) const { return GetProperty(*process, *object, dispid); }
    void Put(DISPID dispid, DispatchArguments &value) const { PutProperty(*process, *object, dispid, value); }
    // The object a call handed back, in the same process.
    ExcelRef Returned(Variant &result) const { return {process, DispatchResult(result)}; }
    ExcelRef Shared() const { return {process, object.Share()}; }
};

// Runs call with the application's alerts off and turns them on again,
// also when the call fails.  A hidden Excel that asks a question (save the
// changes? update the links? keep a format the compatibility check flags?)
// waits for an answer that nobody can give; with alerts off it takes its
// default answer or, for Quit and Close, leaves unsaved changes unsaved.
template <class Call>
void WithoutAlerts(const ExcelRef &application, Call call)
{
    auto setAlerts = [&application](bool bOn) {
        DispatchArguments value;
        application.Put(kApplicationDisplayAlerts, value.Boolean(bOn));
    };
    setAlerts(false);
    try {
        call();
    } catch (const AutomationFailure &) {
        try {
            setAlerts(true);
        } catch (const AutomationFailure &) {
            // The call's own failure is the one to report.
        }
        throw;
    }
    setAlerts(true);
}

class ExcelRange : public Range {
public:
    explicit ExcelRange(ExcelRef range) : m_range(std::move(range)) {}

    void PutValue2(double dNumber) override
    {
        DispatchArguments value;
        m_range.Put(kRangeValue2, value.Number(dNumber));
    }
    void PutValue2(const std::string &strText) override
    {
        DispatchArguments value;
        m_range.Put(kRangeValue2, value.Text(strText));
    }
    CellValue GetValue2() override
    {
        Variant result = m_range.Get(kRangeValue2);
        return CellValueOf(*result);
    }
    void ClearContents() override { m_range.Call(kRangeClearContents); }

private:
    ExcelRef m_range;
};

class ExcelWorksheet : public Worksheet {
public:
    explicit ExcelWorksheet(ExcelRef worksheet) : m_worksheet(std::move(worksheet)) {}

    std::unique_ptr<Range> GetRange(const std::string &strCell1, const std::string &strCell2) override
    {
        DispatchArguments cells;
        Variant result = m_worksheet.Get(kWorksheetRange, cells.Text(strCell1).Text(strCell2));
        return std::make_unique<ExcelRange>(m_worksheet.Returned(result));
    }
    // Range(first, last).Value2 set to the array of the block's values (a
    // block of one cell to its one value).
    void PutValues(const CellArea &area, const std::vector<CellInput> &inputs) override
    {
        ExcelRef range = AreaRange(area);
        DispatchArguments value;
        if (area.CellCount() == 1 && inputs.size() == 1) {
            const CellInput &input = inputs.front();
            if (input.kind == CellInput::Kind::Number)
                value.Number(input.dNumber);
            else
                value.Text(input.strText);
        } else {
            value.Block(Rows(area), Columns(area), inputs);
        }
        range.Put(kRangeValue2, value);
    }
    std::vector<CellValue> GetValues(const CellArea &area) override
    {
        ExcelRef range = AreaRange(area);
        Variant result = range.Get(kRangeValue2);
        return CellValuesOf(*result, Rows(area), Columns(area));
    }

private:
    ExcelRef AreaRange(const CellArea &area)
    {
        DispatchArguments corners;
        Variant result = m_worksheet.Get(
            kWorksheetRange, corners.Text(FormatCellAddress(area.first)).Text(FormatCellAddress(area.last)));
        return m_worksheet.Returned(result);
    }
    static int Rows(const CellArea &area) { return area.last.iRow - area.first.iRow + 1; }
    static int Columns(const CellArea &area) { return area.last.iColumn - area.first.iColumn + 1; }

    ExcelRef m_worksheet;
};

class ExcelWorksheets : public Worksheets {
public:
    explicit ExcelWorksheets(ExcelRef worksheets) : m_worksheets(std::move(worksheets)) {}

    std::unique_ptr<Worksheet> Item(const std::string &strName) override
    {
        DispatchArguments index;
        Variant result = m_worksheets.Get(kWorksheetsItem, index.Text(strName));
        return std::make_unique<ExcelWorksheet>(m_worksheets.Returned(result));
    }

private:
    ExcelRef m_worksheets;
};

class ExcelWorkbook : public Workbook {
public:
    ExcelWorkbook(ExcelRef workbook, ExcelRef application)
        : m_workbook(std::move(workbook)), m_application(std::move(application))
    {
    }

    std::unique_ptr<Worksheets> GetWorksheets() override
    {
        Variant result = m_workbook.Get(kWorkbookWorksheets);
        return std::make_unique<ExcelWorksheets>(m_workbook.Returned(result));
    }
    // Saving an .xls in which the compatibility check finds something asks
    // whether to keep the format.
    void Save() override
    {
        WithoutAlerts(m_application, [this] { m_workbook.Call(kWorkbookSave); });
    }

private:
    ExcelRef m_workbook;
    ExcelRef m_application;
};

class ExcelWorkbooks : public Workbooks {
public:
    ExcelWorkbooks(ExcelRef workbooks, ExcelRef application)
        : m_workbooks(std::move(workbooks)), m_application(std::move(application))
    {
    }

    std::unique_ptr<Workbook> Open(const std::string &strPath) override
    {
        DispatchArguments arguments;
        return Opened(arguments.Text(strPath).Number(kUpdateNoLinks).Omitted(kOpenArgumentsAfterUpdateLinks));
    }
    // ReadOnly:=True, so that opening only to read changes nothing.
    std::unique_ptr<Workbook> OpenReadOnly(const std::string &strPath) override
    {
        DispatchArguments arguments;
        arguments.Text(strPath).Number(kUpdateNoLinks).Boolean(true).Omitted(kOpenArgumentsAfterReadOnly);
        return Opened(arguments);
    }
    // With alerts off Excel closes without saving.
    void Close() override
    {
        WithoutAlerts(m_application, [this] { m_workbooks.Call(kWorkbooksClose); });
    }

private:
    std::unique_ptr<Workbook> Opened(DispatchArguments &arguments)
    {
        std::unique_ptr<Workbook> workbook;
        WithoutAlerts(m_application, [&] {
            Variant result = m_workbooks.Call(kWorkbooksOpen, arguments);
            workbook = std::make_unique<ExcelWorkbook>(m_workbooks.Returned(result), m_application.Shared());
        });
        return workbook;
    }

    ExcelRef m_workbooks;
    ExcelRef m_application;
};

class ExcelApplication : public Application {
public:
    explicit ExcelApplication(ExcelRef application) : m_application(std::move(application)) {}

    std::string LibraryPath() override
    {
        Variant result = m_application.Get(kApplicationLibraryPath);
        return TextResult(result);
    }
    bool RegisterXLL(const std::string &strFileName) override
    {
        DispatchArguments filename;
        Variant result = m_application.Call(kApplicationRegisterXLL, filename.Text(strFileName));
        return BooleanResult(result);
    }
    std::unique_ptr<Workbooks> GetWorkbooks() override
    {
        Variant result = m_application.Get(kApplicationWorkbooks);
        return std::make_unique<ExcelWorkbooks>(m_application.Returned(result), m_application.Shared());
    }
    // Alerts off, so that workbooks a failed pass left unsaved stay so
    // instead of Excel asking about them; they are not turned on again,
    // as there is no Excel left to tell.
    void Quit() override
    {
        DispatchArguments alertsOff;
        m_application.Put(kApplicationDisplayAlerts, alertsOff.Boolean(false));
        m_application.Call(kApplicationQuit);
    }

private:
    ExcelRef m_application;
};

}  // namespace

std::unique_ptr<Application> MakeExcelApplication(IDispatch *pApplication, std::shared_ptr<ExcelProcess> process)
{
    if (!process)
        process = std::make_shared<ExcelProcess>();
    return std::make_unique<ExcelApplication>(ExcelRef{std::move(process), DispatchPtr(pApplication)});
}

HWND ExcelMainWindow(IDispatch &application, ExcelProcess &process)
{
    try {
        Variant result = GetProperty(process, application, kApplicationHwnd);
        return reinterpret_cast<HWND>(static_cast<INT_PTR>(IntegerResult(result)));
    } catch (const AutomationFailure &) {
        return nullptr;
    }
}
