// The program's one window: the DOE-2 and results folders, the confirm
// check box, "&Process Results" (the whole posting job, timed, ending with
// one message) and "&Done".
#pragma once

#include "DialogMessages.h"
#include "FileEditCtrl.h"
#include "InputBlocker.h"
#include "MainDlgModel.h"
#include "ModalRunner.h"
#include "PathBrowser.h"

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

// What the dialog takes from outside: its model's services, and for its
// widgets null pointers standing for the real thing: the dialog's own
// message boxes, the Qt browsers and real modal loops.  The job is made
// with the dialog's message boxes and its progress display (which keeps the
// window painted during the run).
struct MainDlgServices : MainDlgModelServices {
    UserMessages *pMessages = nullptr;
    PathBrowser *pBrowser = nullptr;
    ModalRunner *pModalRunner = nullptr;
};

class CMainDlg : public QDialog, private RunProgress, private MainDlgView {
public:
    // Lays the dialog out and fills both fields and the check box as the
    // model opens them.
    explicit CMainDlg(QWidget *pParent, const MainDlgServices &services);

    // Binds both path fields in folder mode, then exchanges the fields and
    // the check box with the controls: with bSaveAndValidate the controls
    // are read, otherwise set.
    void UpdateData(bool bSaveAndValidate = true);

    // The model's press with the fields as they stand.
    void OnProcessResults();

    // Opens the About box for ID_SYS_ABOUT (low four bits ignored).
    void OnSysCommand(unsigned nId);

    // The dialog's system menu: a separator and "&About Gombrel...".
    QMenu &SystemMenu() { return m_systemMenu; }

    CFileEditCtrl &Doe2PathEdit() { return m_doe2PathEdit; }
    CFileEditCtrl &ResultsPathEdit() { return m_resultsPathEdit; }
    QCheckBox &CheckPostedBox() { return *m_pCheckPosted; }

protected:
    void contextMenuEvent(QContextMenuEvent *pEvent) override;

private:
    void DoDataExchange(CDataExchange &dx);
    void CreateControls();
    void OnInitDialog();
    void AppendAboutItem();
    void ShowBusy(bool bBusy) override;
    int32_t RunJob(const std::function<int32_t()> &job) override;
    void ShowMessage(const std::string &strText) override;
    void KeepPainted();
    void WorkbookStarted(const std::string &strWorkbookPath) override;
    void RoundStarted(int32_t iRound, bool bPosting) override;

    MainDlgFields m_fields;
    CFileEditCtrl m_doe2PathEdit;
    CFileEditCtrl m_resultsPathEdit;
    QIcon m_hAppIcon;
    QCheckBox *m_pCheckPosted = nullptr;
    QMenu m_systemMenu;
    DialogMessages m_ownMessages;
    UserMessages &m_messages;
    ModalRunner &m_modalRunner;
    std::unique_ptr<InputBlocker> m_pInputBlocker;
    MainDlgModel m_model;  // its job made with the boxes and progress display above
};
