#include <gtest/gtest.h>

#include "FileEditCtrl.h"
#include "WindowTestSupport.h"

#include <shlobj.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The field's rules (entries, button place, dots and looks, texts of files)
// are tested in path_field_test; these tests check that the native field
// follows them.

namespace {

// Browsers that answer at once with what the test prepared and remember
// where they were asked to open.
class FakePathBrowser : public PathBrowser {
public:
    std::optional<std::string> BrowseForFolder(const BROWSEINFOW &settings, const std::string &strStartPath) override
    {
        Record(settings.hwndOwner, strStartPath);
        return folderAnswer;
    }

    std::vector<std::string> BrowseForFiles(CFECFileDialog &, HWND hOwner, const std::string &strStartPath) override
    {
        Record(hOwner, strStartPath);
        return fileAnswer;
    }

    std::optional<std::string> folderAnswer;
    std::vector<std::string> fileAnswer;
    int nCalls = 0;
    HWND hLastOwner = nullptr;
    std::string strLastStart;

private:
    void Record(HWND hOwner, const std::string &strStartPath)
    {
        ++nCalls;
        hLastOwner = hOwner;
        strLastStart = strStartPath;
    }
};

const UINT kFieldId = 1001;
const wchar_t kParentClass[] = L"GombrelFileEditTestParent";

// The browse announcements a parent window received: WM_COMMAND with code
// 0 (the edit window's own notifications carry EN_ codes).
struct Command {
    WPARAM wParam;
    LPARAM lParam;
};

LRESULT CALLBACK RecordingParentProc(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    auto *pCommands = reinterpret_cast<std::vector<Command> *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (uMessage == WM_COMMAND && HIWORD(wParam) == 0 && pCommands != nullptr)
        pCommands->push_back({wParam, lParam});
    return DefWindowProcW(hWnd, uMessage, wParam, lParam);
}

void RegisterParentClass()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = RecordingParentProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kParentClass;
    RegisterClassW(&windowClass);
}

// A hidden top-level window for the fields of every test, made once and
// left for the end of the process.  Hidden, since Wine waits for a window
// manager, which Xvfb lacks, whenever a shown top-level window goes away or
// is hidden; only the test that reads pixels shows it.
HWND SharedParent()
{
    static HWND hParent = [] {
        RegisterParentClass();
        return CreateWindowExW(0, kParentClass, L"Parent", WS_OVERLAPPEDWINDOW, 50, 50, 400, 200,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }();
    return hParent;
}

// A field created as kFieldId in folder mode, with a client edge around an
// 18-pixel-high client area.
class FileEditCtrlTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 200;

    void SetUp() override
    {
        m_hParent = SharedParent();
        ASSERT_NE(m_hParent, nullptr);
        SetWindowLongPtrW(m_hParent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_commands));
        Create(m_field, 0);
        PumpWaitingMessages();
    }

    void TearDown() override
    {
        DestroyWindow(Field());
        PumpWaitingMessages();
        SetWindowLongPtrW(m_hParent, GWLP_USERDATA, 0);
    }

    void Create(CFileEditCtrl &field, DWORD dwExStyle)
    {
        field.SetPathBrowser(m_browser);
        RECT rect = {10, 10, 10 + kWidth, 10 + 22};
        ASSERT_TRUE(field.CreateFileEdit(true, WS_EX_CLIENTEDGE | dwExStyle, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                                         rect, m_hParent, kFieldId));
    }

    HWND Field() const { return m_field.GetSafeHwnd(); }

    // Every entry path of the field, in order.
    std::vector<std::string> EntryPaths()
    {
        std::vector<std::string> paths;
        for (EntryPosition position = m_field.GetFirstEntryPosition(); position;)
            paths.push_back(m_field.GetNextEntryPath(position));
        return paths;
    }

    POINT ButtonCentre() const
    {
        RECT rc = m_field.BrowseButtonRect();
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }

    POINT LeftOfButton() const { return {m_field.BrowseButtonRect().left - 20, 8}; }

    // The screen point of a point in window coordinates.
    LPARAM ScreenPoint(POINT ptWindow) const
    {
        RECT rcWindow;
        GetWindowRect(Field(), &rcWindow);
        return MAKELPARAM(rcWindow.left + ptWindow.x, rcWindow.top + ptWindow.y);
    }

    // The client point the field takes for a point in window coordinates:
    // it counts one pixel of border.
    static LPARAM FieldClientPoint(POINT ptWindow) { return MAKELPARAM(ptWindow.x - 1, ptWindow.y - 1); }

    void PressButton() { SendMessageW(Field(), WM_NCLBUTTONDOWN, HTBORDER, ScreenPoint(ButtonCentre())); }
    void MoveTo(POINT ptWindow) { SendMessageW(Field(), WM_MOUSEMOVE, MK_LBUTTON, FieldClientPoint(ptWindow)); }
    void ReleaseAt(POINT ptWindow) { SendMessageW(Field(), WM_LBUTTONUP, 0, FieldClientPoint(ptWindow)); }

    std::pair<DWORD, DWORD> Selection() const
    {
        DWORD dwStart = 0;
        DWORD dwEnd = 0;
        SendMessageW(Field(), EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
        return {dwStart, dwEnd};
    }

    HWND m_hParent = nullptr;
    std::vector<Command> m_commands;
    FakePathBrowser m_browser;
    CFileEditCtrl m_field;
};

