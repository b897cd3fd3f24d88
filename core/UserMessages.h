// How the program speaks to the user while it works: message boxes with an
// OK button, and the one Retry/Cancel question.  The dialog shows real boxes,
// gombrel-cli writes lines and asks on the terminal, tests record them.
#pragma once

#include <string>

class UserMessages {
public:
    virtual ~UserMessages() = default;

    // An OK box; returns when the user has dismissed it.
    virtual void ShowMessage(const std::string &strCaption, const std::string &strText) = 0;

    // A Retry/Cancel box with the stop icon; true when the user chose Retry.
    virtual bool AskRetry(const std::string &strCaption, const std::string &strText) = 0;
};
