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
    virtual bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) = 0;
};

// Tells the application to quit, then releases it.  An empty holder is left
// alone.
void EndApplication(DispatchHolder<Application> &application);

// True while the application still answers (asked for its workbooks, which
// Calc's application checks against its process); false once it has gone,
// for example when its process was killed while it sat idle.  Whoever keeps
// a session for later asks this before handing it on.
bool ApplicationAnswers(Application &application);