RECT RectOf(LONG left, LONG top, LONG right, LONG bottom)
{
    return {left, top, right, bottom};
}

std::string Text(const RECT &rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + ")-(" + std::to_string(rc.right) + ","
           + std::to_string(rc.bottom) + ")";
}

} // namespace

// --- Where the button is

TEST_F(FileEditCtrlTest, ButtonTakesTheRightEndOfTheClientInWindowCoordinates)
{
    RECT rcClient;
    GetClientRect(Field(), &rcClient);
    EXPECT_EQ(Text(m_field.BrowseButtonRect()), Text(RectOf(kWidth - 2 - 21, 2, kWidth - 2, 20)));
    EXPECT_EQ(Text(rcClient), Text(RectOf(0, 0, kWidth - 4 - 21, 18)));
}

TEST_F(FileEditCtrlTest, ButtonFollowsTheWindowWhenMovedAndResized)
{
    MoveWindow(Field(), 40, 60, 300, 16, TRUE);
    EXPECT_EQ(Text(m_field.BrowseButtonRect()), Text(RectOf(300 - 2 - 14, 2, 300 - 2, 14)));
}

TEST_F(FileEditCtrlTest, ButtonAnswersAsBorderToTheHitTest)
{
    EXPECT_EQ(SendMessageW(Field(), WM_NCHITTEST, 0, ScreenPoint(ButtonCentre())), HTBORDER);
    EXPECT_EQ(SendMessageW(Field(), WM_NCHITTEST, 0, ScreenPoint(LeftOfButton())), HTCLIENT);
}

// --- Pressing, tracking and releasing the button

TEST_F(FileEditCtrlTest, PressOutAndBackInReleaseOpensTheBrowser)
{
    PressButton();
    EXPECT_EQ(m_field.ButtonLook(), BrowseButton::kPushed);
    EXPECT_EQ(GetCapture(), Field());
    EXPECT_EQ(GetFocus(), Field());
    MoveTo(LeftOfButton());
    EXPECT_EQ(m_field.ButtonLook(), BrowseButton::kRaised);
    EXPECT_EQ(m_browser.nCalls, 0);
    MoveTo(ButtonCentre());
    EXPECT_EQ(m_field.ButtonLook(), BrowseButton::kPushed);
    ReleaseAt(ButtonCentre());
    EXPECT_EQ(m_field.ButtonLook(), BrowseButton::kRaised);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(m_browser.nCalls, 1);
    EXPECT_EQ(m_browser.hLastOwner, Field());
}

TEST_F(FileEditCtrlTest, PressInTheTextOpensNothing)
{
    SendMessageW(Field(), WM_NCLBUTTONDOWN, HTCLIENT, ScreenPoint(LeftOfButton()));
    ReleaseAt(LeftOfButton());
    EXPECT_EQ(m_field.ButtonLook(), BrowseButton::kRaised);
    EXPECT_EQ(m_browser.nCalls, 0);
}

