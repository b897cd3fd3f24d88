// gombrel.exe as the user starts it: a copy in a folder of its own beside its
// gombrel.ini and the result library, driven from this process through
// window messages alone, on a machine without Excel (as Wine is).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "ExcelStandIn.h"
#include "MappingTables.h"
#include "RunningProgram.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "WindowTestSupport.h"
#include "WindowsText_win32.h"

namespace {

using ::testing::ElementsAre;

const char kNotPostedBox[] = "gombrel: Results not posted to XLS file(s):\n   Error encountered attempting to open Excel";

// The program's folder (gombrel.exe, d2result.dll, gombrel.ini naming the
// folders of the last run) and a results folder holding the sample's
// stores and four workbook files, which is also the DOE-2 folder.
class GombrelExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The machine has no Excel: no stand-in of another test is registered.
        StandInRegistration::Unregister();
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

    ScratchFolder m_scratch;
};

TEST_F(GombrelExe, StartsWithTheFieldsOfItsSettingsAndWithoutExcelPostsNothing)
{
    RunningProgram program(ProgramFolder() + "\\gombrel.exe");
    ASSERT_TRUE(program.Started());
    HWND hDialog = program.WaitForWindow(IsMainDialog);
    ASSERT_NE(hDialog, nullptr);
    EXPECT_EQ(ControlTextOf(hDialog, 1001), Results());
    EXPECT_EQ(ControlTextOf(hDialog, 1000), Results());
    EXPECT_EQ(SendMessageW(GetDlgItem(hDialog, 1003), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    PostMessageW(GetDlgItem(hDialog, 1003), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(hDialog, 1002), BM_CLICK, 0, 0);
    EXPECT_EQ(NextBoxOf(program, hDialog), "Gombrel: Excel is not installed on this machine.");
    EXPECT_EQ(NextBoxOf(program, hDialog), kNotPostedBox);

    for (const MappingTable &table : g_aMappingTables)
        EXPECT_EQ(ReadWholeFile(Results() + table.pszWorkbookFile), "a workbook nobody may change");
    // Saved before the run, whatever it gave: the folders and the box now set.
    const std::string strSettings = ReadWholeFile(SettingsPath());
    EXPECT_NE(strSettings.find("LastResultsPath=" + Results()), std::string::npos) << strSettings;
    EXPECT_NE(strSettings.find("CheckPostedValues=1"), std::string::npos) << strSettings;

    PostMessageW(GetDlgItem(hDialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(program.WaitForEnd(), 0u);
}

// The shell's folder browser, opened from the dialog's thread (a
// single-threaded apartment with OLE, as the shell requires) by a click on
// the DOE-2 field's button; cancelled, it leaves the field as it was.
TEST_F(GombrelExe, FolderBrowserOpensFromTheDialogAndCancelledChangesNothing)
{
    RunningProgram program(ProgramFolder() + "\\gombrel.exe");
    ASSERT_TRUE(program.Started());
    HWND hDialog = program.WaitForWindow(IsMainDialog);
    ASSERT_NE(hDialog, nullptr);
    HWND hField = GetDlgItem(hDialog, 1001);
    RECT rcField;
    GetWindowRect(hField, &rcField);
    POINT ptButton{rcField.right - 4, (rcField.top + rcField.bottom) / 2};
    PostMessageW(hField, WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(ptButton.x, ptButton.y));
    ScreenToClient(hField, &ptButton);
    PostMessageW(hField, WM_LBUTTONUP, 0, MAKELPARAM(ptButton.x, ptButton.y));

    HWND hBrowser = program.WaitForWindow([hDialog](HWND hWnd) { return hWnd != hDialog; });
    ASSERT_NE(hBrowser, nullptr) << "no folder browser opened";
    EXPECT_EQ(GetAncestor(GetWindow(hBrowser, GW_OWNER), GA_ROOT), hDialog);
    PostMessageW(hBrowser, WM_COMMAND, IDCANCEL, 0);
    program.WaitForWindow([hBrowser](HWND) { return !IsWindowVisible(hBrowser); });
    EXPECT_EQ(ControlTextOf(hDialog, 1001), Results());

    PostMessageW(GetDlgItem(hDialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(program.WaitForEnd(), 0u);
}

} // namespace
