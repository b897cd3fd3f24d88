#include "DialogMessages.h"

#include "WindowsText_win32.h"

void DropWaitingInput()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&msg, nullptr, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE)) {
    }
}

int DialogMessages::Show(const std::string &strCaption, const std::string &strText, UINT uType)
{
    if (m_bDropWaitingInput)
        DropWaitingInput();
    return MessageBoxW(m_hOwner, WideFromUtf8(strText).c_str(), WideFromUtf8(strCaption).c_str(), uType);
}

void DialogMessages::ShowMessage(const std::string &strCaption, const std::string &strText)
{
    Show(strCaption, strText, MB_OK);
}

bool DialogMessages::AskRetry(const std::string &strCaption, const std::string &strText)
{
    return Show(strCaption, strText, MB_RETRYCANCEL | MB_ICONSTOP) == IDRETRY;
}
