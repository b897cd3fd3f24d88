// The mechanics under every Excel wrapper: an owned automation reference,
// the arguments of one call, the late-bound IDispatch::Invoke by DISPID, and
// a failed call turned into the automation failures the posting pass
// catches.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <vector>

#include "Automation.h"
#include "ExcelProcess.h"

// Owns one IDispatch reference: released when the owner goes.
class DispatchPtr {
public:
    explicit DispatchPtr(IDispatch *pObject = nullptr) : m_pObject(pObject) {}
    DispatchPtr(DispatchPtr &&other) noexcept : m_pObject(other.m_pObject) { other.m_pObject = nullptr; }
    DispatchPtr(const DispatchPtr &) = delete;
    DispatchPtr &operator=(const DispatchPtr &) = delete;
    DispatchPtr &operator=(DispatchPtr &&) = delete;
    ~DispatchPtr()
    {
        if (m_pObject)
            m_pObject->Release();
    }

    IDispatch &operator*() const { return *m_pObject; }
    // A second owner of the same object.
    DispatchPtr Share() const
    {
        m_pObject->AddRef();
        return DispatchPtr(m_pObject);
    }

private:
    IDispatch *m_pObject;
};

// One VARIANT, cleared (its text freed, its object released) when it goes.
class Variant {
public:
    Variant() { VariantInit(&m_value); }
    Variant(Variant &&other) noexcept : m_value(other.m_value) { VariantInit(&other.m_value); }
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
    Variant &operator=(Variant &&) = delete;
    ~Variant() { VariantClear(&m_value); }

    VARIANT *Get() { return &m_value; }
    const VARIANT &operator*() const { return m_value; }

private:
    VARIANT m_value;
};

// The arguments of one call, added in the order the member declares them.
class DispatchArguments {
public:
    DispatchArguments() = default;
    DispatchArguments(const DispatchArguments &) = delete;
    DispatchArguments &operator=(const DispatchArguments &) = delete;
    ~DispatchArguments();

    DispatchArguments &Text(const std::string &strText);  // VT_BSTR
    DispatchArguments &Number(double dNumber);            // VT_R8, also for whole numbers
    DispatchArguments &Boolean(bool bValue);              // VT_BOOL
    // nCount optional arguments left out: VT_ERROR holding DISP_E_PARAMNOTFOUND.
    DispatchArguments &Omitted(int nCount);
    // The values of a block of cells as Excel's Range.Value2 holds them: a
    // two-dimensional array (VT_ARRAY | VT_VARIANT), rows first, both
    // indexes from 1, each cell a VT_R8 number or a VT_BSTR text; cells
    // holds nRows rows of nColumns each.
    DispatchArguments &Block(int nRows, int nColumns, const std::vector<CellInput> &cells);

    // Invoke reads its arguments last first: the array holds them reversed.
    VARIANTARG *Reversed() { return m_reversed.empty() ? nullptr : m_reversed.data(); }
    UINT Count() const { return static_cast<UINT>(m_reversed.size()); }

private:
    DispatchArguments &Add(const VARIANTARG &argument);

    std::vector<VARIANTARG> m_reversed;
};

// Each call goes to object in Excel's process (its locale, busy refusals
// asked again, the call limit) and throws DispatchFailure when Excel raises
// an error inside it (DISP_E_EXCEPTION) and OleFailure with the call's status
// for any other failure.
Variant CallMethod(ExcelProcess &process, IDispatch &object, DISPID dispid, DispatchArguments &arguments);
Variant CallMethod(ExcelProcess &process, IDispatch &object, DISPID dispid);
Variant GetProperty(ExcelProcess &process, IDispatch &object, DISPID dispid, DispatchArguments &arguments);
Variant GetProperty(ExcelProcess &process, IDispatch &object, DISPID dispid);
// The one argument is the new value, passed as the named DISPID_PROPERTYPUT.
void PutProperty(ExcelProcess &process, IDispatch &object, DISPID dispid, DispatchArguments &value);

// A call's result as the type the member promises; OleFailure with the
// conversion's status when it is not one.
std::string TextResult(Variant &result);
bool BooleanResult(Variant &result);
long IntegerResult(Variant &result);
DispatchPtr DispatchResult(Variant &result);

// A text Excel handed over, in the program's UTF-8 (a null BSTR is empty).
std::string Utf8FromBstr(BSTR bstrText);
