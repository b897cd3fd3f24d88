// Starting and ending the spreadsheet application for one results run.
#pragma once

#include "Automation.h"
#include "UserMessages.h"

// Starts one spreadsheet application session.  The program's launcher starts
// LibreOffice Calc; tests start an in-memory application.
class SpreadsheetLauncher {
public:
    virtual ~SpreadsheetLauncher() = default;

    // Attaches a new application to the empty holder and returns true.  When
    // no spreadsheet application is installed it tells the user so
    // ("Excel is not installed on this machine.", caption "Gombrel") and
    // returns false; when one is installed but cannot be started it returns
    // false without a message.
    virtual bool StartExcel(DispatchHolder<Application> &application, UserMessages &messages) = 0;
};

// Tells the application to quit, then releases it.  An empty holder is left
// alone.
void EndExcel(DispatchHolder<Application> &application);
