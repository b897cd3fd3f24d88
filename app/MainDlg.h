// The program's one window: the DOE-2 and results folders, the confirm
// check box, "&Process Results" (the whole posting job, timed, ending with
// one message) and "&Done".
#pragma once

#include "DialogMessages.h"
#include "FileEditCtrl.h"
#include "InputBlocker.h"
#include "ModalRunner.h"
#include "PathBrowser.h"
#include "RunCommand.h"

#include <QCheckBox>
#include <QDialog>
#include <QIcon>
#include <QMenu>

#include <functional>
#include <memory>

class QContextMenuEvent;

// Control ids of the dialog.
enum MainDlgControlId {
    IDC_RESULTS_PATH = 1000,
    IDC_DOE2_PATH = 1001,
    IDC_PROCESS_RESULTS = 1002,
    IDC_CHECK_POSTED = 1003,
};

// The system-menu command that opens the About box.
constexpr unsigned ID_SYS_ABOUT = 0x0010;

// The job the button runs, made with the dialog's own message boxes and its
// progress display (which keeps the window painted during the run).
using ResultsJobFactory = std::function<ResultsJob(UserMessages &messages, RunProgress &progress)>;

// What the dialog takes from outside.  Null pointers stand for the real
// thing: the dialog's own message boxes, the Qt browsers, real modal loops
// and the steady clock.
struct MainDlgServices {
    ResultsJobFactory makeResultsJob;
    // Starts the spreadsheet application for the next run in the background
    // and returns at once (null: nothing is started ahead); called when the
    // dialog opens and after each run, unless the settings turn it off.
    std::function<void()> startSpreadsheetEarly;
    SettingsFile settings = SettingsForThisUser();
    UserMessages *pMessages = nullptr;
    PathBrowser *pBrowser = nullptr;
    ModalRunner *pModalRunner = nullptr;
    Stopwatch *pClock = nullptr;
};

class CMainDlg : public QDialog, private RunProgress {
public:
    // Reads the stored confirm-posting choice (set unless stored as 0 or
    // less), lays the dialog out and fills both fields from the settings.
    explicit CMainDlg(QWidget *pParent, const MainDlgServices &services);

    // Exchanges the check box and binds both path fields in folder mode;
    // with bSaveAndValidate the controls are read into the members.
    bool UpdateData(bool bSaveAndValidate = true);

    // The run command: folder checks, settings saved, the timed job under
    // the wait cursor, one message at the end.
    void OnProcessResults();

    // Opens the About box for ID_SYS_ABOUT (low four bits ignored).
    void OnSysCommand(unsigned nId);

    // The dialog's system menu: a separator and "&About Gombrel...".
    QMenu &SystemMenu() { return m_systemMenu; }

    CFileEditCtrl &Doe2PathEdit() { return m_doe2PathEdit; }
    CFileEditCtrl &ResultsPathEdit() { return m_resultsPathEdit; }
    QCheckBox &CheckPostedBox() { return *m_pCheckPosted; }
    bool IsCheckPosted() const { return m_bCheckPosted; }

    void accept() override;

protected:
    void contextMenuEvent(QContextMenuEvent *pEvent) override;

private:
    void DoDataExchange(CDataExchange &dx);
    void CreateControls();
    void SetTabOrder();
    void OnInitDialog();
    void AppendAboutItem();
    void ShowMessage(const std::string &strText);
    void ShowBusy(bool bBusy);
    void StartSpreadsheetEarly();
    void KeepPainted();
    void WorkbookStarted(const std::string &strWorkbookPath) override;
    void RoundStarted(int32_t iRound, bool bPosting) override;

    SettingsFile m_settings;
    bool m_bCheckPosted;
    CFileEditCtrl m_doe2PathEdit;
    CFileEditCtrl m_resultsPathEdit;
    QIcon m_hAppIcon;
    QCheckBox *m_pCheckPosted = nullptr;
    QMenu m_systemMenu;
    DialogMessages m_ownMessages;
    UserMessages &m_messages;
    ModalRunner &m_modalRunner;
    SteadyStopwatch m_steadyClock;
    Stopwatch &m_clock;
    ResultsJob m_job;
    std::function<void()> m_startSpreadsheetEarly;
    std::unique_ptr<InputBlocker> m_pInputBlocker;
};
