// The About box: the icon, the name and version, a notice and "OK".
#pragma once

#include <windows.h>

class CAboutDlg {
public:
    explicit CAboutDlg(HWND hParent) : m_hParent(hParent) {}
    CAboutDlg(const CAboutDlg &) = delete;
    CAboutDlg &operator=(const CAboutDlg &) = delete;
    ~CAboutDlg();

    // Shows the box modally; returns when the user has closed it.
    INT_PTR DoModal();

    // Shows the same box without a modal loop of its own, for a caller that
    // pumps the messages itself (the screenshot); closing it only hides it.
    // Destroyed with this object.  Null when it cannot be made.
    HWND Create();

private:
    HWND m_hParent;
    HWND m_hWnd = nullptr;
};
