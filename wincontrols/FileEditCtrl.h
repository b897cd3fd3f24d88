// A single-line path field with a small "..." browse button drawn inside its
// own frame (the non-client area) at the right end.  The button (or
// Ctrl+Period) opens the shell's folder browser in folder mode or the
// open-file dialog in file mode and writes the choice back; the text can be
// parsed into absolute paths; the whole text is selected whenever the field
// gains the focus.  A native EDIT window, either created here or a dialog's
// own one taken over by DDX_BrowseEdit.
#pragma once

#include "BrowseButton.h"
#include "DataExchange.h"
#include "EntryList.h"
#include "FECFileDialog.h"
#include "PathBrowser.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <string>

class CFileEditCtrl {
public:
    // With bDeleteOnDestroy the object (made with new) deletes itself once
    // its window has received its last message.
    explicit CFileEditCtrl(bool bDeleteOnDestroy = false);
    CFileEditCtrl(const CFileEditCtrl &) = delete;
    CFileEditCtrl &operator=(const CFileEditCtrl &) = delete;
    // A window made by CreateFileEdit goes with the object; a dialog's own
    // edit window is only given back its own behaviour.
    virtual ~CFileEditCtrl();

    // Creates the field in hParent (if any) with those styles, rect and
    // control id, in folder or file mode, in the parent's font.  False when
    // the window cannot be created or the mode cannot be set up.
    virtual bool CreateFileEdit(bool bFolderMode, DWORD dwExStyle, DWORD dwStyle, const RECT &rect, HWND hParent,
                                UINT nId);

    // Turns folder mode on (the folder browser) or off (the file dialog).
    // False only when the settings cannot be allocated; the mode then stays
    // as it was.
    bool SetFolderMode(bool bFolderMode);

    // Parses the text again if it changed, then gives the first entry's
    // position; none when the text holds no entry.
    EntryPosition GetFirstEntryPosition();

    // The absolute path of the entry at position, which moves on to the next
    // entry, or to none after the last.
    std::string GetNextEntryPath(EntryPosition &position);

    // Opens the browser of the current mode, as the button does; a changed
    // text is announced to the parent by a posted WM_COMMAND (control id,
    // code 0, the field's window).
    void OnBrowseClicked();

    // The browsers to open from now on (the shell's unless replaced).
    void SetPathBrowser(PathBrowser &browser) { m_pBrowser = &browser; }

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The text in UTF-8; empty without a window.
    std::string GetWindowText() const;
    void SetWindowText(const std::string &strText);

    bool IsFolderMode() const { return m_bFolderMode; }
    // How the browse button was last drawn.
    BrowseButton::Look ButtonLook() const { return m_button.CurrentLook(); }
    // In window coordinates: the origin is the window's top-left outer corner.
    RECT BrowseButtonRect() const;
    // The file dialog of file mode; null in folder mode.
    CFECFileDialog *FileDialog() const { return m_pFileDialog.get(); }

    friend void DDX_BrowseEdit(CDataExchange &dx, int nId, CFileEditCtrl &rControl, bool bFolderMode);

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam, UINT_PTR uId,
                                         DWORD_PTR dwRefData);
    LRESULT HandleMessage(UINT uMessage, WPARAM wParam, LPARAM lParam);
    void AfterDefault(UINT uMessage, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT uMessage, WPARAM wParam, LPARAM lParam);

    bool Attach(HWND hWnd);
    void Detach();
    void OnDropFiles(HDROP hDrop);
    void OnKeyDown(WPARAM uKey);
    void OnLButtonUp(LPARAM lClientPoint);
    void OnMouseMove(LPARAM lClientPoint);
    LRESULT OnNcCalcSize(UINT uMessage, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(LPARAM lScreenPoint);
    void OnNcLButtonDown(LPARAM lScreenPoint);

    bool IsEnabled() const;
    void PaintButton(BrowseButton::Look look);
    void DrawButton();
    void PaintEllipsisDots(HDC hDC, COLORREF colour, int nOffset);
    bool BrowseForFolder();
    bool BrowseForFiles();
    std::string FirstEntryPath();
    void ReturnFocusAfterBrowse();
    void PostBrowseChanged();
    bool UsesMultipleFiles() const;

    bool m_bDeleteOnDestroy;
    bool m_bFolderMode = false;
    // Parsed again whenever the text differs from the last parse: the edit
    // window's change notification goes to the parent, never to the field,
    // and typing, pasting, cutting and undoing reach the window by too many
    // different messages to watch.
    ParsedEntryText m_entries;
    BrowseButton m_button;
    std::unique_ptr<BROWSEINFOW> m_pFolderBrowseInfo;
    std::unique_ptr<CFECFileDialog> m_pFileDialog;
    HWND m_hWnd = nullptr;
    bool m_bCreatedWindow = false;
    PathBrowser *m_pBrowser;
};

// Binds rControl to the dialog's edit control nId in folder or file mode on
// the first exchange (std::runtime_error when the dialog has no such control
// or it cannot be taken over); a later saving exchange brings its entry list
// up to date.  Never fails validation.
void DDX_BrowseEdit(CDataExchange &dx, int nId, CFileEditCtrl &rControl, bool bFolderMode);
