#include "ExcelLauncher.h"

#include <windows.h>

#include <objbase.h>

#include "ExcelObjects.h"
#include "FailureReports.h"

bool ExcelIsRegistered()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Excel.Application\\CLSID", 0, KEY_QUERY_VALUE, &hKey) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

IDispatch *CreateExcelApplication()
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Excel.Application", &clsid)))
        return nullptr;
    void *pObject = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, &pObject)))
        return nullptr;
    return static_cast<IDispatch *>(pObject);
}

// The multithreaded apartment: the program has no message loop to serve a
// single-threaded one (which would also need a window of its own), Excel is
// an out-of-process server either way, and threads that never initialise
// COM share the apartment.  Where the thread is already in a single-threaded
// apartment (a dialog's), that one is used as it is (RPC_E_CHANGED_MODE,
// nothing to undo); S_FALSE counts as a success that needs its
// CoUninitialize.
ExcelLauncher::ExcelLauncher(ExcelStartSteps steps)
    : m_steps(std::move(steps)), m_bComInitialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
{
}

ExcelLauncher::~ExcelLauncher()
{
    if (m_bComInitialised)
        CoUninitialize();
}

bool ExcelLauncher::StartExcel(DispatchHolder<Application> &application, UserMessages &messages)
{
    if (!m_steps.isRegistered()) {
        const FailureReport report = NotInstalledReport("");
        messages.ShowMessage(report.strCaption, report.strText);
        return false;
    }
    IDispatch *pExcel = m_steps.create();
    if (!pExcel)
        return false;
    application.Attach(MakeExcelApplication(pExcel));
    return true;
}
