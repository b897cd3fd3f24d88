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
    DialogProgramServices program(SettingsForThisUser());
    MainDlgServices services;
    program.ServeDialog(services);
    CMainDlg dialog(nullptr, services);
    dialog.DoModal();
}
