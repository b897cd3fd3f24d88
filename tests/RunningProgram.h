// A program of ours started by a test as the user starts it (gombrel.exe,
// gombrel-cli.exe), its output kept in files when asked, found and read
// through its windows, waited for with deadlines, ended by force if a test
// leaves it running.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "WindowsText_win32.h"

class RunningProgram {
public:
    // strExe with the arguments, each quoted; with strOutputFile, standard
    // output goes to that file and standard error to the same name + ".err".
    explicit RunningProgram(const std::string &strExe, const std::vector<std::string> &arguments = {},
                            const std::string &strOutputFile = std::string())
    {
        std::wstring strCommand = L"\"" + WideFromUtf8(strExe) + L"\"";
        for (const std::string &argument : arguments)
            strCommand += L" \"" + WideFromUtf8(argument) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        BOOL bInherit = FALSE;
        if (!strOutputFile.empty()) {
            m_hOutput = CreateOutputFile(strOutputFile);
            m_hError = CreateOutputFile(strOutputFile + ".err");
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = m_hOutput;
            startup.hStdError = m_hError;
            startup.hStdInput = INVALID_HANDLE_VALUE;
            bInherit = TRUE;
        }
        m_bStarted = CreateProcessW(nullptr, strCommand.data(), nullptr, nullptr, bInherit, 0, nullptr, nullptr,
                                    &startup, &m_process) != 0;
        if (m_bStarted)
            WaitForInputIdle(m_process.hProcess, 30000);
    }
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;
    ~RunningProgram()
    {
        for (HANDLE hFile : {m_hOutput, m_hError})
            if (hFile != INVALID_HANDLE_VALUE)
                CloseHandle(hFile);
        if (!m_bStarted)
            return;
        Kill();
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }

    bool Started() const { return m_bStarted; }
    DWORD ProcessId() const { return m_process.dwProcessId; }

    // Ends the program as the task manager does.
    void Kill()
    {
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.hProcess, 1);
            WaitForSingleObject(m_process.hProcess, 30000);
        }
    }

    // The first top-level window of the program that matches; null when
    // none came before the deadline or the program ended.  Between looks it
    // waits on the program's end.
    HWND WaitForWindow(const std::function<bool(HWND)> &matches,
                       std::chrono::milliseconds deadline = std::chrono::seconds(30))
    {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < end) {
            if (HWND hFound = FindWindowOfProgram(matches))
                return hFound;
            if (WaitForSingleObject(m_process.hProcess, 50) == WAIT_OBJECT_0)
                return nullptr;
        }
        return nullptr;
    }

    // The program's exit code once it has ended within the deadline, else
    // STILL_ACTIVE.
    DWORD WaitForEnd(std::chrono::milliseconds deadline = std::chrono::seconds(30))
    {
        WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(deadline.count()));
        DWORD nExitCode = STILL_ACTIVE;
        GetExitCodeProcess(m_process.hProcess, &nExitCode);
        return nExitCode;
    }

private:
    struct Search {
        DWORD nProcessId;
        const std::function<bool(HWND)> *pMatches;
        HWND hFound;
    };

    static HANDLE CreateOutputFile(const std::string &strPath)
    {
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        return CreateFileW(WideFromUtf8(strPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    static BOOL CALLBACK TakeIfMatching(HWND hWnd, LPARAM lParam)
    {
        auto *pSearch = reinterpret_cast<Search *>(lParam);
        DWORD nProcessId = 0;
        GetWindowThreadProcessId(hWnd, &nProcessId);
        if (nProcessId != pSearch->nProcessId || !IsWindowVisible(hWnd) || !(*pSearch->pMatches)(hWnd))
            return TRUE;
        pSearch->hFound = hWnd;
        return FALSE;
    }

    HWND FindWindowOfProgram(const std::function<bool(HWND)> &matches)
    {
        Search search{m_process.dwProcessId, &matches, nullptr};
        EnumWindows(TakeIfMatching, reinterpret_cast<LPARAM>(&search));
        return search.hFound;
    }

    PROCESS_INFORMATION m_process{};
    HANDLE m_hOutput = INVALID_HANDLE_VALUE;
    HANDLE m_hError = INVALID_HANDLE_VALUE;
    bool m_bStarted = false;
};

// The text of a control of another program's window, which answers only
// when asked.
inline std::string ControlTextOf(HWND hDialog, int nId)
{
    wchar_t szText[MAX_PATH] = {};
    SendMessageW(GetDlgItem(hDialog, nId), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(szText));
    return Utf8FromWide(szText);
}

// The next message box owned by hDialog, "CAPTION: TEXT", read and closed
// with OK; "(no box)" when none came.
inline std::string NextBoxOf(RunningProgram &program, HWND hDialog,
                             std::chrono::milliseconds deadline = std::chrono::seconds(30))
{
    HWND hBox = program.WaitForWindow([hDialog](HWND hWnd) { return GetWindow(hWnd, GW_OWNER) == hDialog; }, deadline);
    if (hBox == nullptr)
        return "(no box)";
    wchar_t szCaption[256] = {};
    SendMessageW(hBox, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(szCaption));
    const std::string strBox = Utf8FromWide(szCaption) + ": " + ControlTextOf(hBox, 0xFFFF);
    PostMessageW(hBox, WM_COMMAND, IDOK, 0);
    program.WaitForWindow([hBox](HWND) { return !IsWindowVisible(hBox); });
    return strBox;
}
