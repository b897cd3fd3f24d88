#include "ExcelProcess.h"

#include <objbase.h>

#include <thread>

namespace {

// Exit code of an Excel this program had to end.
constexpr UINT kEndedExitCode = 1;

// A job that ends its processes when its last handle closes.  Its one handle
// is this program's and is never closed: the system closes it when this
// program ends, normally or killed, and every Excel in it ends too.  Null
// when the system will not make one.
HANDLE ProgramJob()
{
    static const HANDLE hJob = [] {
        HANDLE hNew = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (hNew != nullptr && !SetInformationJobObject(hNew, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(hNew);
            hNew = nullptr;
        }
        return hNew;
    }();
    return hJob;
}

bool IsBusyRefusal(HRESULT hResult) { return hResult == RPC_E_CALL_REJECTED || hResult == RPC_E_SERVERCALL_RETRYLATER; }

// COM for one thread, from its first call into Excel to its end.
class ComMembership {
public:
    ComMembership() : m_bJoined(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ComMembership(const ComMembership &) = delete;
    ComMembership &operator=(const ComMembership &) = delete;
    ~ComMembership()
    {
        if (m_bJoined)
            CoUninitialize();
    }

private:
    bool m_bJoined;  // false in a single-threaded apartment (RPC_E_CHANGED_MODE): nothing to undo
};

}  // namespace

void JoinComApartment()
{
    thread_local ComMembership membership;
}

ExcelProcess::ExcelProcess(ExcelCallLimits limits) : m_limits(limits), m_watchdog([this] { End(); }) {}

ExcelProcess::~ExcelProcess()
{
    if (m_hProcess == nullptr)
        return;
    if (WaitForSingleObject(m_hProcess, static_cast<DWORD>(m_limits.endLimit.count())) != WAIT_OBJECT_0)
        End();
    CloseHandle(m_hProcess);
}

// The job is best effort: where the system refuses (a process already in a
// job that allows no other), Excel still ends with every session that ends
// as it should.
void ExcelProcess::Adopt(HWND hMainWindow)
{
    DWORD dwProcessId = 0;
    if (hMainWindow == nullptr || GetWindowThreadProcessId(hMainWindow, &dwProcessId) == 0 || dwProcessId == 0)
        return;
    HANDLE hProcess = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwProcessId);
    if (hProcess == nullptr)
        hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwProcessId);
    if (hProcess == nullptr)
        return;
    if (HANDLE hJob = ProgramJob())
        AssignProcessToJobObject(hJob, hProcess);
    m_hProcess = hProcess;
    m_dwProcessId = dwProcessId;
}

HRESULT ExcelProcess::Invoke(IDispatch &object, DISPID dispid, WORD wKind, DISPPARAMS &params, VARIANT *pResult,
                             EXCEPINFO *pException)
{
    JoinComApartment();
    const auto firstTry = std::chrono::steady_clock::now();
    for (;;) {
        UINT uArgumentInError = 0;
        HRESULT hResult;
        {
            WatchedCall watch(m_watchdog, m_limits.callLimit);
            hResult = object.Invoke(dispid, IID_NULL, kExcelCallLocale, wKind, &params, pResult, pException,
                                    &uArgumentInError);
            if (watch.Finish())
                return kStatusCallTimedOut;
        }
        if (!IsBusyRefusal(hResult) || std::chrono::steady_clock::now() - firstTry >= m_limits.busyLimit)
            return hResult;
        std::this_thread::sleep_for(m_limits.busyPause);
    }
}

void ExcelProcess::End()
{
    if (m_hProcess != nullptr && WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(m_hProcess, kEndedExitCode);
}