TEST_F(FileEditCtrlTest, DisabledFieldKeepsTheDisabledLookWhateverIsPainted)
{
    EnableWindow(Field(), FALSE);
    EXPECT_EQ(m_field.ButtonLook(), BrowseButton::kDisabled);
    SendMessageW(Field(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(m_field.ButtonLook(), BrowseButton::kDisabled);
    EnableWindow(Field(), TRUE);
    EXPECT_EQ(m_field.ButtonLook(), BrowseButton::kRaised);
}

// --- Keyboard and focus

struct KeyCase {
    const char *pszName;
    WPARAM uKey;
    bool bControl;
    int nBrowses;
};

void PrintTo(const KeyCase &keyCase, std::ostream *pStream) { *pStream << keyCase.pszName; }

// GetKeyState reads the thread's keyboard state, which the test sets.
class ControlKeyHeld {
public:
    explicit ControlKeyHeld(bool bHeld)
    {
        GetKeyboardState(m_saved);
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = bHeld ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ControlKeyHeld(const ControlKeyHeld &) = delete;
    ControlKeyHeld &operator=(const ControlKeyHeld &) = delete;
    ~ControlKeyHeld() { SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

class FileEditCtrlKeys : public FileEditCtrlTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(FileEditCtrlKeys, OpenTheBrowserOnlyWithControl)
{
    const KeyCase &keyCase = GetParam();
    ControlKeyHeld control(keyCase.bControl);
    SendMessageW(Field(), WM_KEYDOWN, keyCase.uKey, 1);
    EXPECT_EQ(m_browser.nCalls, keyCase.nBrowses);
}

INSTANTIATE_TEST_SUITE_P(FileEditCtrl, FileEditCtrlKeys,
                         ::testing::Values(KeyCase{"CtrlPeriod", VK_OEM_PERIOD, true, 1},
                                           KeyCase{"CtrlKeypadDecimal", VK_DECIMAL, true, 1},
                                           KeyCase{"PeriodAlone", VK_OEM_PERIOD, false, 0},
                                           KeyCase{"KeypadDecimalAlone", VK_DECIMAL, false, 0},
                                           KeyCase{"CtrlComma", VK_OEM_COMMA, true, 0}),
                         [](const ::testing::TestParamInfo<KeyCase> &info) { return std::string(info.param.pszName); });

TEST_F(FileEditCtrlTest, PeriodAloneTypesAPeriod)
{
    ControlKeyHeld noControl(false);
    m_field.SetWindowText("C:\\Data");
    SendMessageW(Field(), EM_SETSEL, 7, 7);
    SendMessageW(Field(), WM_KEYDOWN, VK_OEM_PERIOD, 1);
    SendMessageW(Field(), WM_CHAR, '.', 1);
    EXPECT_EQ(m_field.GetWindowText(), "C:\\Data.");
    EXPECT_EQ(m_browser.nCalls, 0);
}

TEST_F(FileEditCtrlTest, FocusSelectsTheWholeText)
{
    m_field.SetWindowText("C:\\Data\\Runs");
    SetFocus(m_hParent);
    SendMessageW(Field(), EM_SETSEL, 2, 2);
    SetFocus(Field());
    EXPECT_EQ(GetFocus(), Field());
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>(0, 12)));
}

// --- Browsing and the notification to the parent

TEST_F(FileEditCtrlTest, ChosenFolderBecomesTheSelectedTextAndIsPostedToTheParent)
{
    m_field.SetWindowText("C:\\Old\\Runs");
    SetFocus(m_hParent);
    m_browser.folderAnswer = "D:\\New\\Runs";
    m_field.OnBrowseClicked();
    EXPECT_EQ(m_browser.strLastStart, "C:\\Old\\Runs");
    EXPECT_EQ(m_field.GetWindowText(), "D:\\New\\Runs");
    EXPECT_EQ(GetFocus(), Field());
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>(0, 11)));
    EXPECT_TRUE(m_commands.empty()) << "posted, not sent";
    ASSERT_TRUE(PumpMessagesUntil([this] { return !m_commands.empty(); }));
    EXPECT_EQ(m_commands.front().wParam, MAKEWPARAM(kFieldId, 0));
    EXPECT_EQ(m_commands.front().lParam, reinterpret_cast<LPARAM>(Field()));
}

// A message posted after the browse arrives after anything the browse
// posted, so once it is in, nothing more is coming.
TEST_F(FileEditCtrlTest, CancelledBrowseKeepsTheTextAndPostsNothing)
{
    m_field.SetWindowText("C:\\Old\\Runs");
    m_field.OnBrowseClicked();
    bool bMarkerArrived = false;
    PostMessageW(m_hParent, WM_COMMAND, MAKEWPARAM(0xFFFF, 0), 0);
    ASSERT_TRUE(PumpMessagesUntil([&] {
        bMarkerArrived = !m_commands.empty();
        return bMarkerArrived;
    }));
    EXPECT_EQ(m_browser.nCalls, 1);
    EXPECT_EQ(m_field.GetWindowText(), "C:\\Old\\Runs");
    ASSERT_EQ(m_commands.size(), 1u);
    EXPECT_EQ(LOWORD(m_commands.front().wParam), 0xFFFF);
}

TEST_F(FileEditCtrlTest, BlankTextOpensTheBrowserWithoutPreselection)
{
    m_field.SetWindowText("  ");
    m_field.OnBrowseClicked();
    EXPECT_EQ(m_browser.nCalls, 1);
    EXPECT_EQ(m_browser.strLastStart, "");
}

TEST_F(FileEditCtrlTest, ChosenFilesBecomeFirstPathAndFurtherNames)
{
    m_field.SetFolderMode(false);
    m_field.FileDialog()->SetAllowMultiSelect(true);
    m_field.SetWindowText("C:\\Data\\a.txt; b.txt");
    m_browser.fileAnswer = {"D:\\Other\\x.dat", "D:\\Other\\y.dat"};
    m_field.OnBrowseClicked();
    EXPECT_EQ(m_browser.strLastStart, "C:\\Data\\a.txt");
    EXPECT_EQ(m_browser.hLastOwner, Field());
    EXPECT_EQ(m_field.GetWindowText(), "D:\\Other\\x.dat; y.dat");
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{"D:\\Other\\x.dat", "D:\\Other\\y.dat"}));
}

