#include "FileEditCtrl.h"

#include "WindowsText_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <iterator>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

// Only the style bits are asked to change, so that the edit window computes
// its frame again (and with it the button's place) right after it is taken.
const UINT kRecalculateFrameFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

const UINT_PTR kSubclassId = 0;

POINT PointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

PixelPoint PixelPointOf(POINT pt)
{
    return {pt.x, pt.y};
}

// A client point counted from the window's outer corner, where the button's
// rectangle is, taking the frame for the one pixel of a thin border.
PixelPoint PastBorder(POINT ptClient)
{
    return {ptClient.x + 1, ptClient.y + 1};
}

POINT ClientPointFromScreen(HWND hWnd, LPARAM lScreenPoint)
{
    POINT pt = PointOf(lScreenPoint);
    ScreenToClient(hWnd, &pt);
    return pt;
}

std::string DroppedFile(HDROP hDrop, UINT nIndex)
{
    UINT nLength = DragQueryFileW(hDrop, nIndex, nullptr, 0);
    std::wstring strFile(nLength + 1, L'\0');
    strFile.resize(DragQueryFileW(hDrop, nIndex, strFile.data(), nLength + 1));
    return Utf8FromWide(strFile);
}

bool IsEditWindow(HWND hWnd)
{
    wchar_t szClass[16] = L"";
    return GetClassNameW(hWnd, szClass, static_cast<int>(std::size(szClass))) > 0
           && CompareStringOrdinal(szClass, -1, L"Edit", -1, TRUE) == CSTR_EQUAL;
}

} // namespace

CFileEditCtrl::CFileEditCtrl(bool bDeleteOnDestroy)
    : m_bDeleteOnDestroy(bDeleteOnDestroy), m_pBrowser(&DefaultPathBrowser())
{
}

CFileEditCtrl::~CFileEditCtrl()
{
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr)
        return;
    Detach();
    if (m_bCreatedWindow)
        DestroyWindow(hWnd);
}

bool CFileEditCtrl::CreateFileEdit(bool bFolderMode, DWORD dwExStyle, DWORD dwStyle, const RECT &rect, HWND hParent,
                                   UINT nId)
{
    HWND hWnd = CreateWindowExW(dwExStyle, L"EDIT", L"", dwStyle, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, hParent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)),
                                GetModuleHandleW(nullptr), nullptr);
    if (hWnd == nullptr)
        return false;
    if (!Attach(hWnd)) {
        DestroyWindow(hWnd);
        return false;
    }
    m_bCreatedWindow = true;
    bool bModeSet = SetFolderMode(bFolderMode);
    if (hParent != nullptr)
        SendMessageW(m_hWnd, WM_SETFONT, SendMessageW(hParent, WM_GETFONT, 0, 0), TRUE);
    return bModeSet;
}

