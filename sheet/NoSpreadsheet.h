// The launcher of a build made without any spreadsheet application: every
// start says so and fails, as when none is installed.
#pragma once

#include "SpreadsheetSession.h"

// "This Gombrel was built without a spreadsheet application."
extern const char kNoSpreadsheetBuilt[];

class NoSpreadsheetLauncher : public SpreadsheetLauncher {
public:
    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override;
};
