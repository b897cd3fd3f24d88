#include "SpreadsheetSession.h"

void EndApplication(DispatchHolder<Application> &application)
{
    if (application.IsEmpty())
        return;
    try {
        application->Quit();
    } catch (const AutomationFailure &) {
        // An application that cannot be told to quit has already gone; the
        // session is over either way.
    }
    application.Release();
}

bool ApplicationAnswers(Application &application)
{
    try {
        application.GetWorkbooks();
        return true;
    } catch (const AutomationFailure &) {
        return false;
    }
}
