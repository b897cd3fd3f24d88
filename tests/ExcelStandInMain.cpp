// excel-standin.exe: the tests' Excel in a process of its own.  A COM local
// server in a single-threaded apartment, as Excel is, with a hidden main
// window of Excel's class; each creation starts a new process
// (REGCLS_SINGLEUSE), which ends once it has been told to quit and the last
// reference is released, or only the latter.  It serves the fake automation
// objects (FakeExcelServer) over the in-memory workbooks, read from and
// saved to the workbook files, and behaves as its switches say
// (ExcelStandIn.h).
#include <windows.h>

#include <objbase.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <memory>
#include <string>

#include "CellAddress.h"
#include "ExcelStandIn.h"
#include "FakeExcelServer.h"
#include "MemoryWorkbooks.h"

namespace {

struct Switches {
    LCID userLocale = 0x0409;
    DWORD dwBusyAfterOpenMs = 0;
    DISPID hangOn = DISPID_UNKNOWN;
    DISPID signalOn = DISPID_UNKNOWN;
    std::string strCompatibilityFlagged;
    std::string strUnwritable;
    std::wstring strSignal;
};

Switches ReadSwitches()
{
    Switches switches;
    int nArgs = 0;
    LPWSTR *ppArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    for (int i = 1; ppArgs != nullptr && i < nArgs; ++i) {
        const std::string arg = Utf8FromWide(ppArgs[i]);
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals), value = equals == std::string::npos ? "" : arg.substr(equals + 1);
        if (name == "--user-locale")
            switches.userLocale = static_cast<LCID>(std::strtoul(value.c_str(), nullptr, 16));
        else if (name == "--busy-after-open")
            switches.dwBusyAfterOpenMs = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10));
        else if (name == "--hang")
            switches.hangOn = static_cast<DISPID>(std::strtol(value.c_str(), nullptr, 16));
        else if (name == "--signal-on")
            switches.signalOn = static_cast<DISPID>(std::strtol(value.c_str(), nullptr, 16));
        else if (name == "--compatibility-flagged")
            switches.strCompatibilityFlagged = value;
        else if (name == "--unwritable")
            switches.strUnwritable = value;
        else if (name == "--signal")
            switches.strSignal = WideFromUtf8(value);
    }
    LocalFree(ppArgs);
    return switches;
}

// What the stand-in is doing now, as its message filter and calls see it.
struct StandInState {
    Switches switches;
    ULONGLONG busyUntil = 0;  // GetTickCount64
    bool bOpened = false;     // the last call opened a workbook
    unsigned uRefusals = 0;
    bool bAsking = false;
    std::map<std::string, HANDLE> heldFiles;

    bool IsBusy() const { return bAsking || GetTickCount64() < busyUntil; }
};

StandInState g_state;

// Tells a waiting test that the stand-in got where it was asked to stop.
void Signal()
{
    if (g_state.switches.strSignal.empty())
        return;
    if (HANDLE hEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, g_state.switches.strSignal.c_str())) {
        SetEvent(hEvent);
        CloseHandle(hEvent);
    }
}

