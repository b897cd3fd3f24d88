// The message boxes of the dialog: owned by the dialog, an OK button and no
// icon; the Retry/Cancel question with the stop icon.  While a run holds the
// dialog, keys and clicks the user gave it meanwhile are dropped before a
// box opens, so that the box's own message loop does not deliver them.
#pragma once

#include <windows.h>

#include "UserMessages.h"

class DialogMessages : public UserMessages {
public:
    DialogMessages() = default;

    void SetOwner(HWND hOwner) { m_hOwner = hOwner; }
    void SetDropWaitingInput(bool bDrop) { m_bDropWaitingInput = bDrop; }

    void ShowMessage(const std::string &strCaption, const std::string &strText) override;
    bool AskRetry(const std::string &strCaption, const std::string &strText) override;

private:
    int Show(const std::string &strCaption, const std::string &strText, UINT uType);

    HWND m_hOwner = nullptr;
    bool m_bDropWaitingInput = false;
};

// Removes the keyboard and mouse messages waiting in this thread's queue.
void DropWaitingInput();
