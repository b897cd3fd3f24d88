#include "MainApp.h"

#include "CalcWorkbooks.h"
#include "MainDlg.h"
#include "Settings.h"

#include <optional>

bool CMainApp::InitInstance()
{
    InitSettingsPath();
    CalcLauncher launcher;
    BoundResultLibrary library;
    std::optional<RunServices> runServices;
    MainDlgServices services;
    services.makeResultsJob = [&](UserMessages &messages, RunProgress &progress) {
        PassServices pass{messages};
        pass.pProgress = &progress;
        runServices.emplace(RunServices{pass, launcher, library.Binder()});
        return ProcessResultsJob(*runServices);
    };
    CMainDlg dialog(nullptr, services);
    dialog.exec();
    return false;
}
