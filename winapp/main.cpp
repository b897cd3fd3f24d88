// gombrel.exe: the dialog that posts DOE-2 results into the Standard 140
// workbooks.
#include <windows.h>

#include "MainApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CMainApp application;
    application.InitInstance();
    return 0;
}
