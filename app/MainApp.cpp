#include "MainApp.h"

#include "EarlyStartLauncher.h"
#include "MainDlg.h"
#include "Settings.h"
#include "SpreadsheetBackend.h"

#include <memory>
#include <optional>

bool CMainApp::InitInstance()
{
    const std::unique_ptr<SpreadsheetLauncher> launcher = MakeSpreadsheetLauncher();
    EarlyStartLauncher early(*launcher);  // ends an idle session when the dialog has closed
    BoundResultLibrary library;
    std::optional<RunServices> runServices;
    MainDlgServices services;  // its settings: those of this user
    const SettingsFile &settings = services.settings;
    services.makeResultsJob = [&](UserMessages &messages, RunProgress &progress) {
        PassServices pass{messages};
        pass.readLogFlag = [&settings] { return ReadLogFlagSetting(settings); };
        pass.pProgress = &progress;
        runServices.emplace(RunServices{pass, early, library.Binder()});
        return ProcessResultsJob(*runServices);
    };
    services.startSpreadsheetEarly = [&early] { early.StartEarly(); };
    CMainDlg dialog(nullptr, services);
    dialog.exec();
    return false;
}
