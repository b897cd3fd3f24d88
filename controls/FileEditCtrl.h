// A single-line path field with a small "..." browse button drawn inside its
// own frame at the right end.  The button (or Ctrl+Period) opens a folder
// browser in folder mode or the open-file dialog in file mode and writes the
// choice back; the text can be parsed into absolute paths; the whole text is
// selected whenever the field gains the focus.
#pragma once

#include "BrowseButton.h"
#include "DataExchange.h"
#include "EntryList.h"
#include "FECFileDialog.h"
#include "PathBrowser.h"

#include <QColor>
#include <QLineEdit>
#include <QRect>

#include <memory>
#include <string>

class QPainter;

class CFileEditCtrl : public QLineEdit {
    Q_OBJECT

public:
    explicit CFileEditCtrl(QWidget *pParent = nullptr);
    ~CFileEditCtrl() override;

    // Places the field in pParent at rect with control id nId, in folder or
    // file mode, in the parent's font.  False when the mode cannot be set up.
    virtual bool CreateFileEdit(bool bFolderMode, const QRect &rect, QWidget *pParent, int nId);

    // Turns folder mode on (a folder browser) or off (the file dialog).
    // False only when the file dialog cannot be allocated; the mode then
    // stays as it was.
    bool SetFolderMode(bool bFolderMode);

    // Parses the text again if it changed, then gives the first entry's
    // position; none when the text holds no entry.
    EntryPosition GetFirstEntryPosition();

    // The absolute path of the entry at position, which moves on to the next
    // entry, or to none after the last.
    std::string GetNextEntryPath(EntryPosition &position);

    // Opens the browser of the current mode, as the button does.
    void OnBrowseClicked();

    // The browsers to open from now on (the Qt dialogs unless replaced).
    void SetPathBrowser(PathBrowser &browser) { m_pBrowser = &browser; }

    bool IsFolderMode() const { return m_bFolderMode; }
    bool IsAttached() const { return m_bAttached; }
    int ControlId() const { return m_nControlId; }
    // How the browse button was last drawn.
    BrowseButton::Look ButtonLook() const { return m_button.CurrentLook(); }
    QRect BrowseButtonRect() const;
    // The file dialog of file mode; null in folder mode.
    CFECFileDialog *FileDialog() const { return m_pFileDialog.get(); }

    friend void DDX_BrowseEdit(CDataExchange &dx, int nId, CFileEditCtrl &rControl, bool bFolderMode);

signals:
    // A browse changed the text; posted to the parent, so it arrives once
    // the browse has returned.
    void BrowseChanged(int nControlId);

protected:
    void resizeEvent(QResizeEvent *pEvent) override;
    void paintEvent(QPaintEvent *pEvent) override;
    void mousePressEvent(QMouseEvent *pEvent) override;
    void mouseMoveEvent(QMouseEvent *pEvent) override;
    void mouseReleaseEvent(QMouseEvent *pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent *pEvent) override;
    void keyPressEvent(QKeyEvent *pEvent) override;
    void focusInEvent(QFocusEvent *pEvent) override;
    void changeEvent(QEvent *pEvent) override;
    void dragEnterEvent(QDragEnterEvent *pEvent) override;
    void dragMoveEvent(QDragMoveEvent *pEvent) override;
    void dropEvent(QDropEvent *pEvent) override;

private:
    void Attach(int nId, bool bFolderMode);
    void RecalcButtonArea();
    void PaintButton(BrowseButton::Look look);
    void DrawButton(QPainter &painter);
    void PaintEllipsisDots(QPainter &painter, const QColor &colour, int nOffset);
    bool BrowseForFolder();
    bool BrowseForFiles();
    std::string FirstEntryPath();
    void ReturnFocusAfterBrowse();
    void PostBrowseChanged();
    bool UsesMultipleFiles() const;

    bool m_bFolderMode = false;
    ParsedEntryText m_entries;
    BrowseButton m_button;
    std::unique_ptr<CFECFileDialog> m_pFileDialog;
    bool m_bAttached = false;
    int m_nControlId = 0;
    PathBrowser *m_pBrowser;
};

// Binds rControl to the dialog as control nId in folder or file mode on the
// first exchange; a later saving exchange brings its entry list up to date.
// Never fails validation.
void DDX_BrowseEdit(CDataExchange &dx, int nId, CFileEditCtrl &rControl, bool bFolderMode);
