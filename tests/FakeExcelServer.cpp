#include "FakeExcelServer.h"

#include <algorithm>
#include <optional>
#include <regex>

#include "WindowsText_win32.h"

// One open workbook: its path and whether it changed since it was saved.
struct FakeBook {
    std::string strPath;
    bool bUnsaved = false;
};

struct FakeExcelState {
    std::vector<RecordedInvoke> invokes;
    std::optional<ScriptedFailure> nextFailure;
    int nLive = 0;
    bool bDisplayAlerts = true;
    FakeExcelBehaviour behaviour;
    std::vector<std::shared_ptr<FakeBook>> openBooks;
};

namespace {

// The arguments of one Invoke in the member's order.
using Arguments = std::vector<const VARIANT *>;

// A call that does not fit the member: Invoke answers hResult.
struct CallRejected {
    HRESULT hResult;
};

void Require(bool bFits, HRESULT hResult)
{
    if (!bFits)
        throw CallRejected{hResult};
}

std::string TextArgument(const VARIANT &argument)
{
    Require(argument.vt == VT_BSTR, DISP_E_TYPEMISMATCH);
    return Utf8FromWide(std::wstring(argument.bstrVal, SysStringLen(argument.bstrVal)));
}

bool IsOmitted(const VARIANT &argument) { return argument.vt == VT_ERROR && argument.scode == DISP_E_PARAMNOTFOUND; }

RecordedArgument Recorded(const VARIANT &argument)
{
    RecordedArgument recorded;
    recorded.vt = argument.vt;
    if (argument.vt == VT_BSTR)
        recorded.strText = TextArgument(argument);
    else if (argument.vt == VT_R8)
        recorded.dNumber = argument.dblVal;
    else if (argument.vt == VT_ERROR)
        recorded.scode = argument.scode;
    else if (argument.vt == VT_BOOL)
        recorded.bValue = argument.boolVal != VARIANT_FALSE;
    return recorded;
}

Arguments InMemberOrder(const DISPPARAMS &params)
{
    Arguments arguments;
    for (UINT i = params.cArgs; i > 0; --i)
        arguments.push_back(&params.rgvarg[i - 1]);
    return arguments;
}

RecordedInvoke Record(DISPID dispid, WORD wKind, const DISPPARAMS &params)
{
    RecordedInvoke invoke;
    invoke.dispid = dispid;
    invoke.wKind = wKind;
    invoke.namedArguments.assign(params.rgdispidNamedArgs, params.rgdispidNamedArgs + params.cNamedArgs);
    for (const VARIANT *pArgument : InMemberOrder(params))
        invoke.arguments.push_back(Recorded(*pArgument));
    return invoke;
}

HRESULT Fail(const ScriptedFailure &failure, EXCEPINFO *pInfo)
{
    if (failure.hResult == DISP_E_EXCEPTION && pInfo) {
        *pInfo = EXCEPINFO();
        pInfo->wCode = failure.wCode;
        pInfo->scode = failure.scode;
        pInfo->bstrSource = SysAllocString(L"Microsoft Excel");
        const std::wstring description = WideFromUtf8(failure.strDescription);
        pInfo->bstrDescription = SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
    }
    return failure.hResult;
}

// An error raised inside the call, as Excel reports one: the code in scode
// (FACILITY_CONTROL), wCode left 0.
ScriptedFailure AsExcelReportsIt(const DispatchFailure &failure)
{
    return {DISP_E_EXCEPTION, 0, MAKE_SCODE(SEVERITY_ERROR, FACILITY_CONTROL, failure.Code()), failure.Description()};
}

void SetText(VARIANT *pResult, const std::string &strText)
{
    const std::wstring wide = WideFromUtf8(strText);
    pResult->vt = VT_BSTR;
    pResult->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

void SetBoolean(VARIANT *pResult, bool bValue)
{
    pResult->vt = VT_BOOL;
    pResult->boolVal = bValue ? VARIANT_TRUE : VARIANT_FALSE;
}

// Excel asks the user, as it does only with alerts on.
void AskUser(FakeExcelState &state)
{
    if (!state.bDisplayAlerts)
        return;
    if (!state.behaviour.askUser)
        throw CallRejected{RPC_E_CALL_REJECTED};
    state.behaviour.askUser();
}

void HoldFile(FakeExcelState &state, const std::string &strPath, bool bHeld)
{
    if (state.behaviour.holdFile)
        state.behaviour.holdFile(strPath, bHeld);
}

std::string FileNameOf(const std::string &strPath)
{
    const size_t slash = strPath.find_last_of("\\/");
    return slash == std::string::npos ? strPath : strPath.substr(slash + 1);
}

// The locale a call means: its own, or for the defaults the machine's.
LCID EffectiveLocale(const FakeExcelState &state, LCID lcid)
{
    if (lcid == 0 || lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT)
        return state.behaviour.userLocale;
    return lcid;
}

// A text "A/B" typed into a cell, read as Excel reads it under lcid: a date
// of this year, A the month where the locale writes the month first, else
// the day; stored as its serial number.  None for any other text, or a day
// that does not exist.
std::optional<double> TypedDate(const std::string &strText, LCID lcid)
{
    static const std::regex kDayAndMonth(R"(\s*(\d{1,2})/(\d{1,2})\s*)");
    std::smatch match;
    if (!std::regex_match(strText, match, kDayAndMonth))
        return std::nullopt;
    wchar_t szOrder[4] = L"";
    GetLocaleInfoW(lcid, LOCALE_IDATE, szOrder, 4);
    const bool bDayFirst = szOrder[0] == L'1';
    const int first = std::stoi(match[1]), second = std::stoi(match[2]);
    SYSTEMTIME today;
    GetLocalTime(&today);
    SYSTEMTIME date{};
    date.wYear = today.wYear;
    date.wMonth = static_cast<WORD>(bDayFirst ? second : first);
    date.wDay = static_cast<WORD>(bDayFirst ? first : second);
    double dSerial = 0;
    FILETIME check;
    if (date.wMonth < 1 || date.wMonth > 12 || !SystemTimeToFileTime(&date, &check) ||
        !SystemTimeToVariantTime(&date, &dSerial))
        return std::nullopt;
    return dSerial;
}

// Every object of the fake: reference counting, recording, failures; each
// kind answers its members in Answer.
class FakeObject : public IDispatch {
public:
    explicit FakeObject(std::shared_ptr<FakeExcelState> state) : m_state(std::move(state)) { ++m_state->nLive; }
    FakeObject(const FakeObject &) = delete;
    FakeObject &operator=(const FakeObject &) = delete;
    virtual ~FakeObject() { --m_state->nLive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppObject) override
    {
        if (riid != IID_IUnknown && riid != IID_IDispatch) {
            *ppObject = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *ppObject = static_cast<IDispatch *>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_uReferences; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG uLeft = --m_uReferences;
        if (uLeft == 0)
            delete this;
        return uLeft;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *puCount) override
    {
        *puCount = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    // The program binds late by DISPID, never by name.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID lcid, WORD wKind, DISPPARAMS *pParams,
                                     VARIANT *pResult, EXCEPINFO *pInfo, UINT *) override
    {
        if (m_state->behaviour.beforeCall) {
            const HRESULT hRefused = m_state->behaviour.beforeCall(dispid);
            if (hRefused != S_OK)
                return hRefused;
        }
        m_state->invokes.push_back(Record(dispid, wKind, *pParams));
        m_state->invokes.back().lcid = lcid;
        m_lcid = lcid;
        if (m_state->nextFailure) {
            const ScriptedFailure failure = *m_state->nextFailure;
            m_state->nextFailure.reset();
            return Fail(failure, pInfo);
        }
        return Answered(dispid, wKind, *pParams, pResult, pInfo);
    }

protected:
    // Does what member dispid of kind wKind does, or throws CallRejected.
    virtual void Answer(DISPID dispid, WORD wKind, const DISPPARAMS &params, VARIANT *pResult) = 0;

    // The new object in the result, which takes its one reference.
    static void SetObject(VARIANT *pResult, FakeObject *pObject)
    {
        pResult->vt = VT_DISPATCH;
        pResult->pdispVal = pObject;
    }

    // The locale of the call being answered.
    LCID CallLocale() const { return EffectiveLocale(*m_state, m_lcid); }

    std::shared_ptr<FakeExcelState> m_state;

private:
    HRESULT Answered(DISPID dispid, WORD wKind, const DISPPARAMS &params, VARIANT *pResult, EXCEPINFO *pInfo)
    {
        VARIANT ignored;
        VariantInit(&ignored);
        try {
            Answer(dispid, wKind, params, pResult ? pResult : &ignored);
            VariantClear(&ignored);
            return S_OK;
        } catch (const CallRejected &rejected) {
            return rejected.hResult;
        } catch (const DispatchFailure &failure) {
            return Fail(AsExcelReportsIt(failure), pInfo);
        } catch (const OleFailure &failure) {
            return static_cast<HRESULT>(failure.Status());
        }
    }

    ULONG m_uReferences = 1;
    LCID m_lcid = 0;
};

// Member dispid of kind wKind with uCount arguments (none named) is what
// the call asks for; another kind or count of the same member is rejected.
bool Asks(DISPID dispid, WORD wKind, const DISPPARAMS &params, DISPID member, WORD kind, UINT uCount)
{
    if (dispid != member)
        return false;
    Require(wKind == kind, DISP_E_MEMBERNOTFOUND);
    Require(params.cArgs == uCount && params.cNamedArgs == 0, DISP_E_BADPARAMCOUNT);
    return true;
}

// The new value of a property put: the one argument, named DISPID_PROPERTYPUT.
const VARIANT &PutArgument(const DISPPARAMS &params)
{
    Require(params.cArgs == 1 && params.cNamedArgs == 1 && params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT,
            DISP_E_PARAMNOTFOUND);
    return params.rgvarg[0];
}

// A range of one cell, or of a rectangle of cells whose Value2 is a
// two-dimensional array of VARIANTs, rows first, both indexes from 1, as
// Excel's is.
class FakeRange : public FakeObject {
public:
    FakeRange(std::shared_ptr<FakeExcelState> state, std::shared_ptr<FakeBook> book, std::unique_ptr<Range> range)
        : FakeObject(std::move(state)), m_book(std::move(book)), m_range(std::move(range))
    {
    }
    FakeRange(std::shared_ptr<FakeExcelState> state, std::shared_ptr<FakeBook> book,
              std::shared_ptr<Worksheet> worksheet, const CellArea &area)
        : FakeObject(std::move(state)), m_book(std::move(book)), m_worksheet(std::move(worksheet)), m_area(area)
    {
    }

protected:
    void Answer(DISPID dispid, WORD wKind, const DISPPARAMS &params, VARIANT *pResult) override
    {
        if (dispid == kValue2 && wKind == DISPATCH_PROPERTYPUT)
            m_range ? PutValue2(params) : PutArray(params);
        else if (Asks(dispid, wKind, params, kValue2, DISPATCH_PROPERTYGET, 0))
            m_range ? GetValue2(pResult) : GetArray(pResult);
        else if (m_range && Asks(dispid, wKind, params, kClearContents, DISPATCH_METHOD, 0)) {
            m_book->bUnsaved = true;
            m_range->ClearContents();
            SetBoolean(pResult, true);
        } else
            throw CallRejected{DISP_E_MEMBERNOTFOUND};
    }

private:
    void PutValue2(const DISPPARAMS &params)
    {
        const VARIANT &value = PutArgument(params);
        Require(value.vt == VT_R8 || value.vt == VT_BSTR, DISP_E_TYPEMISMATCH);
        m_book->bUnsaved = true;
        if (value.vt == VT_R8) {
            m_range->PutValue2(value.dblVal);
            return;
        }
        const std::string text = TextArgument(value);
        if (const std::optional<double> date = TypedDate(text, CallLocale()))
            m_range->PutValue2(*date);
        else
            m_range->PutValue2(text);
    }
    void GetValue2(VARIANT *pResult)
    {
        const CellValue value = m_range->GetValue2();
        if (value.kind == CellValue::Kind::Number) {
            pResult->vt = VT_R8;
            pResult->dblVal = value.dNumber;
        } else if (value.kind == CellValue::Kind::Text) {
            SetText(pResult, value.strText);
        }
    }

    LONG Rows() const { return m_area.last.iRow - m_area.first.iRow + 1; }
    LONG Columns() const { return m_area.last.iColumn - m_area.first.iColumn + 1; }

    // An array of exactly the range's shape, each element a VT_R8 or a VT_BSTR.
    void PutArray(const DISPPARAMS &params)
    {
        const VARIANT &value = PutArgument(params);
        Require(value.vt == (VT_ARRAY | VT_VARIANT) && value.parray && SafeArrayGetDim(value.parray) == 2,
                DISP_E_TYPEMISMATCH);
        LONG bounds[4] = {};
        SafeArrayGetLBound(value.parray, 1, &bounds[0]);
        SafeArrayGetUBound(value.parray, 1, &bounds[1]);
        SafeArrayGetLBound(value.parray, 2, &bounds[2]);
        SafeArrayGetUBound(value.parray, 2, &bounds[3]);
        Require(bounds[0] == 1 && bounds[1] == Rows() && bounds[2] == 1 && bounds[3] == Columns(), DISP_E_BADINDEX);
        std::vector<CellInput> inputs;
        for (LONG row = 1; row <= Rows(); ++row)
            for (LONG column = 1; column <= Columns(); ++column) {
                LONG indexes[2] = {row, column};
                VARIANT element;
                VariantInit(&element);
                Require(SUCCEEDED(SafeArrayGetElement(value.parray, indexes, &element)), DISP_E_BADINDEX);
                CellInput input;
                const bool bKnown = element.vt == VT_R8 || element.vt == VT_BSTR;
                if (element.vt == VT_R8)
                    input.dNumber = element.dblVal;
                else if (element.vt == VT_BSTR) {
                    // Each text of the array is read as if typed into its cell.
                    const std::string text = TextArgument(element);
                    if (const std::optional<double> date = TypedDate(text, CallLocale())) {
                        input.dNumber = *date;
                    } else {
                        input.kind = CellInput::Kind::Text;
                        input.strText = text;
                    }
                }
                VariantClear(&element);
                Require(bKnown, DISP_E_TYPEMISMATCH);
                inputs.push_back(std::move(input));
            }
        m_book->bUnsaved = true;
        m_worksheet->PutValues(m_area, inputs);
    }
    void GetArray(VARIANT *pResult)
    {
        const std::vector<CellValue> values = m_worksheet->GetValues(m_area);
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(Rows()), 1}, {static_cast<ULONG>(Columns()), 1}};
        SAFEARRAY *pArray = SafeArrayCreate(VT_VARIANT, 2, bounds);
        size_t i = 0;
        for (LONG row = 1; row <= Rows(); ++row)
            for (LONG column = 1; column <= Columns(); ++column, ++i) {
                VARIANT element;
                VariantInit(&element);
                if (values[i].kind == CellValue::Kind::Number) {
                    element.vt = VT_R8;
                    element.dblVal = values[i].dNumber;
                } else if (values[i].kind == CellValue::Kind::Text) {
                    SetText(&element, values[i].strText);
                }
                LONG indexes[2] = {row, column};
                SafeArrayPutElement(pArray, indexes, &element);
                VariantClear(&element);
            }
        pResult->vt = VT_ARRAY | VT_VARIANT;
        pResult->parray = pArray;
    }

    std::shared_ptr<FakeBook> m_book;
    std::unique_ptr<Range> m_range;  // one cell, or null for an area
    std::shared_ptr<Worksheet> m_worksheet;
    CellArea m_area;
};

class FakeWorksheet : public FakeObject {
public:
    FakeWorksheet(std::shared_ptr<FakeExcelState> state, std::shared_ptr<FakeBook> book,
                  std::unique_ptr<Worksheet> worksheet)
        : FakeObject(std::move(state)), m_book(std::move(book)), m_worksheet(std::move(worksheet))
    {
    }

protected:
    // Range(Cell1) or Range(Cell1, Cell2), both addresses as texts; two
    // different cells name the rectangle between them.
    void Answer(DISPID dispid, WORD wKind, const DISPPARAMS &params, VARIANT *pResult) override
    {
        Require(dispid == kRange, DISP_E_MEMBERNOTFOUND);
        Require(wKind == DISPATCH_PROPERTYGET, DISP_E_MEMBERNOTFOUND);
        Require((params.cArgs == 1 || params.cArgs == 2) && params.cNamedArgs == 0, DISP_E_BADPARAMCOUNT);
        const Arguments cells = InMemberOrder(params);
        const std::string first = TextArgument(*cells.front()), last = TextArgument(*cells.back());
        CellArea area;
        if (ParseCellAddress(first, area.first) && ParseCellAddress(last, area.last) &&
            (area.first < area.last || area.last < area.first)) {
            Require(area.first.iColumn <= area.last.iColumn && area.first.iRow <= area.last.iRow, DISP_E_BADINDEX);
            SetObject(pResult, new FakeRange(m_state, m_book, m_worksheet, area));
            return;
        }
        SetObject(pResult, new FakeRange(m_state, m_book, m_worksheet->GetRange(first, last)));
    }

private:
    std::shared_ptr<FakeBook> m_book;
    std::shared_ptr<Worksheet> m_worksheet;
};

class FakeWorksheets : public FakeObject {
public:
    FakeWorksheets(std::shared_ptr<FakeExcelState> state, std::shared_ptr<FakeBook> book,
                   std::unique_ptr<Worksheets> worksheets)
        : FakeObject(std::move(state)), m_book(std::move(book)), m_worksheets(std::move(worksheets))
    {
    }

protected:
    // A name the workbook lacks is an index out of the collection's range,
    // answered as the collection answers it, not as an error raised inside.
    void Answer(DISPID dispid, WORD wKind, const DISPPARAMS &params, VARIANT *pResult) override
    {
        Require(Asks(dispid, wKind, params, kItem, DISPATCH_PROPERTYGET, 1), DISP_E_MEMBERNOTFOUND);
        std::unique_ptr<Worksheet> worksheet;
        try {
            worksheet = m_worksheets->Item(TextArgument(params.rgvarg[0]));
        } catch (const DispatchFailure &failure) {
            Require(failure.Description() != kNoSuchSheet, DISP_E_BADINDEX);
            throw;
        }
        SetObject(pResult, new FakeWorksheet(m_state, m_book, std::move(worksheet)));
    }

private:
    static constexpr const char *kNoSuchSheet = "Subscript out of range";