// --- Dropped files

// A drop as the shell hands it over: wide names, each ended by a null
// character, the list by a second one.  The field frees it.
HDROP DropOf(const std::vector<std::wstring> &files)
{
    std::wstring strNames;
    for (const std::wstring &strFile : files)
        strNames += strFile + L'\0';
    strNames += L'\0';
    std::size_t nBytes = sizeof(DROPFILES) + strNames.size() * sizeof(wchar_t);
    HGLOBAL hDrop = GlobalAlloc(GHND, nBytes);
    auto *pDrop = static_cast<DROPFILES *>(GlobalLock(hDrop));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char *>(pDrop) + sizeof(DROPFILES), strNames.data(),
                strNames.size() * sizeof(wchar_t));
    GlobalUnlock(hDrop);
    return static_cast<HDROP>(hDrop);
}

struct DropCase {
    const char *pszName;
    bool bFolderMode;
    bool bMultipleSelection;
    const char *pszText;
};

void PrintTo(const DropCase &dropCase, std::ostream *pStream) { *pStream << dropCase.pszName; }

class FileEditCtrlDrop : public FileEditCtrlTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(FileEditCtrlDrop, MakesTheTextOfTheUsedFiles)
{
    const DropCase &dropCase = GetParam();
    CFileEditCtrl field;
    Create(field, WS_EX_ACCEPTFILES);
    field.SetFolderMode(dropCase.bFolderMode);
    if (field.FileDialog() != nullptr)
        field.FileDialog()->SetAllowMultiSelect(dropCase.bMultipleSelection);
    SendMessageW(field.GetSafeHwnd(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(DropOf({L"C:\\Data\\a.txt", L"D:\\Other\\b.txt"})), 0);
    EXPECT_EQ(field.GetWindowText(), dropCase.pszText);
}

INSTANTIATE_TEST_SUITE_P(
    FileEditCtrl, FileEditCtrlDrop,
    ::testing::Values(DropCase{"FolderModeUsesOnlyTheFirst", true, false, "C:\\Data\\a.txt"},
                      DropCase{"SingleSelectionUsesOnlyTheFirst", false, false, "C:\\Data\\a.txt"},
                      DropCase{"MultipleSelectionJoinsFullPaths", false, true, "C:\\Data\\a.txt; D:\\Other\\b.txt"}),
    [](const ::testing::TestParamInfo<DropCase> &info) { return std::string(info.param.pszName); });

// --- The text's entries

TEST_F(FileEditCtrlTest, TypedTextIsParsedAgain)
{
    m_field.SetWindowText("C:\\First");
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{"C:\\First"});
    SendMessageW(Field(), EM_SETSEL, 8, 8);
    SendMessageW(Field(), WM_CHAR, 'X', 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{"C:\\FirstX"});
}

