#include "NoSpreadsheet.h"

#include "FailureReports.h"

const char kNoSpreadsheetBuilt[] = "This Gombrel was built without a spreadsheet application.";

bool NoSpreadsheetLauncher::StartExcel(DispatchHolder<Application> &, UserMessages &messages)
{
    messages.ShowMessage(kApplicationCaption, kNoSpreadsheetBuilt);
    return false;
}
