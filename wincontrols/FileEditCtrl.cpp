#include "FileEditCtrl.h"

#include "WindowsText_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <iterator>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

// Only the style bits are asked to change, so that the edit window computes
// its frame again (and with it the button's place) right after it is taken.
const UINT kRecalculateFrameFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

const UINT_PTR kSubclassId = 0;

// The button is this many tenths of the client's height wide.
const int kButtonWidthTenths = 12;

POINT PointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// A client point counted from the window's outer corner, where the button's
// rectangle is, taking the frame for the one pixel of a thin border.
POINT PastBorder(POINT ptClient)
{
    return {ptClient.x + 1, ptClient.y + 1};
}

POINT ClientPointFromScreen(HWND hWnd, LPARAM lScreenPoint)
{
    POINT pt = PointOf(lScreenPoint);
    ScreenToClient(hWnd, &pt);
    return pt;
}

void NormalizeRect(RECT &rc)
{
    if (rc.left > rc.right)
        std::swap(rc.left, rc.right);
    if (rc.top > rc.bottom)
        std::swap(rc.top, rc.bottom);
}

// The name after the last separator of a UTF-8 path; separators are ASCII,
// never part of a multi-byte character.
std::string FileNameOf(const std::string &strPath)
{
    std::size_t nSeparator = strPath.find_last_of("\\/");
    return nSeparator == std::string::npos ? strPath : strPath.substr(nSeparator + 1);
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
    m_bButtonTracking = false;
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
    if (m_hWnd != nullptr && IsTextDirty())
        ParseEntries();
    return FirstEntryPosition(m_entryList);
}

std::string CFileEditCtrl::GetNextEntryPath(EntryPosition &position)
{
    return NextEntryPath(m_entryList, position);
}

bool CFileEditCtrl::IsTextDirty() const
{
    return GetWindowText() != m_strParsedText || UsesMultipleFiles() != m_bParsedMultipleFiles;
}

