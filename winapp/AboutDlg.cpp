#include "AboutDlg.h"

#include "resource.h"

namespace {

// The template holds everything; only closing is the box's own work.
INT_PTR CALLBACK AboutDialogProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM)
{
    if (uMessage == WM_INITDIALOG)
        return TRUE;
    if (uMessage == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CAboutDlg::DoModal()
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), m_hParent, AboutDialogProc, 0);
}

HWND CAboutDlg::Create()
{
    m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), m_hParent, AboutDialogProc, 0);
    if (m_hWnd != nullptr)
        ShowWindow(m_hWnd, SW_SHOW);  // the template, made for DoModal, is not visible by itself
    return m_hWnd;
}

CAboutDlg::~CAboutDlg()
{
    if (m_hWnd != nullptr)
        DestroyWindow(m_hWnd);
}