    std::shared_ptr<FakeBook> m_book;
    std::unique_ptr<Worksheets> m_worksheets;
};

class FakeWorkbook : public FakeObject {
public:
    FakeWorkbook(std::shared_ptr<FakeExcelState> state, std::shared_ptr<FakeBook> book,
                 std::unique_ptr<Workbook> workbook)
        : FakeObject(std::move(state)), m_book(std::move(book)), m_workbook(std::move(workbook))
    {
    }

protected:
    void Answer(DISPID dispid, WORD wKind, const DISPPARAMS &params, VARIANT *pResult) override
    {
        if (Asks(dispid, wKind, params, kWorksheets, DISPATCH_PROPERTYGET, 0))
            SetObject(pResult, new FakeWorksheets(m_state, m_book, m_workbook->GetWorksheets()));
        else if (Asks(dispid, wKind, params, kSave, DISPATCH_METHOD, 0))
            Save();
        else
            throw CallRejected{DISP_E_MEMBERNOTFOUND};
    }

private:
    void Save()
    {
        const std::string name = FileNameOf(m_book->strPath);
        if (m_state->behaviour.compatibilityFlagged.count(name) != 0)
            AskUser(*m_state);
        if (m_state->behaviour.unwritable.count(name) != 0)
            throw DispatchFailure(kApplicationErrorCode, "Microsoft Excel cannot access the file '" + m_book->strPath + "'.");
        HoldFile(*m_state, m_book->strPath, false);
        try {
            m_workbook->Save();
        } catch (const AutomationFailure &) {
            HoldFile(*m_state, m_book->strPath, true);
            throw;
        }
        HoldFile(*m_state, m_book->strPath, true);
        m_book->bUnsaved = false;
    }

