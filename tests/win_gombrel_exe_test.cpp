// gombrel.exe as the user starts it: a copy in a folder of its own beside its
// gombrel.ini and the result library, driven from this process through
// window messages alone, on a machine without Excel (as Wine is).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "MappingTables.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "WindowTestSupport.h"
#include "WindowsText_win32.h"

namespace {

using ::testing::ElementsAre;

const char kNotPostedBox[] = "gombrel: Results not posted to XLS file(s):\n   Error encountered attempting to open Excel";

// The started program; ended by force if a test leaves it running.
class RunningProgram {
public:
    explicit RunningProgram(const std::string &strExe)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring strCommand = L"\"" + WideFromUtf8(strExe) + L"\"";
        m_bStarted = CreateProcessW(nullptr, strCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                    &startup, &m_process) != 0;
        if (m_bStarted)
            WaitForInputIdle(m_process.hProcess, 30000);
    }
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;
    ~RunningProgram()
    {
        if (!m_bStarted)
            return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 1);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }

    bool Started() const { return m_bStarted; }

    // The first top-level window of the program that matches; null when
    // none came before the deadline or the program ended.  Between looks it
    // waits on the program's end.
    HWND WaitForWindow(const std::function<bool(HWND)> &matches)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
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
    DWORD WaitForEnd()
    {
        WaitForSingleObject(m_process.hProcess, 30000);
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
    bool m_bStarted = false;
};

// The program's folder (gombrel.exe, d2result.dll, gombrel.ini naming the
// folders of the last run) and a results folder holding the sample's
// stores and four workbook files, which is also the DOE-2 folder.
class GombrelExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(FilePath(ProgramFolder()));
        for (const char *pszFile : {GOMBREL_EXE, D2RESULT_DLL})
            std::filesystem::copy_file(pszFile, FilePath(ProgramFolder()) / std::filesystem::path(pszFile).filename());
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(Results(), failure)) << failure;
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(Results() + table.pszWorkbookFile, "a workbook nobody may change");
        WriteWholeFile(SettingsPath(), "[paths]\nLastDOE2Path=" + Results() + "\nLastResultsPath=" + Results() +
                                           "\n[preferences]\nCheckPostedValues=0\n");
    }

    std::filesystem::path FilePath(const std::string &strUtf8) { return std::filesystem::u8path(strUtf8); }
    std::string ProgramFolder() { return m_scratch / "program"; }
    std::string SettingsPath() { return ProgramFolder() + "\\gombrel.ini"; }
    std::string Results() { return m_scratch / "Ergebnisse W\xC3\xA4rme"; }

    static bool IsMainDialog(HWND hWnd) { return WindowTextOf(hWnd) == "Gombrel"; }

    // A control of another program answers its text only when asked.
    static std::string ControlText(HWND hDialog, int nId)
    {
        wchar_t szText[MAX_PATH] = {};
        SendMessageW(GetDlgItem(hDialog, nId), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(szText));
        return Utf8FromWide(szText);
    }

    // A message box of the program, owned by its dialog: "CAPTION: TEXT".
    static std::string TextOfBox(HWND hBox)
    {
        return WindowTextOf(hBox) + ": " + ControlText(hBox, 0xFFFF);
    }

    // The next message box the dialog owns, read and closed with OK.
    std::string NextBox(RunningProgram &program, HWND hDialog)
    {
        HWND hBox = program.WaitForWindow([hDialog](HWND hWnd) { return GetWindow(hWnd, GW_OWNER) == hDialog; });
        if (hBox == nullptr)
            return "(no box)";
        const std::string strBox = TextOfBox(hBox);
        PostMessageW(hBox, WM_COMMAND, IDOK, 0);
        program.WaitForWindow([hBox](HWND) { return !IsWindowVisible(hBox); });
        return strBox;
    }

    ScratchFolder m_scratch;
};

TEST_F(GombrelExe, StartsWithTheFieldsOfItsSettingsAndWithoutExcelPostsNothing)
{
    RunningProgram program(ProgramFolder() + "\\gombrel.exe");
    ASSERT_TRUE(program.Started());
    HWND hDialog = program.WaitForWindow(IsMainDialog);
    ASSERT_NE(hDialog, nullptr);
    EXPECT_EQ(ControlText(hDialog, 1001), Results());
    EXPECT_EQ(ControlText(hDialog, 1000), Results());
    EXPECT_EQ(SendMessageW(GetDlgItem(hDialog, 1003), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    PostMessageW(GetDlgItem(hDialog, 1003), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(hDialog, 1002), BM_CLICK, 0, 0);
    EXPECT_EQ(NextBox(program, hDialog), "Gombrel: Excel is not installed on this machine.");
    EXPECT_EQ(NextBox(program, hDialog), kNotPostedBox);

    for (const MappingTable &table : g_aMappingTables)
        EXPECT_EQ(ReadWholeFile(Results() + table.pszWorkbookFile), "a workbook nobody may change");
    // Saved before the run, whatever it gave: the folders and the box now set.
    const std::string strSettings = ReadWholeFile(SettingsPath());
    EXPECT_NE(strSettings.find("LastResultsPath=" + Results()), std::string::npos) << strSettings;
    EXPECT_NE(strSettings.find("CheckPostedValues=1"), std::string::npos) << strSettings;

    PostMessageW(GetDlgItem(hDialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(program.WaitForEnd(), 0u);
}

} // namespace