void CFileEditCtrl::ParseEntries()
{
    m_strParsedText = GetWindowText();
    m_bParsedMultipleFiles = UsesMultipleFiles();
    m_entryList = ParseEntryText(m_strParsedText, m_bParsedMultipleFiles);
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
        PaintButton(wParam ? kRaised : kDisabled);
        break;
    case WM_NCPAINT:
        PaintButton(m_nButtonLook);
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

// The button takes the right end of the client area, 1.2 times as wide as
// the client is high.  Its place is kept from the window's outer corner,
// where the first rectangle began: the window's new place.  The second
// rectangle holds the old one, which differs after a move.
LRESULT CFileEditCtrl::OnNcCalcSize(UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    RECT &rcClient = *reinterpret_cast<RECT *>(lParam);
    POINT ptWindowCorner = {rcClient.left, rcClient.top};
    LRESULT lResult = Default(uMessage, wParam, lParam);
    m_rcBrowseButton = rcClient;
    rcClient.right -= (rcClient.bottom - rcClient.top) * kButtonWidthTenths / 10;
    m_rcBrowseButton.left = rcClient.right;
    OffsetRect(&m_rcBrowseButton, -ptWindowCorner.x, -ptWindowCorner.y);
    NormalizeRect(m_rcBrowseButton);
    return lResult;
}

// The button answers as border, so that a press on it comes as a
// non-client press and the pointer there is an arrow.
LRESULT CFileEditCtrl::OnNcHitTest(LPARAM lScreenPoint)
{
    LRESULT lHit = Default(WM_NCHITTEST, 0, lScreenPoint);
    if (lHit != HTNOWHERE)
        return lHit;
    return IsOnButton(ClientPointFromScreen(m_hWnd, lScreenPoint)) ? HTBORDER : HTNOWHERE;
}

void CFileEditCtrl::OnNcLButtonDown(LPARAM lScreenPoint)
{
    if (!IsOnButton(PastBorder(ClientPointFromScreen(m_hWnd, lScreenPoint))))
        return;
    SetCapture(m_hWnd);
    m_bButtonTracking = true;
    SetFocus(m_hWnd);
    PaintButton(kPushed);
}

void CFileEditCtrl::OnMouseMove(LPARAM lClientPoint)
{
    if (!m_bButtonTracking)
        return;
    int nLook = IsOnButton(PastBorder(PointOf(lClientPoint))) ? kPushed : kRaised;
    if (m_nButtonLook != nLook)
        PaintButton(nLook);
}

void CFileEditCtrl::OnLButtonUp(LPARAM lClientPoint)
{
    if (!m_bButtonTracking)
        return;
    ReleaseCapture();
    m_bButtonTracking = false;
    if (m_nButtonLook != kRaised)
        PaintButton(kRaised);
    if (IsOnButton(PastBorder(PointOf(lClientPoint))))
        OnBrowseClicked();
}

// Ctrl with the period key, or with the keypad's decimal key.
void CFileEditCtrl::OnKeyDown(WPARAM uKey)
{
    if ((uKey == VK_OEM_PERIOD || uKey == VK_DECIMAL) && GetKeyState(VK_CONTROL) < 0)
        OnBrowseClicked();
}

// Dropped files become the text with their full paths, "; " between them;
// only the first counts in folder mode or without multiple selection.
void CFileEditCtrl::OnDropFiles(HDROP hDrop)
{
    UINT nCount = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    std::string strText;
    if (nCount >= 1) {
        UINT nUsed = UsesMultipleFiles() ? nCount : 1;
        strText = DroppedFile(hDrop, 0);
        for (UINT i = 1; i < nUsed; ++i)
            strText += "; " + DroppedFile(hDrop, i);
    }
    DragFinish(hDrop);
    if (nCount >= 1)
        SetWindowText(strText);
}

bool CFileEditCtrl::IsOnButton(POINT pt) const
{
    return PtInRect(&m_rcBrowseButton, pt) != FALSE;
}

// --- Drawing the button

// Draws on the whole window, frame included, in the asked look (always the
// disabled one while the window is disabled) and records the look.
void CFileEditCtrl::PaintButton(int nLook)
{
    if (m_hWnd == nullptr)
        return;
    if (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_DISABLED)
        nLook = kDisabled;
    HDC hDC = GetWindowDC(m_hWnd);
    int nSaved = SaveDC(hDC);
    HBRUSH hFace = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    HPEN hOutline = CreatePen(PS_SOLID, 1, GetSysColor(nLook == kPushed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    SelectObject(hDC, hFace);
    SelectObject(hDC, hOutline);
    RECT rc = m_rcBrowseButton;
    Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    if (nLook == kPushed) {
        PaintEllipsisDots(hDC, GetSysColor(COLOR_BTNTEXT), 1);
    } else {
        DrawEdge(hDC, &rc, EDGE_RAISED, BF_RECT);
        if (nLook == kDisabled) {
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
    m_nButtonLook = nLook;
}

// Three dots centred in the button, q apart and d across (w the button's
// width): q = w / 4, d = w / 10, single pixels when d is below 2.  Their top
// is measured from the window's top edge.
void CFileEditCtrl::PaintEllipsisDots(HDC hDC, COLORREF colour, int nOffset)
{
    int nWidth = m_rcBrowseButton.right - m_rcBrowseButton.left;
    int nHeight = m_rcBrowseButton.bottom - m_rcBrowseButton.top;
    int nSpacing = nWidth / 4;
    int nDot = nWidth / 10;
    int nX = m_rcBrowseButton.left + nWidth / 2 - nSpacing - (nWidth % 4 == 0 ? 1 : 0) + nOffset;
    int nY = nHeight / 2 - nDot / 2 + 1 + nOffset;
    if (nDot < 2) {
        for (int i = 0; i < 3; ++i)
            SetPixel(hDC, nX + i * nSpacing, nY, colour);
        return;
    }
    HPEN hPen = CreatePen(PS_SOLID, 1, colour);
    HBRUSH hBrush = CreateSolidBrush(colour);
    HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    HGDIOBJ hOldBrush = SelectObject(hDC, hBrush);
    for (int i = 0; i < 3; ++i)
        Ellipse(hDC, nX + i * nSpacing, nY, nX + i * nSpacing + nDot, nY + nDot);
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

// The absolute path of the first entry, where the browsers open; empty when
// the text holds none.
std::string CFileEditCtrl::FirstEntryPath()
{
    EntryPosition position = GetFirstEntryPosition();
    return position ? GetNextEntryPath(position) : std::string();
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

// The first chosen file with its full path, then "; " and the file name of
// every further one (all come from the same folder).
bool CFileEditCtrl::BrowseForFiles()
{
    if (!m_pFileDialog)
        return false;
    std::vector<std::string> files = m_pBrowser->BrowseForFiles(*m_pFileDialog, m_hWnd, FirstEntryPath());
    if (!files.empty()) {
        std::string strText = files.front();
        for (std::size_t i = 1; i < files.size(); ++i)
            strText += "; " + FileNameOf(files[i]);
        SetWindowText(strText);
    }
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
