// The out-of-process stand-in for Excel (excel-standin.exe, a COM local
// server of the tests' own): its class, the switches that make it behave as
// the real application does when it is busy, asks, hangs or reads dates, and
// how a test registers it in the Wine prefix as "Excel.Application" (with
// the HKLM key Start Excel checks) and finds its processes.
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <chrono>
#include <cwchar>
#include <string>
#include <vector>

#include "WindowsText_win32.h"

// The stand-in's own class: registering it never touches a real Excel's.
inline const CLSID kStandInClsid = {0x6e4b3c2a, 0x5d1f, 0x4f7a, {0x9b, 0x8e, 0x2c, 0x7d, 0x1a, 0x0f, 0x3e, 0x51}};
inline const wchar_t kStandInClsidText[] = L"{6E4B3C2A-5D1F-4F7A-9B8E-2C7D1A0F3E51}";
inline const wchar_t kStandInExeName[] = L"excel-standin.exe";

// Switches of the stand-in's command line (the registration carries them;
// COM adds -Embedding):
//   --user-locale=HEX            the machine's regional settings (default 409)
//   --busy-after-open=MS         after each Workbooks.Open, refuses every call
//                                for MS milliseconds: by its message filter
//                                (RPC_E_CALL_REJECTED) and by answering
//                                RPC_E_SERVERCALL_RETRYLATER, in turn
//   --hang=HEX                   the member with this DISPID never returns
//   --compatibility-flagged=NAME Save of workbook NAME asks about its format
//   --unwritable=NAME            Save of workbook NAME fails (error 1004)
//   --signal=NAME                sets the named event NAME when it hangs or
//                                asks, so that a test knows it is there
//   --signal-on=HEX              ... and when the member with this DISPID
//                                is called
// With alerts on, a question (Quit with unsaved changes, Save of a flagged
// workbook) waits for an answer nobody gives: its message loop runs and
// every call is refused meanwhile, as with a dialog in a hidden window.

// Registers the stand-in with switches for the life of this object.
class StandInRegistration {
public:
    explicit StandInRegistration(const std::string &strSwitches = std::string())
    {
        m_bRegistered = !OtherExcelIsRegistered() &&
                        SetDefault(ClsidKey() + L"\\LocalServer32", L"\"" + ExePath() + L"\" " + WideFromUtf8(strSwitches)) &&
                        SetDefault(L"Software\\Classes\\Excel.Application\\CLSID", kStandInClsidText);
    }
    StandInRegistration(const StandInRegistration &) = delete;
    StandInRegistration &operator=(const StandInRegistration &) = delete;
    ~StandInRegistration() { Unregister(); }

    // False on a machine where a real Excel is registered: it is left alone.
    bool IsRegistered() const { return m_bRegistered; }

    // Removes the stand-in's registration, where a test left one.
    static void Unregister()
    {
        if (OtherExcelIsRegistered())
            return;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Excel.Application");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClsidKey().c_str());
    }

private:
    static std::wstring ClsidKey() { return std::wstring(L"Software\\Classes\\CLSID\\") + kStandInClsidText; }

    // The stand-in beside the test program that registers it.
    static std::wstring ExePath()
    {
        wchar_t szPath[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, szPath, MAX_PATH);
        std::wstring path = szPath;
        return path.substr(0, path.find_last_of(L'\\') + 1) + kStandInExeName;
    }

    static bool OtherExcelIsRegistered()
    {
        wchar_t szClsid[64] = L"";
        DWORD dwSize = sizeof szClsid;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Excel.Application\\CLSID", nullptr, RRF_RT_REG_SZ,
                         nullptr, szClsid, &dwSize) != ERROR_SUCCESS)
            return false;
        return lstrcmpiW(szClsid, kStandInClsidText) != 0;
    }

    static bool SetDefault(const std::wstring &strKey, const std::wstring &strValue)
    {
        return RegSetKeyValueW(HKEY_LOCAL_MACHINE, strKey.c_str(), nullptr, REG_SZ, strValue.c_str(),
                               static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    bool m_bRegistered = false;
};

// The ids of the stand-in processes running now.
inline std::vector<DWORD> StandInProcesses()
{
    std::vector<DWORD> found;
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore; bMore = Process32NextW(hSnapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, kStandInExeName) == 0)
            found.push_back(entry.th32ProcessID);
    CloseHandle(hSnapshot);
    return found;
}

// The stand-in process of an id StandInProcesses gave, opened for
// dwAccess, or null once it has ended.  By then its id may have gone to
// another program, a test's that runs beside: its name is checked on the
// opened process, whose id stays its own while the handle is held.
inline HANDLE OpenStandIn(DWORD dwProcessId, DWORD dwAccess)
{
    HANDLE hProcess = OpenProcess(dwAccess | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId);
    if (hProcess == nullptr)
        return nullptr;
    wchar_t szImage[MAX_PATH * 2] = L"";
    DWORD dwLength = ARRAYSIZE(szImage);
    const wchar_t *pszName = nullptr;
    if (QueryFullProcessImageNameW(hProcess, 0, szImage, &dwLength)) {
        const wchar_t *pszSeparator = wcsrchr(szImage, L'\\');
        pszName = pszSeparator != nullptr ? pszSeparator + 1 : szImage;
    }
    if (pszName == nullptr || lstrcmpiW(pszName, kStandInExeName) != 0) {
        CloseHandle(hProcess);
        return nullptr;
    }
    return hProcess;
}

// True once no stand-in runs, waiting for those that do to end, at most
// until the deadline.
inline bool NoStandInRunsWithin(std::chrono::milliseconds deadline)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (DWORD dwProcessId : StandInProcesses()) {
        HANDLE hProcess = OpenStandIn(dwProcessId, SYNCHRONIZE);
        if (hProcess == nullptr)
            continue;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        const DWORD dwWaited = WaitForSingleObject(hProcess, static_cast<DWORD>(std::max<long long>(left.count(), 0)));
        CloseHandle(hProcess);
        if (dwWaited != WAIT_OBJECT_0)
            return false;
    }
    return StandInProcesses().empty();
}

// Ends every stand-in still running, so that one test's leftovers never
// meet the next.
inline void EndStandIns()
{
    for (DWORD dwProcessId : StandInProcesses()) {
        HANDLE hProcess = OpenStandIn(dwProcessId, PROCESS_TERMINATE | SYNCHRONIZE);
        if (hProcess == nullptr)
            continue;
        TerminateProcess(hProcess, 2);
        WaitForSingleObject(hProcess, 10000);
        CloseHandle(hProcess);
    }
}
