// The running Excel behind one application object, and how long the program
// waits for it.  Every call into Excel goes through ExcelProcess::Invoke: in
// US English, asked again while Excel says it is busy (for a bounded time),
// and bounded by a watchdog that ends Excel's process when a call does not
// come back.  Excel's process is found from its main window
// (Application.Hwnd) and tied to a job of this program's own that ends it
// when this program ends, however it ends: DCOM starts Excel, not this
// program, so it would otherwise outlive a program that was killed.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <chrono>

#include "CallWatchdog.h"

// Excel reads a posted text ("1/4", "13", "= 1 + D5") under the locale the
// call passes.  The workbooks and the checking rounds expect it read as on a
// US-English system, whatever the user's regional settings: the locale VBA
// passes too.
constexpr LCID kExcelCallLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// How long the program waits for Excel.
struct ExcelCallLimits {
    // A call that Excel refuses as busy (RPC_E_CALL_REJECTED,
    // RPC_E_SERVERCALL_RETRYLATER) is made again after busyPause, until
    // busyLimit has passed since it was first made; then the refusal stands.
    std::chrono::milliseconds busyLimit{30000};
    std::chrono::milliseconds busyPause{200};
    // The longest one call may take; Excel is then ended and the call fails
    // with RPC_E_TIMEOUT.
    std::chrono::milliseconds callLimit{120000};
    // How long Excel may take to end once the program has let go of it.
    std::chrono::milliseconds endLimit{10000};
};

// Status of a call that outlived its limit (Excel was ended).
constexpr HRESULT kStatusCallTimedOut = RPC_E_TIMEOUT;

class ExcelProcess {
public:
    explicit ExcelProcess(ExcelCallLimits limits = ExcelCallLimits());
    ExcelProcess(const ExcelProcess &) = delete;
    ExcelProcess &operator=(const ExcelProcess &) = delete;
    // Every reference to Excel has been released by now: Excel ends by
    // itself (it was told to quit, or nobody holds it any more); one that is
    // still there after the end limit is ended.
    ~ExcelProcess();

    // Takes the process that owns Excel's main window and ties it to this
    // program's job.  Without a window (an Excel too old to tell it) the
    // process stays unknown: calls then have no limit.
    void Adopt(HWND hMainWindow);
    // The process id, 0 while unknown.
    DWORD ProcessId() const { return m_dwProcessId; }

    // IDispatch::Invoke in Excel's locale, with busy refusals asked again
    // and the call limit.
    HRESULT Invoke(IDispatch &object, DISPID dispid, WORD wKind, DISPPARAMS &params, VARIANT *pResult,
                   EXCEPINFO *pException);

    // Ends Excel now (nothing when it has ended or is unknown).
    void End();

private:
    ExcelCallLimits m_limits;
    HANDLE m_hProcess = nullptr;
    DWORD m_dwProcessId = 0;
    CallWatchdog m_watchdog;
};

// Makes this thread a member of the process's multithreaded apartment for
// the rest of its life, once; every thread that calls Excel does so first.
// A thread already in a single-threaded apartment (a window's) stays there.
void JoinComApartment();
