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

#include <filesystem>
#include <new>
#include <vector>

namespace {

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
    connect(this, &QLineEdit::textChanged, this, [this] { m_bTextDirty = true; });
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
    if (m_bTextDirty) {
        ParseEntries();
        m_bTextDirty = false;
    }
    return FirstEntryPosition(m_entryList);
}

std::string CFileEditCtrl::GetNextEntryPath(EntryPosition &position)
{
    return NextEntryPath(m_entryList, position);
}

void CFileEditCtrl::ParseEntries()
{
    m_entryList = ParseEntryText(text().toStdString(), UsesMultipleFiles());
}

bool CFileEditCtrl::UsesMultipleFiles() const
{
    return !m_bFolderMode && m_pFileDialog && m_pFileDialog->AllowsMultiSelect();
}

// The button takes the right end of the area inside the frame, 1.2 times as
// wide as that area is high (rounded down); the text stays left of it.
void CFileEditCtrl::RecalcButtonArea()
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    int nFrame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this) : 0;
    QRect rcClient = rect().adjusted(nFrame, nFrame, -nFrame, -nFrame);
    int nButtonWidth = rcClient.height() * 12 / 10;
    m_rcBrowseButton = QRect(rcClient.x() + rcClient.width() - nButtonWidth, rcClient.y(), nButtonWidth,
                             rcClient.height()).normalized();
    setTextMargins(0, 0, nButtonWidth, 0);
}

void CFileEditCtrl::resizeEvent(QResizeEvent *pEvent)
{
    QLineEdit::resizeEvent(pEvent);
    if (m_bAttached)
        RecalcButtonArea();
}

// Records the look to draw (always the disabled one while the field is
// disabled) and has the button repainted.
void CFileEditCtrl::PaintButton(int nLook)
{
    m_nButtonLook = isEnabled() ? nLook : kDisabled;
    update(m_rcBrowseButton);
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
    if (!isEnabled())
        m_nButtonLook = kDisabled;
    const QPalette &palette = this->palette();
    QColor face = palette.color(QPalette::Button);
    painter.save();
    painter.setBrush(face);
    if (m_nButtonLook == kPushed) {
        painter.setPen(palette.color(QPalette::Dark));
        painter.drawRect(m_rcBrowseButton.adjusted(0, 0, -1, -1));
        PaintEllipsisDots(painter, palette.color(QPalette::Active, QPalette::ButtonText), 1);
    } else {
        painter.setPen(face);
        painter.drawRect(m_rcBrowseButton.adjusted(0, 0, -1, -1));
        qDrawWinButton(&painter, m_rcBrowseButton, palette, false, nullptr);
        if (m_nButtonLook == kDisabled) {
            PaintEllipsisDots(painter, palette.color(QPalette::Light), 1);
            PaintEllipsisDots(painter, palette.color(QPalette::Disabled, QPalette::ButtonText), 0);
        } else {
            PaintEllipsisDots(painter, palette.color(QPalette::Active, QPalette::ButtonText), 0);
        }
    }
    painter.restore();
}

// Three dots centred in the button, q apart and d across (w the button's
// width): q = w / 4, d = w / 10, single pixels when d is below 2.  Their top
// is measured from the field's top edge, the one-pixel frame counted in.
void CFileEditCtrl::PaintEllipsisDots(QPainter &painter, const QColor &colour, int nOffset)
{
    int nWidth = m_rcBrowseButton.width();
    int nSpacing = nWidth / 4;
    int nDot = nWidth / 10;
    int nX = m_rcBrowseButton.left() + nWidth / 2 - nSpacing - (nWidth % 4 == 0 ? 1 : 0) + nOffset;
    int nY = m_rcBrowseButton.height() / 2 - nDot / 2 + 1 + nOffset;
    painter.setPen(colour);
    if (nDot < 2) {
        for (int i = 0; i < 3; ++i)
            painter.drawPoint(nX + i * nSpacing, nY);
        return;
    }
    painter.setBrush(colour);
    for (int i = 0; i < 3; ++i)
        painter.drawEllipse(QRect(nX + i * nSpacing, nY, nDot - 1, nDot - 1));
}

