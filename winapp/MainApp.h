// The application object of gombrel.exe: the main dialog over Excel and the
// DOE-2 result library, shown modally until the user closes it.
#pragma once

class CMainApp {
public:
    // Shows the dialog; false, as the program ends when the dialog closes.
    bool InitInstance();

private:
    void ShowDialog();
};
