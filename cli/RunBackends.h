// What a gombrel-cli run is given from outside the program: the spreadsheet
// launcher, the result-library binding, the clock, the settings file and the
// pause between retries.  RunRunCommand (Commands.h) hands in the real ones.
#pragma once

#include "ResultsRun.h"
#include "Settings.h"

struct RunBackends {
    SpreadsheetLauncher &launcher;
    ResultLibraryBinder bindResultLibrary;
    Stopwatch &clock;
    SettingsFile settings;
    RetryPause retryPause = SleepBeforeRetry;
};
