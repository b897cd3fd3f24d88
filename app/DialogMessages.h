// The message boxes of the dialog: owned by their owner window, an OK button
// and no icon; the Retry/Cancel question with the stop icon.
#pragma once

#include "UserMessages.h"

class QWidget;

class DialogMessages : public UserMessages {
public:
    explicit DialogMessages(QWidget *pOwner) : m_pOwner(pOwner) {}

    void ShowMessage(const std::string &strCaption, const std::string &strText) override;
    bool AskRetry(const std::string &strCaption, const std::string &strText) override;

private:
    QWidget *m_pOwner;
};