// An object of this server that lives as long as it runs (no reference
// counting) and hands out one interface besides IUnknown.
template <class Interface>
class StaticObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppObject) override
    {
        if (riid != IID_IUnknown && riid != __uuidof(Interface)) {
            *ppObject = nullptr;
            return E_NOINTERFACE;
        }
        *ppObject = static_cast<Interface *>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// Refuses the calls on the object model while busy.  Wine hands
// SERVERCALL_REJECTED to the caller as RPC_E_CALL_REJECTED but does not
// yet carry SERVERCALL_RETRYLATER (it runs the call): that refusal is made
// by the call itself (BeforeCall), with the status Windows gives the caller.
// Calls on other interfaces (references released, interfaces asked for) go
// through, as they do to Excel.
class BusyFilter : public StaticObject<IMessageFilter> {
public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO pInfo) override
    {
        if (pInfo == nullptr || pInfo->iid != IID_IDispatch || !g_state.IsBusy() || ++g_state.uRefusals % 2 == 0)
            return SERVERCALL_ISHANDLED;
        return SERVERCALL_REJECTED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

// Busy from the first call after a workbook was opened, as Excel is while
// it loads and calculates one.
HRESULT BeforeCall(DISPID dispid)
{
    if (g_state.bOpened && g_state.switches.dwBusyAfterOpenMs > 0)
        g_state.busyUntil = GetTickCount64() + g_state.switches.dwBusyAfterOpenMs;
    g_state.bOpened = false;
    if (g_state.IsBusy())
        return RPC_E_SERVERCALL_RETRYLATER;
    g_state.bOpened = dispid == kOpen;
    if (dispid == g_state.switches.signalOn)
        Signal();
    if (dispid == g_state.switches.hangOn) {
        Signal();
        for (;;)
            Sleep(INFINITE);  // no message loop either: a hung Excel
    }
    return S_OK;
}

// A question in a hidden window: its message loop runs, nobody answers.
void AskUser()
{
    g_state.bAsking = true;
    Signal();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    ExitProcess(3);  // told to end while asking: there is nothing to go back to
}

// Excel keeps a workbook's file open while the workbook is: nobody else may
// write it meanwhile.
void HoldFile(const std::string &strPath, bool bHeld)
{
    auto held = g_state.heldFiles.find(strPath);
    if (held != g_state.heldFiles.end()) {
        CloseHandle(held->second);
        g_state.heldFiles.erase(held);
    }
    if (!bHeld)
        return;
    HANDLE hFile = CreateFileW(WideFromUtf8(strPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile != INVALID_HANDLE_VALUE)
        g_state.heldFiles[strPath] = hFile;
}

class ApplicationFactory : public StaticObject<IClassFactory> {
public:
    explicit ApplicationFactory(FakeExcelServer &server) : m_server(server) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *pOuter, REFIID riid, void **ppObject) override
    {
        *ppObject = nullptr;
        if (pOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        IDispatch *pApplication = m_server.NewApplication();
        const HRESULT hResult = pApplication->QueryInterface(riid, ppObject);
        pApplication->Release();
        m_bCreated = SUCCEEDED(hResult);
        return hResult;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    bool Created() const { return m_bCreated; }

private:
    FakeExcelServer &m_server;
    bool m_bCreated = false;
};

// A formula's result as Excel gives it through Value2: the sum of its terms,
// numbers and cells of its own sheet ("= 11552 + D146"; an empty cell counts
// 0).  Anything else is an error value, which is no value.
CellValue ComputeFormula(const MemoryCell &formula, const MemorySheet &sheet)
{
    CellValue result;
    double dSum = 0;
    char sign = '+';
    std::istringstream terms(formula.strText.substr(1));
    for (std::string term; terms >> term;) {
        if (term == "+" || term == "-") {
            sign = term[0];
            continue;
        }
        double dTerm = 0;
        CellAddress address;
        char *end = nullptr;
        dTerm = std::strtod(term.c_str(), &end);
        if (*end != '\0') {
            if (!ParseCellAddress(term, address))
                return result;
            const auto cell = sheet.cells.find(address);
            if (cell != sheet.cells.end() && cell->second.kind != MemoryCell::Kind::Number)
                return result;
            dTerm = cell == sheet.cells.end() ? 0 : cell->second.dNumber;
        }
        dSum += sign == '-' ? -dTerm : dTerm;
    }
    result.kind = CellValue::Kind::Number;
    result.dNumber = dSum;
    return result;
}

HWND MakeMainWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"XLMAIN";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"XLMAIN", L"Microsoft Excel", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    g_state.switches = ReadSwitches();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    BusyFilter filter;
    IMessageFilter *pPreviousFilter = nullptr;
    CoRegisterMessageFilter(&filter, &pPreviousFilter);

    auto spreadsheet = std::make_shared<MemorySpreadsheet>();
    spreadsheet->computeFormula = ComputeFormula;
    FakeExcelServer server(spreadsheet);
    FakeExcelBehaviour &behaviour = server.Behaviour();
    behaviour.userLocale = g_state.switches.userLocale;
    behaviour.hMainWindow = MakeMainWindow();
    if (!g_state.switches.strCompatibilityFlagged.empty())
        behaviour.compatibilityFlagged.insert(g_state.switches.strCompatibilityFlagged);
    if (!g_state.switches.strUnwritable.empty())
        behaviour.unwritable.insert(g_state.switches.strUnwritable);
    behaviour.askUser = AskUser;
    behaviour.beforeCall = BeforeCall;
    behaviour.holdFile = HoldFile;

    ApplicationFactory factory(server);
    DWORD dwCookie = 0;
    if (FAILED(CoRegisterClassObject(kStandInClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &dwCookie)))
        return 1;
    MSG msg;
    while ((!factory.Created() || server.LiveObjects() > 0) && GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    CoRevokeClassObject(dwCookie);
    for (const auto &held : g_state.heldFiles)
        CloseHandle(held.second);
    CoUninitialize();
    return 0;
}
