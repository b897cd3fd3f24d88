// The application object: works out where the settings file lives, shows the
// main dialog modally and ends when it closes.
#pragma once

#include <QApplication>

class CMainApp : public QApplication {
public:
    // The application name is the program's file name, the caption of its
    // message boxes.
    CMainApp(int &argc, char **argv) : QApplication(argc, argv) {}

    // Runs the whole program with LibreOffice Calc and the DOE-2 result
    // library; always false, as nothing is left to do once the dialog has
    // closed.
    bool InitInstance();
};