    std::shared_ptr<FakeBook> m_book;
    std::unique_ptr<Workbook> m_workbook;
};

class FakeWorkbooks : public FakeObject {
public:
    FakeWorkbooks(std::shared_ptr<FakeExcelState> state, std::unique_ptr<Workbooks> workbooks)
        : FakeObject(std::move(state)), m_workbooks(std::move(workbooks))
    {
    }

protected:
    void Answer(DISPID dispid, WORD wKind, const DISPPARAMS &params, VARIANT *pResult) override
    {
        if (dispid == kOpen && wKind == DISPATCH_METHOD)
            SetObject(pResult, Open(InMemberOrder(params)));
        else if (Asks(dispid, wKind, params, kClose, DISPATCH_METHOD, 0))
            Close();
        else
            throw CallRejected{DISP_E_MEMBERNOTFOUND};
    }

private:
    // Excel with alerts on would ask about every unsaved workbook, a
    // question that nobody answers in a hidden Excel; the fake refuses.
    void Close()
    {
        Require(!m_state->bDisplayAlerts, RPC_E_CALL_REJECTED);
        m_workbooks->Close();
        for (const std::shared_ptr<FakeBook> &book : m_state->openBooks)
            HoldFile(*m_state, book->strPath, false);
        m_state->openBooks.clear();
    }

