#include "NoSpreadsheet.h"

#include "FailureReports.h"

const char kNoSpreadsheetBuilt[] = "This Gombrel was built without a spreadsheet application.";

bool NoSpreadsheetLauncher::StartApplication(DispatchHolder<Application> &, UserMessages &messages)
{
    messages.ShowMessage(kApplicationCaption, kNoSpreadsheetBuilt);
    return false;
}
