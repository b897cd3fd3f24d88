#include "MainDlg.h"

#include "AboutDlg.h"
#include "FilePath.h"
#include "ProgramPath.h"

namespace {

HINSTANCE ProgramInstance()
{
    return GetModuleHandleW(nullptr);
}

// The icon's image drawn at the given size (the 16-pixel one is drawn for
// its size, not shrunk from the big one).
HICON LoadAppIcon(int nSize)
{
    return static_cast<HICON>(
        LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, nSize, nSize, LR_DEFAULTCOLOR));
}

std::wstring LoadResourceText(UINT nId)
{
    const wchar_t *pszText = nullptr;
    // Length 0 asks for a pointer into the resource itself.
    const int nLength = LoadStringW(ProgramInstance(), nId, reinterpret_cast<wchar_t *>(&pszText), 0);
    return nLength > 0 ? std::wstring(pszText, static_cast<std::size_t>(nLength)) : std::wstring();
}

} // namespace

std::string ApplicationName()
{
    return PathText(FilePath(ExecutablePath()).stem());
}

CMainDlg::CMainDlg(HWND hParent, const MainDlgServices &services)
    : m_hParent(hParent),
      m_hAppIcon(LoadAppIcon(GetSystemMetrics(SM_CXICON))),
      m_hSmallIcon(LoadAppIcon(GetSystemMetrics(SM_CXSMICON))),
      m_messages(services.pMessages != nullptr ? *services.pMessages : m_ownMessages),
      m_runMessages(m_messages),
      m_pBrowser(services.pBrowser),
      m_model(services, *this, m_runMessages, *this)
{
    if (m_pBrowser != nullptr) {
        m_doe2PathEdit.SetPathBrowser(*m_pBrowser);
        m_resultsPathEdit.SetPathBrowser(*m_pBrowser);
    }
}

CMainDlg::~CMainDlg()
{
    if (m_hWnd != nullptr)
        DestroyWindow(m_hWnd);
    DestroyIcon(m_hAppIcon);
    DestroyIcon(m_hSmallIcon);
}

INT_PTR CMainDlg::DoModal()
{
    m_bModal = true;
    return DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_MAIN), m_hParent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND CMainDlg::Create()
{
    m_bModal = false;
    return CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_MAIN), m_hParent, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CMainDlg::DialogProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    if (uMessage == WM_INITDIALOG) {
        auto *pDialog = reinterpret_cast<CMainDlg *>(lParam);
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        pDialog->m_hWnd = hDlg;
        return pDialog->OnInitDialog();
    }
    auto *pDialog = reinterpret_cast<CMainDlg *>(GetWindowLongPtrW(hDlg, DWLP_USER));
    if (pDialog == nullptr)
        return FALSE;
    if (uMessage == RunThreadMessages::RequestMessage()) {
        SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, RunThreadMessages::AnswerRequest(lParam));
        return TRUE;
    }
    const INT_PTR nAnswer = pDialog->OnMessage(uMessage, wParam, lParam);
    if (uMessage == WM_NCDESTROY)
        pDialog->m_hWnd = nullptr;
    return nAnswer;
}

INT_PTR CMainDlg::OnMessage(UINT uMessage, WPARAM wParam, LPARAM)
{
    switch (uMessage) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam));
    case WM_DESTROY:
        // Closes a help window opened for the program, as every program of
        // its kind does; without one this does nothing.
        WinHelpW(m_hWnd, nullptr, HELP_QUIT, 0);
        return FALSE;
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hAppIcon);
    case WM_SETCURSOR:
        // The wait cursor over the whole window for the whole run.
        if (!m_bRunning)
            return FALSE;
        SetCursor(WaitCursor());
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CMainDlg::OnInitDialog()
{
    m_ownMessages.SetOwner(m_hWnd);
    m_runMessages.SetWindow(m_hWnd);
    AppendAboutItem();
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hAppIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
    m_fields = m_model.Open();
    UpdateData(false);
    return TRUE;  // the focus goes to the first tab stop, the DOE-2 field
}