// --- The button's pixels

COLORREF WindowPixel(HWND hWnd, POINT pt)
{
    HDC hDC = GetWindowDC(hWnd);
    COLORREF colour = GetPixel(hDC, pt.x, pt.y);
    ReleaseDC(hWnd, hDC);
    return colour;
}

// Shows a window for a while: only a shown window's pixels are kept.
class ShownWindow {
public:
    explicit ShownWindow(HWND hWnd) : m_hWnd(hWnd) { ShowWindow(m_hWnd, SW_SHOWNOACTIVATE); }
    ShownWindow(const ShownWindow &) = delete;
    ShownWindow &operator=(const ShownWindow &) = delete;
    ~ShownWindow() { ShowWindow(m_hWnd, SW_HIDE); }

private:
    HWND m_hWnd;
};

// The first dot of a 21-pixel-wide button starts 5 pixels into it, 9 from
// the window's top edge, 2 pixels across.
TEST_F(FileEditCtrlTest, RaisedDotsAreInTheButtonTextColourAndDisabledOnesGrey)
{
    ShownWindow shown(m_hParent);
    SendMessageW(Field(), WM_NCPAINT, 1, 0);
    POINT ptDot = {m_field.BrowseButtonRect().left + 5, 9};
    EXPECT_EQ(WindowPixel(Field(), ptDot), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(WindowPixel(Field(), {ptDot.x + 3, ptDot.y}), GetSysColor(COLOR_BTNFACE));
    EnableWindow(Field(), FALSE);
    SendMessageW(Field(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(WindowPixel(Field(), ptDot), GetSysColor(COLOR_GRAYTEXT));
}

// --- Taking over a dialog's edit control

namespace {

// A dialog template in memory: a hidden captioned popup with one bordered edit
// control of id nEditId.
std::vector<WORD> DialogTemplate(WORD nEditId)
{
    std::vector<WORD> words;
    auto addDword = [&words](DWORD dw) {
        words.push_back(LOWORD(dw));
        words.push_back(HIWORD(dw));
    };
    addDword(WS_POPUP | WS_CAPTION);
    addDword(0);
    words.insert(words.end(), {1, 0, 0, 200, 40, 0, 0, 0}); // one item, x, y, cx, cy, no menu, class, title
    if (words.size() % 2 != 0)
        words.push_back(0);
    addDword(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL);
    addDword(0);
    words.insert(words.end(), {10, 10, 150, 14, nEditId, 0xFFFF, 0x0081, 0, 0}); // Edit, no title, no data
    return words;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT uMessage, WPARAM, LPARAM)
{
    return uMessage == WM_INITDIALOG;
}

HWND CreateTemplateDialog(HWND hOwner, WORD nEditId)
{
    std::vector<WORD> words = DialogTemplate(nEditId);
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()),
                                      hOwner, PlainDialogProc, 0);
}

// Tells when it is destroyed, to show when a self-deleting field goes.
class WatchedFileEditCtrl : public CFileEditCtrl {
public:
    explicit WatchedFileEditCtrl(bool &bDestroyed) : CFileEditCtrl(true), m_bDestroyed(bDestroyed) {}
    ~WatchedFileEditCtrl() override { m_bDestroyed = true; }

private:
    bool &m_bDestroyed;
};

} // namespace

TEST_F(FileEditCtrlTest, DataExchangeTakesOverTheDialogsEditControl)
{
    const WORD nEditId = 1002;
    HWND hDialog = CreateTemplateDialog(m_hParent, nEditId);
    ASSERT_NE(hDialog, nullptr);
    CFileEditCtrl field;
    CDataExchange load{hDialog, false};
    DDX_BrowseEdit(load, nEditId, field, false);
    EXPECT_EQ(field.GetSafeHwnd(), GetDlgItem(hDialog, nEditId));
    EXPECT_FALSE(field.IsFolderMode());
    RECT rcWindow, rcClient;
    GetWindowRect(field.GetSafeHwnd(), &rcWindow);
    GetClientRect(field.GetSafeHwnd(), &rcClient);
    RECT rcButton = field.BrowseButtonRect();
    EXPECT_EQ(rcButton.right - rcButton.left, rcClient.bottom * 12 / 10);
    EXPECT_EQ(rcButton.bottom - rcButton.top, rcClient.bottom);
    EXPECT_GT(rcButton.top, 0);
    EXPECT_LT(rcButton.right, rcWindow.right - rcWindow.left);

    field.SetWindowText("C:\\Saved");
    CDataExchange save{hDialog, true};
    DDX_BrowseEdit(save, nEditId, field, false);
    EntryPosition position = 0;
    EXPECT_EQ(field.GetNextEntryPath(position), "C:\\Saved");

    DestroyWindow(hDialog);
    EXPECT_EQ(field.GetSafeHwnd(), nullptr);
}

TEST_F(FileEditCtrlTest, DataExchangeWithoutSuchEditControlThrows)
{
    CFileEditCtrl field;
    CDataExchange load{m_hParent, false};
    EXPECT_THROW(DDX_BrowseEdit(load, 4711, field, true), std::runtime_error);
    EXPECT_EQ(field.GetSafeHwnd(), nullptr);
}

TEST_F(FileEditCtrlTest, SelfDeletingFieldGoesWithItsWindow)
{
    bool bDestroyed = false;
    auto *pField = new WatchedFileEditCtrl(bDestroyed);
    Create(*pField, 0);
    DestroyWindow(pField->GetSafeHwnd());
    EXPECT_TRUE(bDestroyed);
}

TEST_F(FileEditCtrlTest, FieldGoingFirstTakesItsWindowAlong)
{
    HWND hWnd = nullptr;
    {
        CFileEditCtrl field;
        Create(field, 0);
        hWnd = field.GetSafeHwnd();
    }
    EXPECT_FALSE(IsWindow(hWnd));
}

// --- The real open-file dialog, met as it opens and cancelled

namespace {

// What the open-file dialog showed once it had set itself up.
struct SeenDialog {
    std::string strTitle;
    std::string strAccept;
};

SeenDialog *s_pSeenDialog = nullptr;

// Runs once the dialog's queue is empty, so after its set-up notifications.
void CALLBACK ReadAndCancelDialog(HWND hDialog, UINT, UINT_PTR uTimer, DWORD)
{
    KillTimer(hDialog, uTimer);
    s_pSeenDialog->strTitle = WindowTextOf(hDialog);
    s_pSeenDialog->strAccept = WindowTextOf(GetDlgItem(hDialog, IDOK));
    PostMessageW(hDialog, WM_COMMAND, IDCANCEL, 0);
}

bool s_bDeadlinePassed = false;

BOOL CALLBACK CancelOwnedWindow(HWND hWnd, LPARAM)
{
    if (GetWindow(hWnd, GW_OWNER) != nullptr)
        PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

// Ends the dialogs of this thread when the watcher never met the file
// dialog, so that the test fails instead of waiting for ever.
void CALLBACK CancelDialogsAtTheDeadline(HWND, UINT, UINT_PTR uTimer, DWORD)
{
    KillTimer(nullptr, uTimer);
    s_bDeadlinePassed = true;
    EnumThreadWindows(GetCurrentThreadId(), CancelOwnedWindow, 0);
}

} // namespace

TEST_F(FileEditCtrlTest, RealFileDialogIsTitledWithAnOkButtonAndCancelChangesNothing)
{
    CFileEditCtrl field;
    Create(field, 0);
    field.SetPathBrowser(DefaultPathBrowser());
    field.SetFolderMode(false);
    field.SetWindowText("C:\\windows\\win.ini");
    SeenDialog seen;
    s_pSeenDialog = &seen;
    HWND hParentRoot = GetAncestor(field.GetSafeHwnd(), GA_ROOT);
    ModalWindowWatcher watcher([hParentRoot](HWND hWnd) {
        if (hWnd != hParentRoot) // the parent is active again once the dialog is gone
            SetTimer(hWnd, 1, 0, ReadAndCancelDialog);
    });
    ASSERT_TRUE(watcher.IsHooked());
    const UINT_PTR uDeadline = SetTimer(nullptr, 0, 20000, CancelDialogsAtTheDeadline);
    field.OnBrowseClicked();
    KillTimer(nullptr, uDeadline);
    s_pSeenDialog = nullptr;
    EXPECT_FALSE(s_bDeadlinePassed);
    EXPECT_EQ(seen.strTitle, "Browse for File");
    EXPECT_EQ(seen.strAccept, "OK");
    EXPECT_EQ(field.GetWindowText(), "C:\\windows\\win.ini");
    EXPECT_EQ(GetFocus(), field.GetSafeHwnd());
}
