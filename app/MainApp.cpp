#include "MainApp.h"

#include "DialogProgram.h"
#include "MainDlg.h"

bool CMainApp::InitInstance()
{
    DialogProgramServices program(SettingsForThisUser());
    MainDlgServices services;
    program.ServeDialog(services);
    CMainDlg dialog(nullptr, services);
    dialog.exec();
    return false;
}
