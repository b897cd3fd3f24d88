#include "DispatchCall.h"

#include "WindowsText_win32.h"

namespace {

// The exception information Excel fills in, its texts freed when it goes.
class ExceptionInfo {
public:
    ExceptionInfo() : m_info() {}
    ExceptionInfo(const ExceptionInfo &) = delete;
    ExceptionInfo &operator=(const ExceptionInfo &) = delete;
    ~ExceptionInfo()
    {
        SysFreeString(m_info.bstrSource);
        SysFreeString(m_info.bstrDescription);
        SysFreeString(m_info.bstrHelpFile);
    }

    EXCEPINFO *Get() { return &m_info; }

    // A server may leave the details to be filled in only when asked for.
    const EXCEPINFO &Filled()
    {
        if (m_info.pfnDeferredFillIn)
            m_info.pfnDeferredFillIn(&m_info);
        return m_info;
    }

private:
    EXCEPINFO m_info;
};

// Excel's 16-bit error code: wCode, or, when Excel left it 0 and filled
// scode instead (as it does: 0x800A03EC for error 1004), the low word of
// scode, so that the code the user is shown is Excel's own and not 0.
uint16_t ExcelErrorCode(const EXCEPINFO &info)
{
    return info.wCode != 0 ? info.wCode : static_cast<uint16_t>(static_cast<uint32_t>(info.scode) & 0xFFFFu);
}

[[noreturn]] void ThrowCallFailure(HRESULT hResult, ExceptionInfo &exception)
{
    if (hResult == DISP_E_EXCEPTION) {
        const EXCEPINFO &info = exception.Filled();
        throw DispatchFailure(ExcelErrorCode(info), Utf8FromBstr(info.bstrDescription));
    }
    throw OleFailure(static_cast<uint32_t>(hResult));
}

void Invoke(ExcelProcess &process, IDispatch &object, DISPID dispid, WORD wKind, DISPPARAMS &params, VARIANT *pResult)
{
    ExceptionInfo exception;
    const HRESULT hResult = process.Invoke(object, dispid, wKind, params, pResult, exception.Get());
    if (FAILED(hResult))
        ThrowCallFailure(hResult, exception);
}

Variant InvokeForResult(ExcelProcess &process, IDispatch &object, DISPID dispid, WORD wKind,
                        DispatchArguments &arguments)
{
    DISPPARAMS params = {arguments.Reversed(), nullptr, arguments.Count(), 0};
    Variant result;
    Invoke(process, object, dispid, wKind, params, result.Get());
    return result;
}

// result converted in place to vtWanted.
void ConvertResult(Variant &result, VARTYPE vtWanted)
{
    const HRESULT hResult = VariantChangeType(result.Get(), result.Get(), 0, vtWanted);
    if (FAILED(hResult))
        throw OleFailure(static_cast<uint32_t>(hResult));
}

}  // namespace

DispatchArguments::~DispatchArguments()
{
    for (VARIANTARG &argument : m_reversed)
        VariantClear(&argument);
}

DispatchArguments &DispatchArguments::Add(const VARIANTARG &argument)
{
    m_reversed.insert(m_reversed.begin(), argument);
    return *this;
}

DispatchArguments &DispatchArguments::Text(const std::string &strText)
{
    const std::wstring wide = WideFromUtf8(strText);
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!argument.bstrVal)
        throw OleFailure(static_cast<uint32_t>(E_OUTOFMEMORY));
    return Add(argument);
}

DispatchArguments &DispatchArguments::Number(double dNumber)
{
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_R8;
    argument.dblVal = dNumber;
    return Add(argument);
}

DispatchArguments &DispatchArguments::Boolean(bool bValue)
{
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_BOOL;
    argument.boolVal = bValue ? VARIANT_TRUE : VARIANT_FALSE;
    return Add(argument);
}

DispatchArguments &DispatchArguments::Omitted(int nCount)
{
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_ERROR;
    argument.scode = DISP_E_PARAMNOTFOUND;
    for (int i = 0; i < nCount; ++i)
        Add(argument);
    return *this;
}

DispatchArguments &DispatchArguments::Block(int nRows, int nColumns, const std::vector<CellInput> &cells)
{
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(nRows), 1}, {static_cast<ULONG>(nColumns), 1}};
    SAFEARRAY *pArray = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!pArray)
        throw OleFailure(static_cast<uint32_t>(E_OUTOFMEMORY));
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_ARRAY | VT_VARIANT;
    argument.parray = pArray;
    Add(argument);  // owned from here on, freed with the other arguments
    size_t i = 0;
    for (LONG row = 1; row <= nRows; ++row)
        for (LONG column = 1; column <= nColumns; ++column, ++i) {
            Variant cell;
            if (cells.at(i).kind == CellInput::Kind::Number) {
                cell.Get()->vt = VT_R8;
                cell.Get()->dblVal = cells[i].dNumber;
            } else {
                const std::wstring wide = WideFromUtf8(cells[i].strText);
                cell.Get()->vt = VT_BSTR;
                cell.Get()->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
                if (!cell.Get()->bstrVal)
                    throw OleFailure(static_cast<uint32_t>(E_OUTOFMEMORY));
            }
            LONG indexes[2] = {row, column};
            const HRESULT hResult = SafeArrayPutElement(pArray, indexes, cell.Get());
            if (FAILED(hResult))
                throw OleFailure(static_cast<uint32_t>(hResult));
        }
    return *this;
}

Variant CallMethod(ExcelProcess &process, IDispatch &object, DISPID dispid, DispatchArguments &arguments)
{
    return InvokeForResult(process, object, dispid, DISPATCH_METHOD, arguments);
}

Variant CallMethod(ExcelProcess &process, IDispatch &object, DISPID dispid)
{
    DispatchArguments none;
    return CallMethod(process, object, dispid, none);
}

Variant GetProperty(ExcelProcess &process, IDispatch &object, DISPID dispid, DispatchArguments &arguments)
{
    return InvokeForResult(process, object, dispid, DISPATCH_PROPERTYGET, arguments);
}

Variant GetProperty(ExcelProcess &process, IDispatch &object, DISPID dispid)
{
    DispatchArguments none;
    return GetProperty(process, object, dispid, none);
}

void PutProperty(ExcelProcess &process, IDispatch &object, DISPID dispid, DispatchArguments &value)
{
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params = {value.Reversed(), &namedPut, value.Count(), 1};
    Invoke(process, object, dispid, DISPATCH_PROPERTYPUT, params, nullptr);
}

std::string TextResult(Variant &result)
{
    ConvertResult(result, VT_BSTR);
    return Utf8FromBstr((*result).bstrVal);
}

bool BooleanResult(Variant &result)
{
    ConvertResult(result, VT_BOOL);
    return (*result).boolVal != VARIANT_FALSE;
}

long IntegerResult(Variant &result)
{
    ConvertResult(result, VT_I4);
    return (*result).lVal;
}

DispatchPtr DispatchResult(Variant &result)
{
    ConvertResult(result, VT_DISPATCH);
    IDispatch *pObject = (*result).pdispVal;
    if (!pObject)
        throw OleFailure(static_cast<uint32_t>(E_POINTER));
    pObject->AddRef();  // the result still holds its own reference
    return DispatchPtr(pObject);
}

std::string Utf8FromBstr(BSTR bstrText)
{
    return bstrText ? Utf8FromWide(std::wstring(bstrText, SysStringLen(bstrText))) : std::string();
}
