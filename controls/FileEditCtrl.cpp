#include "FileEditCtrl.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QUrl>
#include <qdrawutil.h>

#include <new>
#include <vector>

namespace {

QRect QRectOf(const PixelRect &rc)
{
    return QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

PixelPoint PixelPointOf(const QMouseEvent &event)
{
    const QPoint pt = event.position().toPoint();
    return {pt.x(), pt.y()};
}

// The local files among dropped data, in the order they were dropped.
std::vector<std::string> DroppedFiles(const QMimeData *pData)
{
    std::vector<std::string> files;
    if (pData == nullptr || !pData->hasUrls())
        return files;
    for (const QUrl &url : pData->urls())
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdString());
    return files;
}

// The browse shortcut: Ctrl with the period key or with the keypad's
// decimal key (which some layouts report as a comma).
bool IsBrowseShortcut(const QKeyEvent &event)
{
    if (!(event.modifiers() & Qt::ControlModifier))
        return false;
    bool bKeypad = event.modifiers() & Qt::KeypadModifier;
    return event.key() == Qt::Key_Period || (bKeypad && event.key() == Qt::Key_Comma);
}

// A drag is welcome only when it carries local files (no plain text).
void AcceptOnlyFiles(QDropEvent &event)
{
    if (DroppedFiles(event.mimeData()).empty())
        event.ignore();
    else
        event.acceptProposedAction();
}

} // namespace

CFileEditCtrl::CFileEditCtrl(QWidget *pParent)
    : QLineEdit(pParent), m_pBrowser(&DefaultPathBrowser())
{
    // Fields take dropped files only when their owner turns drops on.
    setAcceptDrops(false);
    setMouseTracking(true);
}

CFileEditCtrl::~CFileEditCtrl() = default;

bool CFileEditCtrl::CreateFileEdit(bool bFolderMode, const QRect &rect, QWidget *pParent, int nId)
{
    setParent(pParent);
    setGeometry(rect);
    if (pParent != nullptr)
        setFont(pParent->font());
    m_nControlId = nId;
    m_bAttached = true;
    RecalcButtonArea();
    return SetFolderMode(bFolderMode);
}

void CFileEditCtrl::Attach(int nId, bool bFolderMode)
{
    m_nControlId = nId;
    m_bAttached = true;
    RecalcButtonArea();
    SetFolderMode(bFolderMode);
}

bool CFileEditCtrl::SetFolderMode(bool bFolderMode)
{
    if (bFolderMode) {
        m_pFileDialog.reset();
    } else if (!m_pFileDialog) {
        m_pFileDialog.reset(new (std::nothrow) CFECFileDialog(this));
        if (!m_pFileDialog)
            return false;
    }
    m_bFolderMode = bFolderMode;
    return true;
}

EntryPosition CFileEditCtrl::GetFirstEntryPosition()
{
    return FirstEntryPosition(m_entries.Update(text().toStdString(), UsesMultipleFiles()));
}

std::string CFileEditCtrl::GetNextEntryPath(EntryPosition &position)
{
    return NextEntryPath(m_entries.List(), position);
}

bool CFileEditCtrl::UsesMultipleFiles() const
{
    return !m_bFolderMode && m_pFileDialog && m_pFileDialog->AllowsMultiSelect();
}

QRect CFileEditCtrl::BrowseButtonRect() const
{
    return QRectOf(m_button.Rect());
}

// The button takes the right end of the area inside the frame; the text
// stays left of it.
void CFileEditCtrl::RecalcButtonArea()
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    int nFrame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this) : 0;
    QRect rcClient = rect().adjusted(nFrame, nFrame, -nFrame, -nFrame);
    int nButtonWidth = m_button.Place(
        {rcClient.left(), rcClient.top(), rcClient.left() + rcClient.width(), rcClient.top() + rcClient.height()});
    setTextMargins(0, 0, nButtonWidth, 0);
}

