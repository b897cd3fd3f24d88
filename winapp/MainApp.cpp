#include "MainApp.h"

#include <ole2.h>

#include "DialogProgram.h"
#include "MainDlg.h"

bool CMainApp::InitInstance()
{
    // The dialog's thread is a single-threaded apartment with OLE, as the
    // shell's folder browser requires, before anything else touches COM on
    // it.  It never calls Excel: runs and the early start do, on threads of
    // their own.
    const bool bOle = SUCCEEDED(OleInitialize(nullptr));
    ShowDialog();
    if (bOle)
        OleUninitialize();
    return false;
}

void CMainApp::ShowDialog()
{
    MainDlgServices services;  // its settings: gombrel.ini beside the program
    DialogProgramServices program(services.settings);
    services.makeResultsJob = [&program](UserMessages &messages, RunProgress &progress) {
        return program.MakeResultsJob(messages, progress);
    };
    services.startSpreadsheetEarly = [&program] { program.StartSpreadsheetEarly(); };
    CMainDlg dialog(nullptr, services);
    dialog.DoModal();
}
