#include "ExcelObjects.h"

#include "DispatchCall.h"

namespace {

// The members, by the DISPIDs of Excel's published object model.
constexpr DISPID kApplicationLibraryPath = 0x16E;
constexpr DISPID kApplicationRegisterXLL = 0x1E;
constexpr DISPID kApplicationWorkbooks = 0x23C;
constexpr DISPID kApplicationQuit = 0x12E;
constexpr DISPID kApplicationDisplayAlerts = 0x157;
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
constexpr int kOpenArgumentsAfterReadOnly = kOpenOptionalArguments - 2;
// UpdateLinks: leave the links to other workbooks as the file holds them.
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

class ExcelRange : public Range {
public:
    explicit ExcelRange(DispatchPtr object) : m_object(std::move(object)) {}

    void PutValue2(double dNumber) override
    {
        DispatchArguments value;
        PutProperty(*m_object, kRangeValue2, value.Number(dNumber));
    }
    void PutValue2(const std::string &strText) override
    {
        DispatchArguments value;
        PutProperty(*m_object, kRangeValue2, value.Text(strText));
    }
    CellValue GetValue2() override
    {
        Variant result = GetProperty(*m_object, kRangeValue2);
        return CellValueOf(*result);
    }
    void ClearContents() override { CallMethod(*m_object, kRangeClearContents); }

private:
    DispatchPtr m_object;
};

class ExcelWorksheet : public Worksheet {
public:
    explicit ExcelWorksheet(DispatchPtr object) : m_object(std::move(object)) {}

    std::unique_ptr<Range> GetRange(const std::string &strCell1, const std::string &strCell2) override
    {
        DispatchArguments cells;
        Variant result = GetProperty(*m_object, kWorksheetRange, cells.Text(strCell1).Text(strCell2));
        return std::make_unique<ExcelRange>(DispatchResult(result));
    }
    // Range(first, last).Value2 set to the array of the block's values (a
    // block of one cell to its one value).
    void PutValues(const CellArea &area, const std::vector<CellInput> &inputs) override
    {
        DispatchPtr range = AreaRange(area);
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
        PutProperty(*range, kRangeValue2, value);
    }
    std::vector<CellValue> GetValues(const CellArea &area) override
    {
        DispatchPtr range = AreaRange(area);
        Variant result = GetProperty(*range, kRangeValue2);
        return CellValuesOf(*result, Rows(area), Columns(area));
    }

private:
    DispatchPtr AreaRange(const CellArea &area)
    {
        DispatchArguments corners;
        Variant result = GetProperty(*m_object, kWorksheetRange,
                                     corners.Text(FormatCellAddress(area.first)).Text(FormatCellAddress(area.last)));
        return DispatchResult(result);
    }
    static int Rows(const CellArea &area) { return area.last.iRow - area.first.iRow + 1; }
    static int Columns(const CellArea &area) { return area.last.iColumn - area.first.iColumn + 1; }

    DispatchPtr m_object;
};

class ExcelWorksheets : public Worksheets {
public:
    explicit ExcelWorksheets(DispatchPtr object) : m_object(std::move(object)) {}

    std::unique_ptr<Worksheet> Item(const std::string &strName) override
    {
        DispatchArguments index;
        Variant result = GetProperty(*m_object, kWorksheetsItem, index.Text(strName));
        return std::make_unique<ExcelWorksheet>(DispatchResult(result));
    }

private:
    DispatchPtr m_object;
};

class ExcelWorkbook : public Workbook {
public:
    explicit ExcelWorkbook(DispatchPtr object) : m_object(std::move(object)) {}

    std::unique_ptr<Worksheets> GetWorksheets() override
    {
        Variant result = GetProperty(*m_object, kWorkbookWorksheets);
        return std::make_unique<ExcelWorksheets>(DispatchResult(result));
    }
    void Save() override { CallMethod(*m_object, kWorkbookSave); }

private:
    DispatchPtr m_object;
};

class ExcelWorkbooks : public Workbooks {
public:
    ExcelWorkbooks(DispatchPtr object, DispatchPtr application)
        : m_object(std::move(object)), m_application(std::move(application))
    {
    }

    std::unique_ptr<Workbook> Open(const std::string &strPath) override
    {
        DispatchArguments arguments;
        return Opened(arguments.Text(strPath).Omitted(kOpenOptionalArguments));
    }
    // ReadOnly:=True; UpdateLinks 0, so that opening only to read neither
    // refreshes values from linked workbooks nor asks whether to.
    std::unique_ptr<Workbook> OpenReadOnly(const std::string &strPath) override
    {
        DispatchArguments arguments;
        arguments.Text(strPath).Number(kUpdateNoLinks).Boolean(true).Omitted(kOpenArgumentsAfterReadOnly);
        return Opened(arguments);
    }
    // With alerts on, Excel would ask whether to save a workbook with
    // unsaved changes, and nobody sees the question of a hidden Excel: the
    // run would wait for ever.  With them off it closes without saving.
    void Close() override
    {
        SetDisplayAlerts(false);
        try {
            CallMethod(*m_object, kWorkbooksClose);
        } catch (const AutomationFailure &) {
            SetDisplayAlerts(true);
            throw;
        }
        SetDisplayAlerts(true);
    }

private:
    std::unique_ptr<Workbook> Opened(DispatchArguments &arguments)
    {
        Variant result = CallMethod(*m_object, kWorkbooksOpen, arguments);
        return std::make_unique<ExcelWorkbook>(DispatchResult(result));
    }
    void SetDisplayAlerts(bool bOn)
    {
        DispatchArguments value;
        PutProperty(*m_application, kApplicationDisplayAlerts, value.Boolean(bOn));
    }

    DispatchPtr m_object;
    DispatchPtr m_application;
};

class ExcelApplication : public Application {
public:
    explicit ExcelApplication(DispatchPtr object) : m_object(std::move(object)) {}

    std::string LibraryPath() override
    {
        Variant result = GetProperty(*m_object, kApplicationLibraryPath);
        return TextResult(result);
    }
    bool RegisterXLL(const std::string &strFileName) override
    {
        DispatchArguments filename;
        Variant result = CallMethod(*m_object, kApplicationRegisterXLL, filename.Text(strFileName));
        return BooleanResult(result);
    }
    std::unique_ptr<Workbooks> GetWorkbooks() override
    {
        Variant result = GetProperty(*m_object, kApplicationWorkbooks);
        return std::make_unique<ExcelWorkbooks>(DispatchResult(result), m_object.Share());
    }
    void Quit() override { CallMethod(*m_object, kApplicationQuit); }

private:
    DispatchPtr m_object;
};

}  // namespace

std::unique_ptr<Application> MakeExcelApplication(IDispatch *pApplication)
{
    return std::make_unique<ExcelApplication>(DispatchPtr(pApplication));
}