// The frame is computed once more at once: the window got its first one
// before its messages came here, without room for the button.
bool CFileEditCtrl::Attach(HWND hWnd)
{
    if (!SetWindowSubclass(hWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hWnd = hWnd;
    if (m_pFolderBrowseInfo)
        m_pFolderBrowseInfo->hwndOwner = hWnd;
    if (m_pFileDialog)
        m_pFileDialog->m_ofn.hwndOwner = hWnd;
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, kRecalculateFrameFlags);
    return true;
}

void CFileEditCtrl::Detach()
{
    RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    m_hWnd = nullptr;
    m_button.StopTracking();
}

bool CFileEditCtrl::SetFolderMode(bool bFolderMode)
{
    if (bFolderMode && !m_pFolderBrowseInfo) {
        m_pFolderBrowseInfo.reset(new (std::nothrow) BROWSEINFOW());
        if (!m_pFolderBrowseInfo)
            return false;
        m_pFileDialog.reset();
        m_pFolderBrowseInfo->hwndOwner = m_hWnd;
        m_pFolderBrowseInfo->ulFlags = BIF_RETURNONLYFSDIRS;
    } else if (!bFolderMode && !m_pFileDialog) {
        m_pFileDialog.reset(new (std::nothrow) CFECFileDialog(m_hWnd));
        if (!m_pFileDialog)
            return false;
        m_pFolderBrowseInfo.reset();
    }
    m_bFolderMode = bFolderMode;
    return true;
}

std::string CFileEditCtrl::GetWindowText() const
{
    if (m_hWnd == nullptr)
        return std::string();
    std::wstring strText(static_cast<std::size_t>(GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    strText.resize(static_cast<std::size_t>(GetWindowTextW(m_hWnd, strText.data(), static_cast<int>(strText.size()))));
    return Utf8FromWide(strText);
}

void CFileEditCtrl::SetWindowText(const std::string &strText)
{
    if (m_hWnd != nullptr)
        SetWindowTextW(m_hWnd, WideFromUtf8(strText).c_str());
}

// --- Entries

EntryPosition CFileEditCtrl::GetFirstEntryPosition()
{
    if (m_hWnd != nullptr)
        m_entries.Update(GetWindowText(), UsesMultipleFiles());
    return FirstEntryPosition(m_entries.List());
}

std::string CFileEditCtrl::GetNextEntryPath(EntryPosition &position)
{
    return NextEntryPath(m_entries.List(), position);
}

bool CFileEditCtrl::UsesMultipleFiles() const
{
    return !m_bFolderMode && m_pFileDialog && m_pFileDialog->AllowsMultiSelect();
}

// --- Messages

LRESULT CALLBACK CFileEditCtrl::SubclassProc(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR dwRefData)
{
    auto *pControl = reinterpret_cast<CFileEditCtrl *>(dwRefData);
    if (uMessage != WM_NCDESTROY)
        return pControl->HandleMessage(uMessage, wParam, lParam);
    // The subclass goes before the window does; the object, when it is to
    // go with the window, only after the window's very last message.
    pControl->Detach();
    LRESULT lResult = DefSubclassProc(hWnd, uMessage, wParam, lParam);
    if (pControl->m_bDeleteOnDestroy)
        delete pControl;
    return lResult;
}

LRESULT CFileEditCtrl::Default(UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(m_hWnd, uMessage, wParam, lParam);
}

LRESULT CFileEditCtrl::HandleMessage(UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    switch (uMessage) {
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        return Default(uMessage, wParam, lParam);
    case WM_NCCALCSIZE:
        return OnNcCalcSize(uMessage, wParam, lParam);
    case WM_NCHITTEST:
        return OnNcHitTest(lParam);
    }
    LRESULT lResult = Default(uMessage, wParam, lParam);
    AfterDefault(uMessage, wParam, lParam);
    return lResult;
}

// The handlers that add to what the edit window does itself.
void CFileEditCtrl::AfterDefault(UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    switch (uMessage) {
    case WM_ENABLE:
        PaintButton(wParam ? BrowseButton::kRaised : BrowseButton::kDisabled);
        break;
    case WM_NCPAINT:
        PaintButton(m_button.CurrentLook());
        break;
    case WM_SETFOCUS:
        SendMessageW(m_hWnd, EM_SETSEL, 0, -1);
        SendMessageW(m_hWnd, EM_SCROLLCARET, 0, 0);
        break;
    case WM_NCLBUTTONDOWN:
        OnNcLButtonDown(lParam);
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONUP:
        OnLButtonUp(lParam);
        break;
    }
}

// The button takes the right end of the client area.  Its place is kept from
// the window's outer corner, where the first rectangle began: the window's
// new place.  The second rectangle holds the old one, which differs after a
// move.
LRESULT CFileEditCtrl::OnNcCalcSize(UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    RECT &rcClient = *reinterpret_cast<RECT *>(lParam);
    POINT ptWindowCorner = {rcClient.left, rcClient.top};
    LRESULT lResult = Default(uMessage, wParam, lParam);
    rcClient.right -= m_button.Place({rcClient.left - ptWindowCorner.x, rcClient.top - ptWindowCorner.y,
                                      rcClient.right - ptWindowCorner.x, rcClient.bottom - ptWindowCorner.y});
    return lResult;
}

RECT CFileEditCtrl::BrowseButtonRect() const
{
    const PixelRect &rc = m_button.Rect();
    return {rc.left, rc.top, rc.right, rc.bottom};
}

// The button answers as border, so that a press on it comes as a
// non-client press and the pointer there is an arrow.
LRESULT CFileEditCtrl::OnNcHitTest(LPARAM lScreenPoint)
{
    LRESULT lHit = Default(WM_NCHITTEST, 0, lScreenPoint);
    if (lHit != HTNOWHERE)
        return lHit;
    return m_button.Contains(PixelPointOf(ClientPointFromScreen(m_hWnd, lScreenPoint))) ? HTBORDER : HTNOWHERE;
}

void CFileEditCtrl::OnNcLButtonDown(LPARAM lScreenPoint)
{
    if (!m_button.Press(PastBorder(ClientPointFromScreen(m_hWnd, lScreenPoint)), IsEnabled()))
        return;
    SetCapture(m_hWnd);
    SetFocus(m_hWnd);
    DrawButton();
}

void CFileEditCtrl::OnMouseMove(LPARAM lClientPoint)
{
    if (m_button.Track(PastBorder(PointOf(lClientPoint)), IsEnabled()))
        DrawButton();
}

void CFileEditCtrl::OnLButtonUp(LPARAM lClientPoint)
{
    if (!m_button.IsTracking())
        return;
    ReleaseCapture();
    const BrowseButton::Release release = m_button.ReleaseAt(PastBorder(PointOf(lClientPoint)), IsEnabled());
    if (release.bRedraw)
        DrawButton();
    if (release.bBrowse)
        OnBrowseClicked();
}

// Ctrl with the period key, or with the keypad's decimal key.
void CFileEditCtrl::OnKeyDown(WPARAM uKey)
{
    if ((uKey == VK_OEM_PERIOD || uKey == VK_DECIMAL) && GetKeyState(VK_CONTROL) < 0)
        OnBrowseClicked();
}

void CFileEditCtrl::OnDropFiles(HDROP hDrop)
{
    const UINT nCount = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> files;
    for (UINT i = 0; i < nCount; ++i)
        files.push_back(DroppedFile(hDrop, i));
    DragFinish(hDrop);
    if (!files.empty())
        SetWindowText(DroppedFilesText(files, UsesMultipleFiles()));
}

// --- Drawing the button

bool CFileEditCtrl::IsEnabled() const
{
    return (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_DISABLED) == 0;
}

// Records the asked look and draws it.
void CFileEditCtrl::PaintButton(BrowseButton::Look look)
{
    if (m_hWnd == nullptr)
        return;
    m_button.Show(look, IsEnabled());
    DrawButton();
}

// Draws the recorded look on the whole window, frame included.
void CFileEditCtrl::DrawButton()
{
    if (m_hWnd == nullptr)
        return;
    const BrowseButton::Look look = m_button.CurrentLook();
    HDC hDC = GetWindowDC(m_hWnd);
    int nSaved = SaveDC(hDC);
    HBRUSH hFace = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    HPEN hOutline =
        CreatePen(PS_SOLID, 1, GetSysColor(look == BrowseButton::kPushed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    SelectObject(hDC, hFace);
    SelectObject(hDC, hOutline);
    RECT rc = BrowseButtonRect();
    Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    if (look == BrowseButton::kPushed) {
        PaintEllipsisDots(hDC, GetSysColor(COLOR_BTNTEXT), 1);
    } else {
        DrawEdge(hDC, &rc, EDGE_RAISED, BF_RECT);
        if (look == BrowseButton::kDisabled) {
            PaintEllipsisDots(hDC, GetSysColor(COLOR_3DHILIGHT), 1);
            PaintEllipsisDots(hDC, GetSysColor(COLOR_GRAYTEXT), 0);
        } else {
            PaintEllipsisDots(hDC, GetSysColor(COLOR_BTNTEXT), 0);
        }
    }
    RestoreDC(hDC, nSaved);
    DeleteObject(hOutline);
    DeleteObject(hFace);
    ReleaseDC(m_hWnd, hDC);
}

void CFileEditCtrl::PaintEllipsisDots(HDC hDC, COLORREF colour, int nOffset)
{
    const EllipsisDots dots = m_button.Dots(nOffset);
    if (dots.bSinglePixels) {
        for (const PixelRect &dot : dots.dots)
            SetPixel(hDC, dot.left, dot.top, colour);
        return;
    }
    HPEN hPen = CreatePen(PS_SOLID, 1, colour);
    HBRUSH hBrush = CreateSolidBrush(colour);
    HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    HGDIOBJ hOldBrush = SelectObject(hDC, hBrush);
    for (const PixelRect &dot : dots.dots)
        Ellipse(hDC, dot.left, dot.top, dot.right, dot.bottom);
    SelectObject(hDC, hOldBrush);
    SelectObject(hDC, hOldPen);
    DeleteObject(hBrush);
    DeleteObject(hPen);
}

// --- Browsing

void CFileEditCtrl::OnBrowseClicked()
{
    bool bChanged = m_bFolderMode ? BrowseForFolder() : BrowseForFiles();
    if (bChanged)
        PostBrowseChanged();
}

// Where the browsers open: the first entry of the text as it is now.
std::string CFileEditCtrl::FirstEntryPath()
{
    GetFirstEntryPosition();
    return ::FirstEntryPath(m_entries.List());
}

bool CFileEditCtrl::BrowseForFolder()
{
    if (!m_pFolderBrowseInfo)
        return false;
    std::optional<std::string> folder = m_pBrowser->BrowseForFolder(*m_pFolderBrowseInfo, FirstEntryPath());
    if (folder)
        SetWindowText(*folder);
    ReturnFocusAfterBrowse();
    return folder.has_value();
}

bool CFileEditCtrl::BrowseForFiles()
{
    if (!m_pFileDialog)
        return false;
    std::vector<std::string> files = m_pBrowser->BrowseForFiles(*m_pFileDialog, m_hWnd, FirstEntryPath());
    if (!files.empty())
        SetWindowText(ChosenFilesText(files));
    ReturnFocusAfterBrowse();
    return !files.empty();
}

// The field gets the focus back with its whole text selected, as whenever it
// gains the focus; it may never have lost it, to a browser that opened no
// window, and then no focus message comes.
void CFileEditCtrl::ReturnFocusAfterBrowse()
{
    if (m_hWnd == nullptr)
        return;
    SetFocus(m_hWnd);
    SendMessageW(m_hWnd, EM_SETSEL, 0, -1);
}

// Posted, so that the parent hears of the change once the browse has
// returned, and only while it is still there.
void CFileEditCtrl::PostBrowseChanged()
{
    HWND hParent = m_hWnd != nullptr ? GetParent(m_hWnd) : nullptr;
    if (hParent != nullptr && IsWindow(hParent))
        PostMessageW(hParent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_hWnd), 0), reinterpret_cast<LPARAM>(m_hWnd));
}

void DDX_BrowseEdit(CDataExchange &dx, int nId, CFileEditCtrl &rControl, bool bFolderMode)
{
    if (rControl.m_hWnd == nullptr) {
        HWND hEdit = GetDlgItem(dx.m_hDialog, nId);
        if (hEdit == nullptr || !IsEditWindow(hEdit) || !rControl.Attach(hEdit))
            throw std::runtime_error("path field " + std::to_string(nId)
                                     + ": the dialog has no edit control of that id, or it cannot be subclassed");
        rControl.SetFolderMode(bFolderMode);
    } else if (dx.m_bSaveAndValidate) {
        rControl.GetFirstEntryPosition();
    }
}