    // The workbook, held open (once, however often it is opened).
    FakeWorkbook *Open(const Arguments &arguments)
    {
        std::unique_ptr<Workbook> workbook = OpenInMemory(arguments);
        const std::string path = TextArgument(*arguments[0]);
        auto book = std::find_if(m_state->openBooks.begin(), m_state->openBooks.end(),
                                 [&path](const std::shared_ptr<FakeBook> &open) { return open->strPath == path; });
        if (book == m_state->openBooks.end()) {
            m_state->openBooks.push_back(std::make_shared<FakeBook>(FakeBook{path}));
            book = m_state->openBooks.end() - 1;
            HoldFile(*m_state, path, true);
        }
        return new FakeWorkbook(m_state, *book, std::move(workbook));
    }

    // FileName, then at most fourteen optional arguments: UpdateLinks a
    // number, ReadOnly a boolean, every other one left out.
    std::unique_ptr<Workbook> OpenInMemory(const Arguments &arguments)
    {
        Require(!arguments.empty() && arguments.size() <= 15, DISP_E_BADPARAMCOUNT);
        bool bReadOnly = false;
        for (size_t i = 1; i < arguments.size(); ++i) {
            const VARIANT &argument = *arguments[i];
            if (IsOmitted(argument))
                continue;
            Require((i == 1 && argument.vt == VT_R8) || (i == 2 && argument.vt == VT_BOOL), DISP_E_TYPEMISMATCH);
            bReadOnly = i == 2 && argument.boolVal != VARIANT_FALSE;
        }
        const std::string path = TextArgument(*arguments[0]);
        return bReadOnly ? m_workbooks->OpenReadOnly(path) : m_workbooks->Open(path);
    }

