// An automation server of the tests' own that stands in for Excel: IDispatch
// objects over the in-memory spreadsheet, answering the members the program
// calls by their DISPIDs, handing out sub-objects as VT_DISPATCH and
// recording every Invoke.  A failure the in-memory spreadsheet raises comes
// back as Excel reports it: an error inside the call as DISP_E_EXCEPTION
// (Excel's way: wCode 0, scode 0x800A0000 | code, the description), any
// other as the call's status.  Only what the program sends is accepted: a
// wrong argument count or type fails the call.
//
// As Excel does: a missing worksheet answers DISP_E_BADINDEX; a text put
// into a cell is read under the locale the call passes ("1/4" a date of
// this year, month first or day first as that locale writes dates); Quit
// with a workbook changed since it was saved, and Save of a workbook that
// the compatibility check flags, ask the user while alerts are on.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MemoryWorkbooks.h"

// The members the fake answers, by the DISPIDs of Excel's object model (a
// copy of the tests' own, so that a wrong number in the program shows).
constexpr DISPID kLibraryPath = 0x16E, kRegisterXLL = 0x1E, kWorkbooks = 0x23C, kOpen = 0x783, kClose = 0x115,
                 kWorksheets = 0x1E5, kItem = 0xAA, kRange = 0xC5, kValue2 = 0x56C, kClearContents = 0x71,
                 kSave = 0x11B, kQuit = 0x12E, kDisplayAlerts = 0x157, kHwnd = 0x79E;

// One argument as it arrived.
struct RecordedArgument {
    VARTYPE vt = VT_EMPTY;
    std::string strText;  // VT_BSTR
    double dNumber = 0;   // VT_R8
    SCODE scode = 0;      // VT_ERROR
    bool bValue = false;  // VT_BOOL
};

// One Invoke: the member, its kind (DISPATCH_METHOD, DISPATCH_PROPERTYGET or
// DISPATCH_PROPERTYPUT), the locale it passed, the named arguments' DISPIDs and the arguments in
// the member's order (rgvarg reversed back).
struct RecordedInvoke {
    DISPID dispid = 0;
    WORD wKind = 0;
    LCID lcid = 0;
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

// What the fake does beyond answering; the out-of-process stand-in switches
// these to behave as a real Excel would where the fake in the caller's own
// thread cannot (wait, refuse, hang, hold files).
struct FakeExcelBehaviour {
    // The locale of the machine's regional settings: what a call gets that
    // passes LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT or 0.
    LCID userLocale = 0x0409;
    // What Application.Hwnd answers; null: the member is not there.
    HWND hMainWindow = nullptr;
    // File names (without folder) of workbooks whose Save the compatibility
    // check flags, and of workbooks that Save cannot write (error 1004).
    std::set<std::string> compatibilityFlagged;
    std::set<std::string> unwritable;
    // Excel asks the user a question, with alerts on.  None: the call is
    // refused as busy (RPC_E_CALL_REJECTED), as a fake that cannot wait.
    std::function<void()> askUser;
    // Before each call: S_OK to go on, or the status to answer instead.
    std::function<HRESULT(DISPID)> beforeCall;
    // A workbook's file was opened (true) or let go (false); Save lets go of
    // the file while it writes it.
    std::function<void(const std::string &strPath, bool bHeld)> holdFile;
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
    FakeExcelBehaviour &Behaviour();

private:
    std::shared_ptr<MemorySpreadsheet> m_spreadsheet;
    std::shared_ptr<FakeExcelState> m_state;
};
