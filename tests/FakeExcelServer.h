// An automation server of the tests' own that stands in for Excel: IDispatch
// objects over the in-memory spreadsheet, answering the members the program
// calls by their DISPIDs, handing out sub-objects as VT_DISPATCH and
// recording every Invoke.  A failure the in-memory spreadsheet raises comes
// back as Excel reports it: an error inside the call as DISP_E_EXCEPTION
// (Excel's way: wCode 0, scode 0x800A0000 | code, the description), any
// other as the call's status.  Only what the program sends is accepted: a
// wrong argument count or type fails the call.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "MemoryWorkbooks.h"

// The members the fake answers, by the DISPIDs of Excel's object model (a
// copy of the tests' own, so that a wrong number in the program shows).
constexpr DISPID kLibraryPath = 0x16E, kRegisterXLL = 0x1E, kWorkbooks = 0x23C, kOpen = 0x783, kClose = 0x115,
                 kWorksheets = 0x1E5, kItem = 0xAA, kRange = 0xC5, kValue2 = 0x56C, kClearContents = 0x71,
                 kSave = 0x11B, kQuit = 0x12E, kDisplayAlerts = 0x157;

// One argument as it arrived.
struct RecordedArgument {
    VARTYPE vt = VT_EMPTY;
    std::string strText;  // VT_BSTR
    double dNumber = 0;   // VT_R8
    SCODE scode = 0;      // VT_ERROR
    bool bValue = false;  // VT_BOOL
};

// One Invoke: the member, its kind (DISPATCH_METHOD, DISPATCH_PROPERTYGET or
// DISPATCH_PROPERTYPUT), the named arguments' DISPIDs and the arguments in
// the member's order (rgvarg reversed back).
struct RecordedInvoke {
    DISPID dispid = 0;
    WORD wKind = 0;
    std::vector<DISPID> namedArguments;
    std::vector<RecordedArgument> arguments;
};

// What the next Invoke answers instead of doing anything.
struct ScriptedFailure {
    HRESULT hResult = DISP_E_EXCEPTION;
    WORD wCode = 0;
    SCODE scode = 0;
    std::string strDescription;
};

struct FakeExcelState;

class FakeExcelServer {
public:
    explicit FakeExcelServer(std::shared_ptr<MemorySpreadsheet> spreadsheet);

    // A new application object over the spreadsheet, one reference for the
    // caller, as creating Excel hands one out.
    IDispatch *NewApplication();

    const std::vector<RecordedInvoke> &Invokes() const;
    // The Invokes of one member.
    std::vector<RecordedInvoke> InvokesOf(DISPID dispid) const;
    // The next Invoke, on any object, fails as scripted.
    void FailNextInvoke(ScriptedFailure failure);
    // Objects handed out and not yet released.
    int LiveObjects() const;

private:
    std::shared_ptr<MemorySpreadsheet> m_spreadsheet;
    std::shared_ptr<FakeExcelState> m_state;
};
