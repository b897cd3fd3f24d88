// gombrel: the dialog that posts DOE-2 results into the Standard 140
// workbooks.
#include "MainApp.h"

int main(int argc, char **argv)
{
    CMainApp application(argc, argv);
    application.InitInstance();
    return 0;
}