void CFileEditCtrl::mousePressEvent(QMouseEvent *pEvent)
{
    bool bOnButton = m_bAttached && pEvent->button() == Qt::LeftButton
                     && m_rcBrowseButton.contains(pEvent->position().toPoint());
    if (!bOnButton) {
        QLineEdit::mousePressEvent(pEvent);
        return;
    }
    m_bButtonTracking = true;
    setFocus(Qt::MouseFocusReason);
    PaintButton(kPushed);
}

void CFileEditCtrl::mouseMoveEvent(QMouseEvent *pEvent)
{
    bool bOnButton = m_bAttached && m_rcBrowseButton.contains(pEvent->position().toPoint());
    if (!m_bButtonTracking) {
        QLineEdit::mouseMoveEvent(pEvent);
        // Over the button the pointer is an arrow, as over any button.
        setCursor(bOnButton ? Qt::ArrowCursor : Qt::IBeamCursor);
        return;
    }
    int nLook = bOnButton ? kPushed : kRaised;
    if (m_nButtonLook != nLook)
        PaintButton(nLook);
}

void CFileEditCtrl::mouseReleaseEvent(QMouseEvent *pEvent)
{
    if (!m_bButtonTracking || pEvent->button() != Qt::LeftButton) {
        QLineEdit::mouseReleaseEvent(pEvent);
        return;
    }
    m_bButtonTracking = false;
    if (m_nButtonLook != kRaised)
        PaintButton(kRaised);
    if (m_rcBrowseButton.contains(pEvent->position().toPoint()))
        OnBrowseClicked();
}

// A double click on the button does nothing more than its first click did;
// elsewhere it selects a word as usual.
void CFileEditCtrl::mouseDoubleClickEvent(QMouseEvent *pEvent)
{
    if (m_bAttached && m_rcBrowseButton.contains(pEvent->position().toPoint()))
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
        PaintButton(isEnabled() ? kRaised : kDisabled);
}

void CFileEditCtrl::dragEnterEvent(QDragEnterEvent *pEvent)
{
    AcceptOnlyFiles(*pEvent);
}

void CFileEditCtrl::dragMoveEvent(QDragMoveEvent *pEvent)
{
    AcceptOnlyFiles(*pEvent);
}

// Dropped files become the text with their full paths, "; " between them;
// only the first counts in folder mode or without multiple selection.
void CFileEditCtrl::dropEvent(QDropEvent *pEvent)
{
    std::vector<std::string> files = DroppedFiles(pEvent->mimeData());
    if (files.empty()) {
        pEvent->ignore();
        return;
    }
    std::size_t nUsed = UsesMultipleFiles() ? files.size() : 1;
    std::string strText = files.front();
    for (std::size_t i = 1; i < nUsed; ++i)
        strText += "; " + files[i];
    pEvent->acceptProposedAction();
    setText(QString::fromStdString(strText));
}

void CFileEditCtrl::OnBrowseClicked()
{
    bool bChanged = m_bFolderMode ? BrowseForFolder() : BrowseForFiles();
    if (bChanged && parentWidget() != nullptr)
        PostBrowseChanged();
}

// The absolute path of the first entry, where the browsers open; empty when
// the text holds none.
std::string CFileEditCtrl::FirstEntryPath()
{
    EntryPosition position = GetFirstEntryPosition();
    return position ? GetNextEntryPath(position) : std::string();
}

bool CFileEditCtrl::BrowseForFolder()
{
    std::optional<std::string> folder = m_pBrowser->BrowseForFolder(this, FirstEntryPath());
    if (folder)
        setText(QString::fromStdString(*folder));
    ReturnFocusAfterBrowse();
    return folder.has_value();
}

// The first chosen file with its full path, then "; " and the file name of
// every further one (all come from the same folder).
bool CFileEditCtrl::BrowseForFiles()
{
    if (!m_pFileDialog)
        return false;
    std::vector<std::string> files = m_pBrowser->BrowseForFiles(*m_pFileDialog, FirstEntryPath());
    if (!files.empty()) {
        std::string strText = files.front();
        for (std::size_t i = 1; i < files.size(); ++i)
            strText += "; " + std::filesystem::path(files[i]).filename().string();
        setText(QString::fromStdString(strText));
    }
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
