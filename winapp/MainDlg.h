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
#include "PostToSpreadsheet.h"
#include "RunCommand.h"
#include "RunThread.h"
#include "Settings.h"
#include "resource.h"

// The job the button runs, made with the dialog's message boxes and a
// progress display.  It runs on a thread of its own: the message boxes it
// is given are shown by the dialog's thread.
using ResultsJobFactory = std::function<ResultsJob(UserMessages &messages, RunProgress &progress)>;

// What the dialog takes from outside.  Null pointers stand for the real
// thing: the dialog's own message boxes, the shell's browsers and the steady
// clock.
struct MainDlgServices {
    ResultsJobFactory makeResultsJob;
    // Starts the spreadsheet application for the next run in the background
    // and returns at once (null: nothing is started ahead); called when the
    // dialog opens and after each run, unless the settings turn it off.
    std::function<void()> startSpreadsheetEarly;
    SettingsFile settings = SettingsForThisUser();
    UserMessages *pMessages = nullptr;
    PathBrowser *pBrowser = nullptr;
    Stopwatch *pClock = nullptr;
};

class CMainDlg : private RunProgress {
public:
    // Reads the stored confirm-posting choice (set unless stored as 0 or
    // less) and loads the icons; the window is made by DoModal or Create.
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

    // Exchanges the check box and binds both path fields in folder mode;
    // with bSaveAndValidate the controls are read into the members.
    bool UpdateData(bool bSaveAndValidate = true);

    // The run command: folder checks, settings saved, the timed job under
    // the wait cursor with the dialog disabled (the job on a thread of its
    // own, the window kept alive), one message at the end.
    void OnProcessResults();
    bool IsRunning() const { return m_bRunning; }

    CFileEditCtrl &Doe2PathEdit() { return m_doe2PathEdit; }
    CFileEditCtrl &ResultsPathEdit() { return m_resultsPathEdit; }
    bool IsCheckPosted() const { return m_bCheckPosted; }

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
    void ShowMessage(const std::string &strText);
    void ShowBusy(bool bBusy);
    int32_t RunJob(std::string &strErrorText, const std::string &strDoe2Path, const std::string &strResultsPath,
                   int32_t iCheckFlag);
    void StartSpreadsheetEarly();
    void WorkbookStarted(const std::string &strWorkbookPath) override;
    void RoundStarted(int32_t iRound, bool bPosting) override;

    HWND m_hParent;
    HWND m_hWnd = nullptr;
    bool m_bModal = false;
    std::optional<INT_PTR> m_endedWith;
    SettingsFile m_settings;
    bool m_bCheckPosted;
    CFileEditCtrl m_doe2PathEdit;
    CFileEditCtrl m_resultsPathEdit;
    HICON m_hAppIcon;
    HICON m_hSmallIcon;
    DialogMessages m_ownMessages;
    UserMessages &m_messages;
    RunThreadMessages m_runMessages;
    PathBrowser *m_pBrowser;
    SteadyStopwatch m_steadyClock;
    Stopwatch &m_clock;
    ResultsJob m_job;
    std::function<void()> m_startSpreadsheetEarly;
    HCURSOR m_hCursorBeforeRun = nullptr;
    HWND m_hFocusBeforeRun = nullptr;
    bool m_bRunning = false;
};

// The system's wait cursor.  (Its id is a number, named in the narrow form.)
inline HCURSOR WaitCursor()
{
    return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
}

// The name message boxes carry: the program's file name without its
// extension ("gombrel").
std::string ApplicationName();
