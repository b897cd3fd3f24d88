// What a dialog program gives its dialog: the results job over the build's
// spreadsheet application and the DOE-2 result library, both kept from run
// to run, and the start of that application ahead of the next run.  The
// Qt dialog and the Windows one are wired the same way:
//     DialogProgramServices program(SettingsForThisUser());
//     MainDlgServices services;
//     program.ServeDialog(services);
//     CMainDlg dialog(nullptr, services);   // shown modally; program outlives it
#pragma once

#include <memory>
#include <optional>

#include "EarlyStartLauncher.h"
#include "MainDlgModel.h"
#include "PostToSpreadsheet.h"
#include "ProcessResults.h"
#include "ResultsRun.h"
#include "Settings.h"

class DialogProgramServices {
public:
    // settings: the file the dialog keeps its folders in, which also holds
    // the posting-log switch each pass asks for.
    explicit DialogProgramServices(SettingsFile settings);
    DialogProgramServices(const DialogProgramServices &) = delete;
    DialogProgramServices &operator=(const DialogProgramServices &) = delete;

    // Gives the dialog these settings, this program's job and its early
    // start; this object must outlive the dialog.
    void ServeDialog(MainDlgModelServices &services);

private:
    // ProcessResults with the dialog's message boxes and progress display.
    ResultsJob MakeResultsJob(UserMessages &messages, RunProgress &progress);

    SettingsFile m_settings;
    std::unique_ptr<SpreadsheetLauncher> m_pLauncher;
    EarlyStartLauncher m_early;  // ends an idle application when the program ends
    BoundResultLibrary m_library;
    std::optional<RunServices> m_runServices;
};
