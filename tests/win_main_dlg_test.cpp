// The native dialog on its own thread, driven by window messages: the
// template, the fields and box from the settings, the folder messages, the
// About box of the system menu, Enter and Esc, and a whole run through the
// fake automation server with the wait cursor and the input given meanwhile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <regex>

#include "D2ResultBinding.h"
#include "ExcelLauncher.h"
#include "FakeExcelServer.h"
#include "MainDlg.h"
#include "MappingTables.h"
#include "PassTestSupport.h"
#include "ProcessResults.h"
#include "RecordingMessages.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "WindowTestSupport.h"
#include "WindowsText_win32.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class NoBrowser : public PathBrowser {
public:
    std::optional<std::string> BrowseForFolder(const BROWSEINFOW &, const std::string &) override
    {
        return std::nullopt;
    }
    std::vector<std::string> BrowseForFiles(CFECFileDialog &, HWND, const std::string &) override { return {}; }
};

// One child control of the dialog as the template made it.
struct ChildControl {
    int nId;
    std::string strText;
    bool bVisible;

    bool operator==(const ChildControl &other) const
    {
        return nId == other.nId && strText == other.strText && bVisible == other.bVisible;
    }
};

void PrintTo(const ChildControl &control, std::ostream *pOut)
{
    *pOut << control.nId << " \"" << control.strText << "\"" << (control.bVisible ? "" : " hidden");
}

