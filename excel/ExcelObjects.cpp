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
    // Numbers come as VT_R8 (or VT_I4), texts as VT_BSTR; anything else (an
    // empty cell, an error value) is no value.
    static CellValue CellValueOf(const VARIANT &value)
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

private:
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
