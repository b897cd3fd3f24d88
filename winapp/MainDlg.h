// The program's one window on Windows: the DOE-2 and results folders, the
// confirm check box, "&Process Results" (the whole posting job, timed, ending
// with one message) and "&Done", from the dialog template IDD_MAIN.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "DialogMessages.h"
#include "FileEditCtrl.h"
#include "MainDlgModel.h"
#include "RunThread.h"
#include "resource.h"

// What the dialog takes from outside: its model's services, and for its
// widgets null pointers standing for the real thing: the dialog's own
// message boxes and the shell's browsers.  The job runs on a thread of its
// own: the message boxes it is given are shown by the dialog's thread.
struct MainDlgServices : MainDlgModelServices {
    UserMessages *pMessages = nullptr;
    PathBrowser *pBrowser = nullptr;
};

class CMainDlg : private RunProgress, private MainDlgView {
public:
    // Loads the icons; the window is made by DoModal or Create, which fill
    // both fields and the check box as the model opens them.
    CMainDlg(HWND hParent, const MainDlgServices &services);
    CMainDlg(const CMainDlg &) = delete;
    CMainDlg &operator=(const CMainDlg &) = delete;
    ~CMainDlg() override;

    // Runs the dialog modally; IDOK or IDCANCEL as it was ended.
    INT_PTR DoModal();

    // The same dialog without a modal loop of its own, for a caller that
    // pumps the messages itself (tests, the screenshot); ending it hides it
    // and sets EndedWith().  Destroyed with this object.
    HWND Create();

    HWND GetSafeHwnd() const { return m_hWnd; }
    std::optional<INT_PTR> EndedWith() const { return m_endedWith; }

    // Binds both path fields in folder mode, then exchanges the fields and
    // the check box with the controls: with bSaveAndValidate the controls
    // are read, otherwise set.
    void UpdateData(bool bSaveAndValidate = true);

    // The model's press with the fields as they stand: the job on a thread
    // of its own while the dialog, disabled and under the wait cursor, is
    // kept alive.
    void OnProcessResults();

    CFileEditCtrl &Doe2PathEdit() { return m_doe2PathEdit; }
    CFileEditCtrl &ResultsPathEdit() { return m_resultsPathEdit; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT uMessage, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void DoDataExchange(CDataExchange &dx);
    bool OnCommand(UINT nId);
    bool OnSysCommand(UINT nId);
    void AppendAboutItem();
    bool OnPaint();
    void EndDialog(INT_PTR nResult);
    void ShowMessage(const std::string &strText) override;
    void ShowBusy(bool bBusy) override;
    int32_t RunJob(const std::function<int32_t()> &job) override;
    void WorkbookStarted(const std::string &strWorkbookPath) override;
    void RoundStarted(int32_t iRound, bool bPosting) override;

    HWND m_hParent;
    HWND m_hWnd = nullptr;
    bool m_bModal = false;
    std::optional<INT_PTR> m_endedWith;
    MainDlgFields m_fields;
    CFileEditCtrl m_doe2PathEdit;
    CFileEditCtrl m_resultsPathEdit;
    HICON m_hAppIcon;
    HICON m_hSmallIcon;
    DialogMessages m_ownMessages;
    UserMessages &m_messages;
    RunThreadMessages m_runMessages;
    PathBrowser *m_pBrowser;
    HCURSOR m_hCursorBeforeRun = nullptr;
    HWND m_hFocusBeforeRun = nullptr;
    bool m_bRunning = false;
    MainDlgModel m_model;  // its job made with the run's boxes above
};

// The system's wait cursor.  (Its id is a number, named in the narrow form.)
inline HCURSOR WaitCursor()
{
    return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
}

// The name message boxes carry: the program's file name without its
// extension ("gombrel").
std::string ApplicationName();