void CFileEditCtrl::resizeEvent(QResizeEvent *pEvent)
{
    QLineEdit::resizeEvent(pEvent);
    if (m_bAttached)
        RecalcButtonArea();
}

// Records the look to draw and has the button repainted.
void CFileEditCtrl::PaintButton(BrowseButton::Look look)
{
    m_button.Show(look, isEnabled());
    update(BrowseButtonRect());
}

void CFileEditCtrl::paintEvent(QPaintEvent *pEvent)
{
    QLineEdit::paintEvent(pEvent);
    if (!m_bAttached)
        return;
    QPainter painter(this);
    DrawButton(painter);
}

// The button face in the recorded look: pushed is a flat face in a shadow
// outline; raised and disabled have a raised edge, disabled with engraved
// dots.
void CFileEditCtrl::DrawButton(QPainter &painter)
{
    const BrowseButton::Look look = m_button.Show(m_button.CurrentLook(), isEnabled());
    const QRect rcButton = BrowseButtonRect();
    const QPalette &palette = this->palette();
    QColor face = palette.color(QPalette::Button);
    painter.save();
    painter.setBrush(face);
    if (look == BrowseButton::kPushed) {
        painter.setPen(palette.color(QPalette::Dark));
        painter.drawRect(rcButton.adjusted(0, 0, -1, -1));
        PaintEllipsisDots(painter, palette.color(QPalette::Active, QPalette::ButtonText), 1);
    } else {
        painter.setPen(face);
        painter.drawRect(rcButton.adjusted(0, 0, -1, -1));
        qDrawWinButton(&painter, rcButton, palette, false, nullptr);
        if (look == BrowseButton::kDisabled) {
            PaintEllipsisDots(painter, palette.color(QPalette::Light), 1);
            PaintEllipsisDots(painter, palette.color(QPalette::Disabled, QPalette::ButtonText), 0);
        } else {
            PaintEllipsisDots(painter, palette.color(QPalette::Active, QPalette::ButtonText), 0);
        }
    }
    painter.restore();
}

void CFileEditCtrl::PaintEllipsisDots(QPainter &painter, const QColor &colour, int nOffset)
{
    const EllipsisDots dots = m_button.Dots(nOffset);
    painter.setPen(colour);
    if (dots.bSinglePixels) {
        for (const PixelRect &dot : dots.dots)
            painter.drawPoint(dot.left, dot.top);
        return;
    }
    // An ellipse drawn with a one-pixel pen covers its rectangle's right and
    // bottom edge too.
    painter.setBrush(colour);
    for (const PixelRect &dot : dots.dots)
        painter.drawEllipse(QRectOf(dot).adjusted(0, 0, -1, -1));
}