void CMainDlg::AppendAboutItem()
{
    HMENU hSystemMenu = GetSystemMenu(m_hWnd, FALSE);
    const std::wstring strAboutItem = LoadResourceText(IDS_ABOUT_ITEM);
    if (hSystemMenu == nullptr || strAboutItem.empty())
        return;
    AppendMenuW(hSystemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(hSystemMenu, MF_STRING, ID_SYS_ABOUT, strAboutItem.c_str());
}

void CMainDlg::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx;
    dx.m_hDialog = m_hWnd;
    dx.m_bSaveAndValidate = bSaveAndValidate;
    DoDataExchange(dx);
}

void CMainDlg::DoDataExchange(CDataExchange &dx)
{
    DDX_BrowseEdit(dx, IDC_DOE2_PATH, m_doe2PathEdit, true);
    DDX_BrowseEdit(dx, IDC_RESULTS_PATH, m_resultsPathEdit, true);
    if (dx.m_bSaveAndValidate) {
        m_fields = {m_doe2PathEdit.GetWindowText(), m_resultsPathEdit.GetWindowText(),
                    IsDlgButtonChecked(m_hWnd, IDC_CHECK_POSTED) == BST_CHECKED};
        return;
    }
    m_doe2PathEdit.SetWindowText(m_fields.strDoe2Path);
    m_resultsPathEdit.SetWindowText(m_fields.strResultsPath);
    CheckDlgButton(m_hWnd, IDC_CHECK_POSTED, m_fields.bCheckPosted ? BST_CHECKED : BST_UNCHECKED);
}

bool CMainDlg::OnCommand(UINT nId)
{
    switch (nId) {
    case IDC_PROCESS_RESULTS:
        OnProcessResults();
        return true;
    case IDOK:  // "&Done" and Enter: nothing is saved
        EndDialog(IDOK);
        return true;
    case IDCANCEL:  // Esc and the close box
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}

bool CMainDlg::OnSysCommand(UINT nId)
{
    if ((nId & 0xFFF0) != ID_SYS_ABOUT)
        return false;
    CAboutDlg(m_hWnd).DoModal();
    return true;
}

// A minimised dialog shows its icon centred in the client area.
bool CMainDlg::OnPaint()
{
    if (!IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT paint;
    HDC hDC = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
    RECT rcClient;
    GetClientRect(m_hWnd, &rcClient);
    const int x = (rcClient.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rcClient.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(hDC, x, y, m_hAppIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

void CMainDlg::EndDialog(INT_PTR nResult)
{
    m_endedWith = nResult;
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        ShowWindow(m_hWnd, SW_HIDE);
}

void CMainDlg::OnProcessResults()
{
    UpdateData(true);
    m_model.ProcessResults(m_fields);
}

void CMainDlg::ShowMessage(const std::string &strText)
{
    m_messages.ShowMessage(ApplicationName(), strText);
}

// The wait cursor and the dialog disabled for the whole run; what the user
// typed or clicked meanwhile is dropped, before any box the run opens and at
// its end.
void CMainDlg::ShowBusy(bool bBusy)
{
    m_ownMessages.SetDropWaitingInput(bBusy);
    m_bRunning = bBusy;
    if (bBusy) {
        m_hFocusBeforeRun = GetFocus();
        EnableWindow(m_hWnd, FALSE);
        m_hCursorBeforeRun = SetCursor(WaitCursor());
        return;
    }
    DropWaitingInput();
    EnableWindow(m_hWnd, TRUE);
    if (m_hFocusBeforeRun != nullptr && IsChild(m_hWnd, m_hFocusBeforeRun))
        SetFocus(m_hFocusBeforeRun);
    SetCursor(m_hCursorBeforeRun);
}

// The job on a thread of its own; this thread meanwhile dispatches the
// window's messages (painting, the system's questions, the job's boxes) and
// drops the user's input.
int32_t CMainDlg::RunJob(const std::function<int32_t()> &job)
{
    return RunWhileDispatching(job);
}

// The window is kept painted by the dialog's own thread throughout the run.
void CMainDlg::WorkbookStarted(const std::string &) {}

void CMainDlg::RoundStarted(int32_t, bool) {}