    std::unique_ptr<Workbooks> m_workbooks;
};

class FakeApplication : public FakeObject {
public:
    FakeApplication(std::shared_ptr<FakeExcelState> state, std::unique_ptr<Application> application)
        : FakeObject(std::move(state)), m_application(std::move(application))
    {
    }

protected:
    void Answer(DISPID dispid, WORD wKind, const DISPPARAMS &params, VARIANT *pResult) override
    {
        if (Asks(dispid, wKind, params, kLibraryPath, DISPATCH_PROPERTYGET, 0))
            SetText(pResult, m_application->LibraryPath());
        else if (Asks(dispid, wKind, params, kRegisterXLL, DISPATCH_METHOD, 1))
            SetBoolean(pResult, m_application->RegisterXLL(TextArgument(params.rgvarg[0])));
        else if (Asks(dispid, wKind, params, kWorkbooks, DISPATCH_PROPERTYGET, 0))
            SetObject(pResult, new FakeWorkbooks(m_state, m_application->GetWorkbooks()));
        else if (Asks(dispid, wKind, params, kQuit, DISPATCH_METHOD, 0))
            Quit();
        else if (dispid == kDisplayAlerts && wKind == DISPATCH_PROPERTYPUT)
            PutDisplayAlerts(PutArgument(params));
        else if (m_state->behaviour.hMainWindow != nullptr && Asks(dispid, wKind, params, kHwnd, DISPATCH_PROPERTYGET, 0)) {
            pResult->vt = VT_I4;
            pResult->lVal = static_cast<LONG>(reinterpret_cast<INT_PTR>(m_state->behaviour.hMainWindow));
        } else
            throw CallRejected{DISP_E_MEMBERNOTFOUND};
    }

private:
    // Changes nobody saved make Excel ask whether to save them.
    void Quit()
    {
        const bool bUnsaved = std::any_of(m_state->openBooks.begin(), m_state->openBooks.end(),
                                          [](const std::shared_ptr<FakeBook> &book) { return book->bUnsaved; });
        if (bUnsaved)
            AskUser(*m_state);
        m_application->Quit();
    }