void CFileEditCtrl::mousePressEvent(QMouseEvent *pEvent)
{
    if (!m_bAttached || pEvent->button() != Qt::LeftButton || !m_button.Press(PixelPointOf(*pEvent), isEnabled())) {
        QLineEdit::mousePressEvent(pEvent);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    update(BrowseButtonRect());
}

void CFileEditCtrl::mouseMoveEvent(QMouseEvent *pEvent)
{
    if (!m_button.IsTracking()) {
        QLineEdit::mouseMoveEvent(pEvent);
        // Over the button the pointer is an arrow, as over any button.
        setCursor(m_button.Contains(PixelPointOf(*pEvent)) ? Qt::ArrowCursor : Qt::IBeamCursor);
        return;
    }
    if (m_button.Track(PixelPointOf(*pEvent), isEnabled()))
        update(BrowseButtonRect());
}

void CFileEditCtrl::mouseReleaseEvent(QMouseEvent *pEvent)
{
    if (!m_button.IsTracking() || pEvent->button() != Qt::LeftButton) {
        QLineEdit::mouseReleaseEvent(pEvent);
        return;
    }
    const BrowseButton::Release release = m_button.ReleaseAt(PixelPointOf(*pEvent), isEnabled());
    if (release.bRedraw)
        update(BrowseButtonRect());
    if (release.bBrowse)
        OnBrowseClicked();
}

// A double click on the button does nothing more than its first click did;
// elsewhere it selects a word as usual.
void CFileEditCtrl::mouseDoubleClickEvent(QMouseEvent *pEvent)
{
    if (m_bAttached && m_button.Contains(PixelPointOf(*pEvent)))
        return;
    QLineEdit::mouseDoubleClickEvent(pEvent);
}

void CFileEditCtrl::keyPressEvent(QKeyEvent *pEvent)
{
    if (m_bAttached && IsBrowseShortcut(*pEvent))
        OnBrowseClicked();
    QLineEdit::keyPressEvent(pEvent);
}

void CFileEditCtrl::focusInEvent(QFocusEvent *pEvent)
{
    QLineEdit::focusInEvent(pEvent);
    selectAll();
}

void CFileEditCtrl::changeEvent(QEvent *pEvent)
{
    QLineEdit::changeEvent(pEvent);
    if (pEvent->type() == QEvent::EnabledChange)
        PaintButton(isEnabled() ? BrowseButton::kRaised : BrowseButton::kDisabled);
}

void CFileEditCtrl::dragEnterEvent(QDragEnterEvent *pEvent)
{
    AcceptOnlyFiles(*pEvent);
}

void CFileEditCtrl::dragMoveEvent(QDragMoveEvent *pEvent)
{
    AcceptOnlyFiles(*pEvent);
}

void CFileEditCtrl::dropEvent(QDropEvent *pEvent)
{
    std::vector<std::string> files = DroppedFiles(pEvent->mimeData());
    if (files.empty()) {
        pEvent->ignore();
        return;
    }
    pEvent->acceptProposedAction();
    setText(QString::fromStdString(DroppedFilesText(files, UsesMultipleFiles())));
}

void CFileEditCtrl::OnBrowseClicked()
{
    bool bChanged = m_bFolderMode ? BrowseForFolder() : BrowseForFiles();
    if (bChanged && parentWidget() != nullptr)
        PostBrowseChanged();
}

// Where the browsers open: the first entry of the text as it is now.
std::string CFileEditCtrl::FirstEntryPath()
{
    GetFirstEntryPosition();
    return ::FirstEntryPath(m_entries.List());
}

bool CFileEditCtrl::BrowseForFolder()
{
    std::optional<std::string> folder = m_pBrowser->BrowseForFolder(this, FirstEntryPath());
    if (folder)
        setText(QString::fromStdString(*folder));
    ReturnFocusAfterBrowse();
    return folder.has_value();
}

bool CFileEditCtrl::BrowseForFiles()
{
    if (!m_pFileDialog)
        return false;
    std::vector<std::string> files = m_pBrowser->BrowseForFiles(*m_pFileDialog, FirstEntryPath());
    if (!files.empty())
        setText(QString::fromStdString(ChosenFilesText(files)));
    ReturnFocusAfterBrowse();
    return !files.empty();
}

// The field gets the focus back with its whole text selected, as whenever it
// gains the focus (it may never have lost it to a browser that did not open).
void CFileEditCtrl::ReturnFocusAfterBrowse()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

// Queued, like a posted message: the parent hears of the change after the
// browse has returned, and not at all if the field is gone by then.
void CFileEditCtrl::PostBrowseChanged()
{
    int nId = m_nControlId;
    QMetaObject::invokeMethod(this, [this, nId] { emit BrowseChanged(nId); }, Qt::QueuedConnection);
}

void DDX_BrowseEdit(CDataExchange &dx, int nId, CFileEditCtrl &rControl, bool bFolderMode)
{
    if (!rControl.IsAttached())
        rControl.Attach(nId, bFolderMode);
    else if (dx.m_bSaveAndValidate)
        rControl.GetFirstEntryPosition();
}