// The control's own visibility: a box being activated is not shown yet.
bool HasVisibleStyle(HWND hWnd)
{
    return (GetWindowLongW(hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::vector<ChildControl> ChildControlsOf(HWND hDialog)
{
    std::vector<ChildControl> controls;
    for (HWND hChild = GetWindow(hDialog, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT))
        controls.push_back({static_cast<short>(GetDlgCtrlID(hChild)), WindowTextOf(hChild), HasVisibleStyle(hChild)});
    return controls;
}

bool IsOfClass(HWND hWnd, const wchar_t *pszClass)
{
    wchar_t szClass[32] = {};
    GetClassNameW(hWnd, szClass, 32);
    return lstrcmpiW(szClass, pszClass) == 0;
}

std::vector<int> VisibleButtonsOf(HWND hDialog)
{
    std::vector<int> ids;
    for (HWND hChild = GetWindow(hDialog, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT))
        if (HasVisibleStyle(hChild) && IsOfClass(hChild, L"Button"))
            ids.push_back(GetDlgCtrlID(hChild));
    return ids;
}

bool ShowsAnIcon(HWND hDialog)
{
    for (HWND hChild = GetWindow(hDialog, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT))
        if (HasVisibleStyle(hChild) && IsOfClass(hChild, L"Static") && SendMessageW(hChild, STM_GETICON, 0, 0) != 0)
            return true;
    return false;
}

// The dialog made without its modal loop, over a stand-in job that records
// what it was given.
class WinMainDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(WideFromUtf8(m_scratch / "doe2").c_str(), nullptr);
        CreateDirectoryW(WideFromUtf8(m_scratch / "results").c_str(), nullptr);
        WriteWholeFile(m_scratch / "file.txt", "not a folder");
    }

    CMainDlg &Dialog(UserMessages *pMessages)
    {
        if (!m_pDialog) {
            MainDlgServices services;
            services.settings = m_settings;
            services.makeResultsJob = [this](UserMessages &, RunProgress &) {
                return ResultsJob([this](std::string &, const std::string &, const std::string &, int32_t) {
                    ++m_nRuns;
                    return 1;
                });
            };
            services.pMessages = pMessages;
            services.pBrowser = &m_browser;
            m_pDialog = std::make_unique<CMainDlg>(nullptr, services);
            m_pDialog->Create();
        }
        return *m_pDialog;
    }
    CMainDlg &Dialog() { return Dialog(&m_messages); }
    HWND Hwnd() { return Dialog().GetSafeHwnd(); }

    void Store(const std::string &strText) { WriteWholeFile(m_settings.Path(), strText); }
    bool SettingsExist() const { return GetFileAttributesW(WideFromUtf8(m_settings.Path()).c_str()) != INVALID_FILE_ATTRIBUTES; }

    ScratchFolder m_scratch;
    SettingsFile m_settings{m_scratch / "gombrel.ini"};
    RecordingMessages m_messages;
    NoBrowser m_browser;
    int m_nRuns = 0;
    std::unique_ptr<CMainDlg> m_pDialog;
};

TEST_F(WinMainDlgTest, TemplateHasTheCaptionStylesFontAndControlsInTabOrder)
{
    EXPECT_EQ(WindowTextOf(Hwnd()), "Gombrel");
    const DWORD nStyle = static_cast<DWORD>(GetWindowLongW(Hwnd(), GWL_STYLE));
    for (DWORD nBit : {DWORD(WS_POPUP), DWORD(WS_CAPTION), DWORD(WS_SYSMENU), DWORD(DS_MODALFRAME)})
        EXPECT_EQ(nStyle & nBit, nBit) << std::hex << nBit;
    EXPECT_NE(GetWindowLongW(Hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Verdana");

    const std::vector<ChildControl> expected = {
        {IDC_DOE2_PATH, "", true},
        {IDC_RESULTS_PATH, "", true},
        {IDCANCEL, "Cancel", false},
        {IDC_PROCESS_RESULTS, "&Process Results", true},
        {IDOK, "&Done", true},
        {-1, "Path to Simulation Results:", true},
        {-1, "Path to DOE-2 Files:", true},
        {IDC_CHECK_POSTED, "Check to confirm all results successfully posted to XLS file(s)", true},
    };
    EXPECT_THAT(ChildControlsOf(Hwnd()), ElementsAreArray(expected));
    EXPECT_EQ(LOWORD(SendMessageW(Hwnd(), DM_GETDEFID, 0, 0)), IDOK);

    // The fields sit where the template puts them, the DOE-2 one above.
    RECT rcUnits{100, 8, 100 + 288, 8 + 12};
    MapDialogRect(Hwnd(), &rcUnits);
    RECT rcField;
    GetWindowRect(GetDlgItem(Hwnd(), IDC_DOE2_PATH), &rcField);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT *>(&rcField), 2);
    EXPECT_EQ(rcField.left, rcUnits.left);
    EXPECT_EQ(rcField.top, rcUnits.top);
    EXPECT_EQ(rcField.right, rcUnits.right);
}

TEST_F(WinMainDlgTest, FieldsAreFolderBrowseFieldsAndTheDoe2OneIsTheFirstTabStop)
{
    EXPECT_TRUE(Dialog().Doe2PathEdit().IsFolderMode());
    EXPECT_TRUE(Dialog().ResultsPathEdit().IsFolderMode());
    EXPECT_EQ(Dialog().Doe2PathEdit().GetSafeHwnd(), GetDlgItem(Hwnd(), IDC_DOE2_PATH));
    EXPECT_EQ(Dialog().ResultsPathEdit().GetSafeHwnd(), GetDlgItem(Hwnd(), IDC_RESULTS_PATH));
    EXPECT_EQ(GetNextDlgTabItem(Hwnd(), nullptr, FALSE), GetDlgItem(Hwnd(), IDC_DOE2_PATH));
}

// The fields' rules are the model's; here only that the dialog shows what
// it opens with.
TEST_F(WinMainDlgTest, FieldsAndBoxComeFromTheSettingsFile)
{
    Store("[paths]\nLastDOE2Path=C:\\DOE-2 W\xC3\xA4rme\nLastResultsPath=D:\\Std140\n"
          "[preferences]\nCheckPostedValues=0\n");
    EXPECT_EQ(WindowTextOf(GetDlgItem(Hwnd(), IDC_DOE2_PATH)), "C:\\DOE-2 W\xC3\xA4rme");
    EXPECT_EQ(WindowTextOf(GetDlgItem(Hwnd(), IDC_RESULTS_PATH)), "D:\\Std140");
    EXPECT_NE(IsDlgButtonChecked(Hwnd(), IDC_CHECK_POSTED), BST_CHECKED);
}

// The message box is the real one, read as the user sees it and closed;
// which folder is told is the model's rule.
TEST_F(WinMainDlgTest, MissingFolderIsToldInABoxAndNothingIsSavedOrRun)
{
    std::vector<std::string> boxes;
    ModalWindowWatcher watcher([&boxes](HWND hBox) {
        boxes.push_back(WindowTextOf(hBox) + ": " + WindowTextOf(GetDlgItem(hBox, 0xFFFF)));
        EXPECT_THAT(VisibleButtonsOf(hBox), ElementsAre(IDOK));
        EXPECT_FALSE(ShowsAnIcon(hBox));
        PostMessageW(hBox, WM_COMMAND, IDOK, 0);
    });
    CMainDlg &dialog = Dialog(nullptr);
    dialog.Doe2PathEdit().SetWindowText(m_scratch / "doe2");
    dialog.ResultsPathEdit().SetWindowText(m_scratch / "file.txt");

    SendMessageW(GetDlgItem(Hwnd(), IDC_PROCESS_RESULTS), BM_CLICK, 0, 0);

    EXPECT_THAT(boxes, ElementsAre(ApplicationName() + ": ERROR:  Results path doesn't exist:\n   " +
                                   (m_scratch / "file.txt")));
    EXPECT_EQ(m_nRuns, 0);
    EXPECT_FALSE(SettingsExist());
}

TEST_F(WinMainDlgTest, AboutItemOfTheSystemMenuOpensTheAboutBox)
{
    HMENU hMenu = GetSystemMenu(Hwnd(), FALSE);
    const int nItems = GetMenuItemCount(hMenu);
    ASSERT_GE(nItems, 2);
    EXPECT_EQ(GetMenuState(hMenu, static_cast<UINT>(nItems - 2), MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    wchar_t szItem[64] = {};
    GetMenuStringW(hMenu, static_cast<UINT>(nItems - 1), szItem, 64, MF_BYPOSITION);
    EXPECT_STREQ(szItem, L"&About Gombrel...");
    EXPECT_EQ(GetMenuItemID(hMenu, nItems - 1), static_cast<UINT>(ID_SYS_ABOUT));

    std::vector<std::string> caption;
    std::vector<ChildControl> controls;
    bool bIconShown = false;
    ModalWindowWatcher watcher([&](HWND hBox) {
        caption.push_back(WindowTextOf(hBox));
        controls = ChildControlsOf(hBox);
        bIconShown = ShowsAnIcon(hBox);
        PostMessageW(hBox, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(Hwnd(), WM_SYSCOMMAND, ID_SYS_ABOUT, 0);

    EXPECT_THAT(caption, ElementsAre("About Gombrel"));
    ASSERT_EQ(controls.size(), 4u);
    EXPECT_EQ(controls[1].strText, "Gombrel Version 1.0");
    EXPECT_EQ(controls[3], (ChildControl{IDOK, "OK", true}));
    EXPECT_TRUE(bIconShown);
}

TEST_F(WinMainDlgTest, OtherSystemCommandsOpenNoAboutBox)
{
    int nBoxes = 0;
    ModalWindowWatcher watcher([&nBoxes](HWND hBox) {
        ++nBoxes;
        PostMessageW(hBox, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(Hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(nBoxes, 0);
}

struct EndingKeyCase {
    const char *pszName;
    WPARAM nKey;
    INT_PTR nEndedWith;
};

class WinMainDlgEnding : public WinMainDlgTest, public ::testing::WithParamInterface<EndingKeyCase> {};

// The key as the user presses it in the DOE-2 field; the dialog's keyboard
// handling makes it the default button or Cancel.
TEST_P(WinMainDlgEnding, KeyEndsTheDialogAndSavesNothing)
{
    Dialog().Doe2PathEdit().SetWindowText(m_scratch / "doe2");
    HWND hField = GetDlgItem(Hwnd(), IDC_DOE2_PATH);
    PostMessageW(hField, WM_KEYDOWN, GetParam().nKey, 1);
    PostMessageW(hField, WM_KEYUP, GetParam().nKey, 0xC0000001);

    ASSERT_TRUE(PumpMessagesUntil([this] { return Dialog().EndedWith().has_value(); }, std::chrono::seconds(20), Hwnd()));
    EXPECT_EQ(*Dialog().EndedWith(), GetParam().nEndedWith);
    EXPECT_FALSE(SettingsExist());
    EXPECT_EQ(m_nRuns, 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, WinMainDlgEnding,
                         ::testing::Values(EndingKeyCase{"Enter", VK_RETURN, IDOK},
                                           EndingKeyCase{"Escape", VK_ESCAPE, IDCANCEL}),
                         [](const ::testing::TestParamInfo<EndingKeyCase> &info) { return info.param.pszName; });

// ---- a whole run over the sample through the fake Excel ----------------

// Runs a function on the thread that made this object (a test's window
// thread), from any other thread, and waits for it.
class WindowThreadCall {
public:
    WindowThreadCall()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Answer;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"WindowThreadCall";
        RegisterClassW(&windowClass);
        m_hWnd = CreateWindowExW(0, L"WindowThreadCall", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
    }
    WindowThreadCall(const WindowThreadCall &) = delete;
    WindowThreadCall &operator=(const WindowThreadCall &) = delete;
    ~WindowThreadCall() { DestroyWindow(m_hWnd); }

    void operator()(const std::function<void()> &call) const
    {
        SendMessageW(m_hWnd, WM_APP, 0, reinterpret_cast<LPARAM>(&call));
    }

private:
    static LRESULT CALLBACK Answer(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam)
    {
        if (uMessage != WM_APP)
            return DefWindowProcW(hWnd, uMessage, wParam, lParam);
        (*reinterpret_cast<const std::function<void()> *>(lParam))();
        return 0;
    }

    HWND m_hWnd = nullptr;
};

// The sample's stores and four empty workbooks in one folder, which is the
// DOE-2 folder as well; the program's job as gombrel.exe makes it, over
// Excel's wrappers and the fake automation server.
class WinMainDlgRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(m_sample.Path(), failure)) << failure;
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(m_sample / (table.pszWorkbookFile + 1), WorkbookFor(table.pItems()));
    }

    ResultsJob MakeJob(UserMessages &messages, RunProgress &progress)
    {
        PassServices pass{messages};
        pass.pProgress = &progress;
        m_runServices.emplace(RunServices{pass, m_launcher, m_library.Binder()});
        ResultsJob job = ProcessResultsJob(*m_runServices);
        return [this, job](std::string &strErrorText, const std::string &strDoe2, const std::string &strResults,
                           int32_t iCheckFlag) {
            ++m_nRuns;
            m_bOnOwnThread = GetCurrentThreadId() != m_dwDialogThread;
            // What the dialog's thread shows meanwhile: the dialog disabled,
            // the wait cursor over it (as the system asks it for its cursor).
            m_callOnDialogThread([this] {
                HWND hDialog = m_pDialog->GetSafeHwnd();
                m_bDisabledDuringRun = !IsWindowEnabled(hDialog);
                SendMessageW(hDialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(hDialog), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                m_bWaitCursorDuringRun = GetCursor() == WaitCursor();
            });
            if (m_duringRun)
                m_duringRun();
            return job(strErrorText, strDoe2, strResults, iCheckFlag);
        };
    }

    CMainDlg &Dialog()
    {
        MainDlgServices services;
        services.settings = SettingsFile(m_sample / "gombrel.ini");
        services.makeResultsJob = [this](UserMessages &messages, RunProgress &progress) {
            return MakeJob(messages, progress);
        };
        services.pMessages = &m_messages;
        m_pDialog = std::make_unique<CMainDlg>(nullptr, services);
        m_pDialog->Create();
        m_pDialog->Doe2PathEdit().SetWindowText(m_sample.Path());
        m_pDialog->ResultsPathEdit().SetWindowText(m_sample.Path());
        return *m_pDialog;
    }

    ScratchFolder m_sample;
    FakeExcelServer m_server{std::make_shared<MemorySpreadsheet>()};
    ExcelLauncher m_launcher{{[] { return true; }, [this] { return m_server.NewApplication(); }}};
    BoundResultLibrary m_library;
    std::optional<RunServices> m_runServices;
    RecordingMessages m_messages;
    int m_nRuns = 0;
    const DWORD m_dwDialogThread = GetCurrentThreadId();
    const WindowThreadCall m_callOnDialogThread;
    bool m_bOnOwnThread = false;
    bool m_bDisabledDuringRun = false;
    bool m_bWaitCursorDuringRun = false;
    std::function<void()> m_duringRun;
    std::unique_ptr<CMainDlg> m_pDialog;
};

TEST_F(WinMainDlgRun, WholeRunEndsWithTheCountAndTimeUnderTheWaitCursor)
{
    CMainDlg &dialog = Dialog();
    HWND hProcess = GetDlgItem(dialog.GetSafeHwnd(), IDC_PROCESS_RESULTS);
    HWND hField = GetDlgItem(dialog.GetSafeHwnd(), IDC_DOE2_PATH);
    // What the user does while the run holds the dialog: a click on the
    // button and a key in the field, both queued until the run is over.
    m_duringRun = [hProcess, hField] {
        PostMessageW(hProcess, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(hProcess, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        PostMessageW(hField, WM_KEYDOWN, 'X', 1);
        PostMessageW(hField, WM_CHAR, 'x', 1);
    };

    SendMessageW(hProcess, BM_CLICK, 0, 0);
    PumpWaitingMessages();

    ASSERT_EQ(m_messages.shown.size(), 1u);
    const std::regex finalMessage(ApplicationName() +
                                  R"(: (\d+) results successfully posted to XLS file\(s\) \(\d+\.\d seconds elapsed\)\.)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(m_messages.shown[0], match, finalMessage)) << m_messages.shown[0];
    EXPECT_GT(std::stoi(match[1]), 2000);
    EXPECT_TRUE(m_bOnOwnThread);
    EXPECT_TRUE(m_bDisabledDuringRun);
    EXPECT_TRUE(m_bWaitCursorDuringRun);
    EXPECT_NE(GetCursor(), WaitCursor());
    EXPECT_TRUE(IsWindowEnabled(dialog.GetSafeHwnd()));
    EXPECT_EQ(m_nRuns, 1);
    EXPECT_EQ(dialog.Doe2PathEdit().GetWindowText(), m_sample.Path());
    EXPECT_FALSE(m_server.InvokesOf(kQuit).empty());
    EXPECT_EQ(m_server.LiveObjects(), 0);
}

} // namespace
