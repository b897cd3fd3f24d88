// Driving native windows from a test on the window's own thread: pumping its
// messages until something has happened (with a deadline, never a sleep),
// and meeting the modal windows it opens (About box, message boxes, browse
// dialogs) as they appear, to read them and end them.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "WindowsText_win32.h"

// Dispatches this thread's messages until done() holds; false when the
// deadline passed first.  Between messages the thread waits for the next
// one to arrive, not for a time.  Messages for hDialog (a modeless dialog)
// go through its keyboard handling first, as a modal dialog's loop does:
// Enter, Esc and Tab work.
inline bool PumpMessagesUntil(const std::function<bool()> &done,
                              std::chrono::milliseconds deadline = std::chrono::seconds(20), HWND hDialog = nullptr)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (hDialog != nullptr && IsDialogMessageW(hDialog, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
}

// Dispatches whatever is waiting now, without waiting for more.
inline void PumpWaitingMessages()
{
    PumpMessagesUntil([] { return true; }, std::chrono::milliseconds(0));
}

// The UTF-8 text of a window.
inline std::string WindowTextOf(HWND hWnd)
{
    std::wstring strText(static_cast<std::size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    strText.resize(static_cast<std::size_t>(GetWindowTextW(hWnd, strText.data(), static_cast<int>(strText.size()))));
    return Utf8FromWide(strText);
}

// While it lives, every owned window that this thread activates (a modal
// box running its own message loop, out of the test's reach) is handed to
// onActivated first, which may read it and post it its end.
class ModalWindowWatcher {
public:
    explicit ModalWindowWatcher(std::function<void(HWND)> onActivated)
        : m_onActivated(std::move(onActivated))
    {
        s_pCurrent = this;
        m_hHook = SetWindowsHookExW(WH_CBT, &ModalWindowWatcher::CbtProc, nullptr, GetCurrentThreadId());
    }
    ModalWindowWatcher(const ModalWindowWatcher &) = delete;
    ModalWindowWatcher &operator=(const ModalWindowWatcher &) = delete;
    ~ModalWindowWatcher()
    {
        UnhookWindowsHookEx(m_hHook);
        s_pCurrent = nullptr;
    }

    bool IsHooked() const { return m_hHook != nullptr; }

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
    {
        HWND hActivated = reinterpret_cast<HWND>(wParam);
        if (nCode == HCBT_ACTIVATE && s_pCurrent != nullptr && GetWindow(hActivated, GW_OWNER) != nullptr)
            s_pCurrent->m_onActivated(hActivated);
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    }

    static inline ModalWindowWatcher *s_pCurrent = nullptr;
    std::function<void(HWND)> m_onActivated;
    HHOOK m_hHook = nullptr;
};
