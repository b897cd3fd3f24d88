#include "MainApp.h"

#include "DialogProgram.h"
#include "MainDlg.h"

bool CMainApp::InitInstance()
{
    MainDlgServices services;  // its settings: those of this user
    DialogProgramServices program(services.settings);
    services.makeResultsJob = [&program](UserMessages &messages, RunProgress &progress) {
        return program.MakeResultsJob(messages, progress);
    };
    services.startSpreadsheetEarly = [&program] { program.StartSpreadsheetEarly(); };
    CMainDlg dialog(nullptr, services);
    dialog.exec();
    return false;
}
