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

bool ExcelLauncher::StartApplication(DispatchHolder<Application> &application, UserMessages &messages)
{
    if (!m_steps.isRegistered()) {
        const FailureReport report = NotInstalledReport("");
        messages.ShowMessage(report.strCaption, report.strText);
        return false;
    }
    JoinComApartment();
    IDispatch *pExcel = m_steps.create();
    if (!pExcel)
        return false;
    auto process = std::make_shared<ExcelProcess>(m_limits);
    process->Adopt(ExcelMainWindow(*pExcel, *process));
    application.Attach(MakeExcelApplication(pExcel, std::move(process)));
    return true;
}