    void PutDisplayAlerts(const VARIANT &value)
    {
        Require(value.vt == VT_BOOL, DISP_E_TYPEMISMATCH);
        m_state->bDisplayAlerts = value.boolVal != VARIANT_FALSE;
    }

    std::unique_ptr<Application> m_application;
};

}  // namespace

FakeExcelServer::FakeExcelServer(std::shared_ptr<MemorySpreadsheet> spreadsheet)
    : m_spreadsheet(std::move(spreadsheet)), m_state(std::make_shared<FakeExcelState>())
{
}

IDispatch *FakeExcelServer::NewApplication() { return new FakeApplication(m_state, MakeMemoryApplication(m_spreadsheet)); }

const std::vector<RecordedInvoke> &FakeExcelServer::Invokes() const { return m_state->invokes; }

std::vector<RecordedInvoke> FakeExcelServer::InvokesOf(DISPID dispid) const
{
    std::vector<RecordedInvoke> found;
    for (const RecordedInvoke &invoke : m_state->invokes)
        if (invoke.dispid == dispid)
            found.push_back(invoke);
    return found;
}

void FakeExcelServer::FailNextInvoke(ScriptedFailure failure) { m_state->nextFailure = std::move(failure); }

int FakeExcelServer::LiveObjects() const { return m_state->nLive; }

FakeExcelBehaviour &FakeExcelServer::Behaviour() { return m_state->behaviour; }
