#include "MainDlg.h"

#include "AboutDlg.h"
#include "AppIcon.h"
#include "DialogUnits.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QPushButton>

namespace {

const char kDialogCaption[] = "Gombrel";
const char kAboutItem[] = "&About Gombrel...";
const char kDoe2PathLabel[] = "Path to DOE-2 Files:";
const char kResultsPathLabel[] = "Path to Simulation Results:";
const char kCheckPostedCaption[] = "Check to confirm all results successfully posted to XLS file(s)";

// A label for a field: left-aligned and centred vertically.
void AddFieldLabel(QWidget &dialog, const DialogBaseUnits &units, const char *pszText, const QRect &rcUnits)
{
    auto *pLabel = new QLabel(pszText, &dialog);
    pLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pLabel->setGeometry(MapDialogRect(units, rcUnits));
}

QPushButton *AddButton(QWidget &dialog, const DialogBaseUnits &units, const char *pszText, const QRect &rcUnits)
{
    auto *pButton = new QPushButton(pszText, &dialog);
    pButton->setGeometry(MapDialogRect(units, rcUnits));
    return pButton;
}

} // namespace

CMainDlg::CMainDlg(QWidget *pParent, const MainDlgServices &services)
    : QDialog(pParent),
      m_doe2PathEdit(this),
      m_resultsPathEdit(this),
      m_hAppIcon(LoadAppIcon()),
      m_systemMenu(this),
      m_ownMessages(this),
      m_messages(services.pMessages != nullptr ? *services.pMessages : m_ownMessages),
      m_modalRunner(services.pModalRunner != nullptr ? *services.pModalRunner : DefaultModalRunner()),
      m_model(services, *this, m_messages, *this)
{
    PathBrowser &browser = services.pBrowser != nullptr ? *services.pBrowser : DefaultPathBrowser();
    m_doe2PathEdit.SetPathBrowser(browser);
    m_resultsPathEdit.SetPathBrowser(browser);
    CreateControls();
    OnInitDialog();
}

// The controls at their template places, measured in the dialog's font.
void CMainDlg::CreateControls()
{
    setWindowTitle(kDialogCaption);
    setFont(TemplateFont("Verdana", 8));
    DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(MapDialogRect(units, QRect(0, 0, 395, 89)).size());

    m_doe2PathEdit.setGeometry(MapDialogRect(units, QRect(100, 8, 288, 12)));
    m_resultsPathEdit.setGeometry(MapDialogRect(units, QRect(100, 28, 288, 12)));

    QPushButton *pCancel = AddButton(*this, units, "Cancel", QRect(136, 68, 40, 16));
    pCancel->hide();
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton *pProcess = AddButton(*this, units, "&Process Results", QRect(276, 68, 68, 16));
    connect(pProcess, &QPushButton::clicked, this, &CMainDlg::OnProcessResults);
    QPushButton *pDone = AddButton(*this, units, "&Done", QRect(352, 68, 37, 16));
    pDone->setDefault(true);
    connect(pDone, &QPushButton::clicked, this, &CMainDlg::accept);

    AddFieldLabel(*this, units, kResultsPathLabel, QRect(8, 28, 92, 12));
    AddFieldLabel(*this, units, kDoe2PathLabel, QRect(8, 8, 92, 12));

    m_pCheckPosted = new QCheckBox(kCheckPostedCaption, this);
    m_pCheckPosted->setGeometry(MapDialogRect(units, QRect(100, 48, 216, 8)));

    setTabOrder(&m_doe2PathEdit, &m_resultsPathEdit);
    setTabOrder(&m_resultsPathEdit, pCancel);
    setTabOrder(pCancel, pProcess);
    setTabOrder(pProcess, pDone);
    setTabOrder(pDone, m_pCheckPosted);
}

void CMainDlg::OnInitDialog()
{
    AppendAboutItem();
    setWindowIcon(m_hAppIcon);
    m_fields = m_model.Open();
    UpdateData(false);
    m_doe2PathEdit.setFocus(Qt::TabFocusReason);
}

// The window system here offers programs no system menu, so the item lives
// in the dialog's context menu, and F1 opens the About box too.
void CMainDlg::AppendAboutItem()
{
    m_systemMenu.addSeparator();
    QAction *pAbout = m_systemMenu.addAction(kAboutItem);
    pAbout->setShortcut(QKeySequence(Qt::Key_F1));
    connect(pAbout, &QAction::triggered, this, [this] { OnSysCommand(ID_SYS_ABOUT); });
    addAction(pAbout);
}

void CMainDlg::contextMenuEvent(QContextMenuEvent *pEvent)
{
    m_systemMenu.popup(pEvent->globalPos());
}

void CMainDlg::OnSysCommand(unsigned nId)
{
    if ((nId & 0xFFF0) != ID_SYS_ABOUT)
        return;
    CAboutDlg about(this);
    m_modalRunner.RunModal(about);
}

void CMainDlg::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx{bSaveAndValidate};
    DoDataExchange(dx);
}

void CMainDlg::DoDataExchange(CDataExchange &dx)
{
    DDX_BrowseEdit(dx, IDC_DOE2_PATH, m_doe2PathEdit, true);
    DDX_BrowseEdit(dx, IDC_RESULTS_PATH, m_resultsPathEdit, true);
    if (dx.m_bSaveAndValidate) {
        m_fields = {m_doe2PathEdit.text().toStdString(), m_resultsPathEdit.text().toStdString(),
                    m_pCheckPosted->isChecked()};
        return;
    }
    m_doe2PathEdit.setText(QString::fromStdString(m_fields.strDoe2Path));
    m_resultsPathEdit.setText(QString::fromStdString(m_fields.strResultsPath));
    m_pCheckPosted->setChecked(m_fields.bCheckPosted);
}

void CMainDlg::OnProcessResults()
{
    UpdateData(true);
    m_model.ProcessResults(m_fields);
}

void CMainDlg::ShowMessage(const std::string &strText)
{
    m_messages.ShowMessage(QCoreApplication::applicationName().toStdString(), strText);
}

// The wait cursor over a dialog that takes no input until the run is over;
// what the user typed or clicked meanwhile is dropped.
void CMainDlg::ShowBusy(bool bBusy)
{
    if (bBusy) {
        m_pInputBlocker = std::make_unique<InputBlocker>(*this);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    QApplication::restoreOverrideCursor();
    m_pInputBlocker->DropWaitingInput();
    m_pInputBlocker.reset();
}

// On this thread, which the progress display keeps painting.
int32_t CMainDlg::RunJob(const std::function<int32_t()> &job)
{
    return job();
}

// Lets the window repaint and answer the window system between workbooks
// and rounds; clicks and keys stay blocked.
void CMainDlg::KeepPainted()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CMainDlg::WorkbookStarted(const std::string &)
{
    KeepPainted();
}

void CMainDlg::RoundStarted(int32_t, bool)
{
    KeepPainted();
}
