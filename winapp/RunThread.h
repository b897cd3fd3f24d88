// A results run on a thread of its own while the dialog's thread keeps the
// window alive: it paints, answers the system (so that Windows never marks
// the dialog "Not Responding" during a long run) and shows the run's message
// boxes, while the keys and clicks given meanwhile are dropped.  For the user
// the run stays what it was: one press, a wait, one message.
//
// The dialog's thread is a single-threaded apartment, as the shell requires;
// the run's thread calls Excel from the multithreaded one, where a call that
// waits blocks only that thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "UserMessages.h"

// Runs job on a new thread and returns its result once it has ended;
// meanwhile this thread dispatches every message but keyboard and mouse
// input, which it drops.  A WM_QUIT that arrives meanwhile is posted again
// afterwards.  What job throws is thrown here.
int RunWhileDispatching(const std::function<int()> &job);

// The run's message boxes, asked for on the run's thread and shown by the
// thread of hWindow (the dialog), through messages: a box opened from
// another thread would not belong to the dialog's modal loop.  The dialog
// hands each request to AnswerRequest.
class RunThreadMessages : public UserMessages {
public:
    explicit RunThreadMessages(UserMessages &shown) : m_shown(shown) {}
    void SetWindow(HWND hWindow) { m_hWindow = hWindow; }

    void ShowMessage(const std::string &strCaption, const std::string &strText) override;
    bool AskRetry(const std::string &strCaption, const std::string &strText) override;

    // The message through which requests arrive, and what the window does
    // with one: shows it (on its own thread) and gives the answer back.
    static UINT RequestMessage();
    static LRESULT AnswerRequest(LPARAM lParam);

private:
    bool Request(bool bAskRetry, const std::string &strCaption, const std::string &strText);

    UserMessages &m_shown;
    HWND m_hWindow = nullptr;
};
