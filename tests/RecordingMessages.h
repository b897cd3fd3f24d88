// User messages for tests: every box is recorded as "CAPTION: TEXT", and
// every Retry/Cancel question is answered Cancel.
#pragma once

#include <string>
#include <vector>

#include "UserMessages.h"

class RecordingMessages : public UserMessages {
public:
    void ShowMessage(const std::string &strCaption, const std::string &strText) override
    {
        shown.push_back(strCaption + ": " + strText);
    }
    bool AskRetry(const std::string &, const std::string &) override { return false; }

    std::vector<std::string> shown;
};
