#include <gtest/gtest.h>

#include "DialogUnits.h"
#include "MainDlg.h"
#include "QtTestApplication.h"
#include "ScratchFolder.h"
#include "Settings.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct ShownMessage {
    std::string strCaption;
    std::string strText;
};

class RecordingMessages : public UserMessages {
public:
    void ShowMessage(const std::string &strCaption, const std::string &strText) override
    {
        shown.push_back({strCaption, strText});
    }
    bool AskRetry(const std::string &, const std::string &) override { return false; }

    std::vector<ShownMessage> shown;
};

// Records which dialogs would have opened, with the texts of their labels.
class RecordingModalRunner : public ModalRunner {
public:
    int RunModal(QDialog &dialog) override
    {
        captions.push_back(dialog.windowTitle().toStdString());
        for (QLabel *pLabel : dialog.findChildren<QLabel *>())
            labels.push_back(pLabel->text().toStdString());
        return QDialog::Accepted;
    }

    std::vector<std::string> captions;
    std::vector<std::string> labels;
};

class ManualClock : public Stopwatch {
public:
    std::chrono::nanoseconds Now() override { return now; }
    std::chrono::nanoseconds now{1000};
};

class NoBrowser : public PathBrowser {
public:
    std::optional<std::string> BrowseForFolder(QWidget *, const std::string &) override { return std::nullopt; }
    std::vector<std::string> BrowseForFiles(CFECFileDialog &, const std::string &) override { return {}; }
};

// What the stand-in for ProcessResults was given and saw, and what it does
// meanwhile.
struct JobScript {
    int nCalls = 0;
    std::string strDoe2Path;
    std::string strResultsPath;
    int32_t iCheckFlag = -1;
    bool bWaitCursorDuringRun = false;
    UserMessages *pMessages = nullptr;
    RunProgress *pProgress = nullptr;
    std::function<void()> duringRun;
};

class MainDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_scratch / "doe2");
        std::filesystem::create_directories(m_scratch / "results");
        std::ofstream(m_scratch / "file.txt") << "not a folder";
    }

    CMainDlg &Dialog()
    {
        if (!m_pDialog) {
            MainDlgServices services;
            services.settings = m_settings;
            services.makeResultsJob = [this](UserMessages &messages, RunProgress &progress) {
                m_job.pMessages = &messages;
                m_job.pProgress = &progress;
                return ResultsJob([this](std::string &strErrorText, const std::string &strDoe2,
                                         const std::string &strResults, int32_t iCheckFlag) {
                    return RunJob(strErrorText, strDoe2, strResults, iCheckFlag);
                });
            };
            services.startSpreadsheetEarly = [this] {
                m_earlyStarts.push_back("after " + std::to_string(m_job.nCalls) + " runs and " +
                                        std::to_string(m_messages.shown.size()) + " messages");
            };
            services.pMessages = &m_messages;
            services.pBrowser = &m_browser;
            services.pModalRunner = &m_runner;
            services.pClock = &m_clock;
            m_pDialog = std::make_unique<CMainDlg>(nullptr, services);
        }
        return *m_pDialog;
    }

    int32_t RunJob(std::string &, const std::string &strDoe2, const std::string &strResults,
                   int32_t iCheckFlag)
    {
        ++m_job.nCalls;
        m_job.strDoe2Path = strDoe2;
        m_job.strResultsPath = strResults;
        m_job.iCheckFlag = iCheckFlag;
        m_job.bWaitCursorDuringRun =
            QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        if (m_job.duringRun)
            m_job.duringRun();
        return 1;
    }

    // Runs the button with both valid folders typed in.
    std::string RunWithValidFolders()
    {
        Dialog().Doe2PathEdit().setText(QString::fromStdString(m_scratch / "doe2"));
        Dialog().ResultsPathEdit().setText(QString::fromStdString(m_scratch / "results"));
        Dialog().OnProcessResults();
        return LastMessage();
    }

    std::string LastMessage() const { return m_messages.shown.empty() ? "" : m_messages.shown.back().strText; }

    void Store(const std::string &strText) { std::ofstream(m_settings.Path()) << strText; }

    ScratchFolder m_scratch;
    SettingsFile m_settings{m_scratch / "gombrel.ini"};
    RecordingMessages m_messages;
    RecordingModalRunner m_runner;
    ManualClock m_clock;
    NoBrowser m_browser;
    JobScript m_job;
    std::vector<std::string> m_earlyStarts;  // when the dialog started the spreadsheet early
    std::unique_ptr<CMainDlg> m_pDialog;
};

QPushButton *ButtonNamed(QWidget &dialog, const QString &text)
{
    for (QPushButton *pButton : dialog.findChildren<QPushButton *>())
        if (pButton->text() == text)
            return pButton;
    return nullptr;
}

// Queues a left click in the middle of pWidget, as the window system would.
void PostClick(QWidget *pWidget)
{
    QPointF centre = QRectF(pWidget->rect()).center();
    QPointF global = pWidget->mapToGlobal(centre);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(pWidget, new QMouseEvent(type, centre, global, Qt::LeftButton,
                                                             type == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                              : Qt::NoButton,
                                                             Qt::NoModifier));
}

// The next widget in the focus chain that Tab can reach (hidden ones
// included, as the chain keeps them).
QWidget *NextTabStop(QWidget *pWidget)
{
    do
        pWidget = pWidget->nextInFocusChain();
    while (!(pWidget->focusPolicy() & Qt::TabFocus));
    return pWidget;
}


} // namespace

// --- The window as laid out

TEST_F(MainDlgTest, HasTheCaptionTheControlsAndTheirTexts)
{
    CMainDlg &dialog = Dialog();
    EXPECT_EQ(dialog.windowTitle(), "Gombrel");
    std::vector<QString> labels;
    for (QLabel *pLabel : dialog.findChildren<QLabel *>())
        labels.push_back(pLabel->text());
    EXPECT_EQ(labels, (std::vector<QString>{"Path to Simulation Results:", "Path to DOE-2 Files:"}));
    EXPECT_EQ(dialog.CheckPostedBox().text(), "Check to confirm all results successfully posted to XLS file(s)");
    ASSERT_NE(ButtonNamed(dialog, "&Process Results"), nullptr);
    ASSERT_NE(ButtonNamed(dialog, "&Done"), nullptr);
    EXPECT_TRUE(ButtonNamed(dialog, "&Done")->isDefault());
    ASSERT_NE(ButtonNamed(dialog, "Cancel"), nullptr);
    EXPECT_TRUE(ButtonNamed(dialog, "Cancel")->isHidden());
}

TEST_F(MainDlgTest, PlacesTheControlsInDialogUnitsOfItsFont)
{
    CMainDlg &dialog = Dialog();
    DialogBaseUnits units = BaseUnitsOf(dialog.font());
    EXPECT_EQ(dialog.size(), MapDialogRect(units, QRect(0, 0, 395, 89)).size());
    EXPECT_EQ(dialog.Doe2PathEdit().geometry(), MapDialogRect(units, QRect(100, 8, 288, 12)));
    EXPECT_EQ(dialog.ResultsPathEdit().geometry(), MapDialogRect(units, QRect(100, 28, 288, 12)));
    EXPECT_EQ(ButtonNamed(dialog, "&Done")->geometry(), MapDialogRect(units, QRect(352, 68, 37, 16)));
    EXPECT_EQ(dialog.CheckPostedBox().geometry(), MapDialogRect(units, QRect(100, 48, 216, 8)));
}

TEST_F(MainDlgTest, TabOrderRunsFromTheDoe2FieldToTheCheckBox)
{
    CMainDlg &dialog = Dialog();
    QWidget *pCancel = ButtonNamed(dialog, "Cancel");
    std::vector<QWidget *> expected = {&dialog.ResultsPathEdit(), pCancel, ButtonNamed(dialog, "&Process Results"),
                                       ButtonNamed(dialog, "&Done"), &dialog.CheckPostedBox()};
    QWidget *pWidget = &dialog.Doe2PathEdit();
    for (QWidget *pExpected : expected) {
        pWidget = NextTabStop(pWidget);
        EXPECT_EQ(pWidget, pExpected);
    }
}

TEST_F(MainDlgTest, BothFieldsBrowseForFoldersUnderTheirIds)
{
    CMainDlg &dialog = Dialog();
    EXPECT_TRUE(dialog.Doe2PathEdit().IsFolderMode());
    EXPECT_TRUE(dialog.ResultsPathEdit().IsFolderMode());
    EXPECT_EQ(dialog.Doe2PathEdit().ControlId(), IDC_DOE2_PATH);
    EXPECT_EQ(dialog.ResultsPathEdit().ControlId(), IDC_RESULTS_PATH);
    EXPECT_FALSE(dialog.Doe2PathEdit().acceptDrops());
}

// --- Start-up from the settings file

TEST_F(MainDlgTest, StartsWithTheFocusInTheDoe2Field)
{
    EXPECT_EQ(Dialog().focusWidget(), &Dialog().Doe2PathEdit());
}

TEST_F(MainDlgTest, FieldsAndBoxComeBackAsTheLastRunLeftThem)
{
    Store("[paths]\nLastDOE2Path=/opt/doe22/\nLastResultsPath=/data/Std140 Runs\n[preferences]\nCheckPostedValues=0\n");
    EXPECT_EQ(Dialog().Doe2PathEdit().text(), "/opt/doe22/");
    EXPECT_EQ(Dialog().ResultsPathEdit().text(), "/data/Std140 Runs");
    EXPECT_FALSE(Dialog().CheckPostedBox().isChecked());
}

TEST_F(MainDlgTest, NoSettingsFileGivesEmptyFieldsAndTheBoxSet)
{
    EXPECT_EQ(Dialog().Doe2PathEdit().text(), "");
    EXPECT_EQ(Dialog().ResultsPathEdit().text(), "");
    EXPECT_TRUE(Dialog().CheckPostedBox().isChecked());
    EXPECT_FALSE(std::filesystem::exists(m_settings.Path()));
}
// --- The folder checks

TEST_F(MainDlgTest, BothFieldsEmptyTellsOnlyOfTheDoe2PathAndSavesNothing)
{
    Dialog().OnProcessResults();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].strText, "ERROR:  DOE-2 path doesn't exist:\n   ");
    EXPECT_EQ(m_job.nCalls, 0);
    EXPECT_FALSE(std::filesystem::exists(m_settings.Path()));
}

// --- The run

TEST_F(MainDlgTest, RunGetsThePathsAsTypedAndTheCheckFlag)
{
    Dialog().CheckPostedBox().setChecked(false);
    RunWithValidFolders();
    ASSERT_EQ(m_job.nCalls, 1);
    EXPECT_EQ(m_job.strDoe2Path, m_scratch / "doe2");
    EXPECT_EQ(m_job.strResultsPath, m_scratch / "results");
    EXPECT_EQ(m_job.iCheckFlag, 0);
}

TEST_F(MainDlgTest, RunShowsTheWaitCursorOnlyWhileItLasts)
{
    RunWithValidFolders();
    EXPECT_TRUE(m_job.bWaitCursorDuringRun);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainDlgTest, WindowIsRepaintedBetweenWorkbooks)
{
    bool bPendingWorkDone = false;
    m_job.duringRun = [&] {
        QMetaObject::invokeMethod(&Dialog(), [&] { bPendingWorkDone = true; }, Qt::QueuedConnection);
        m_job.pProgress->WorkbookStarted("/data/Std140Sec5-2.xls");
        EXPECT_TRUE(bPendingWorkDone);
    };
    RunWithValidFolders();
    EXPECT_TRUE(bPendingWorkDone);
}

TEST_F(MainDlgTest, ClicksDuringTheRunAreDropped)
{
    Dialog().show();
    m_job.duringRun = [&] {
        PostClick(ButtonNamed(Dialog(), "&Process Results"));
        m_job.pProgress->RoundStarted(1, true);
    };
    RunWithValidFolders();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_job.nCalls, 1);
}

TEST_F(MainDlgTest, ClickAfterTheRunStartsAnotherRun)
{
    Dialog().show();
    RunWithValidFolders();
    PostClick(ButtonNamed(Dialog(), "&Process Results"));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_job.nCalls, 2);
}

TEST_F(MainDlgTest, JobUsesTheDialogsMessageBoxes)
{
    Dialog();
    EXPECT_EQ(m_job.pMessages, &m_messages);
}

TEST_F(MainDlgTest, FinalMessageCarriesTheApplicationNameAsCaption)
{
    RunWithValidFolders();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].strCaption, QCoreApplication::applicationName().toStdString());
}

TEST_F(MainDlgTest, SeveralRunsCanBeMadeBeforeClosing)
{
    RunWithValidFolders();
    RunWithValidFolders();
    EXPECT_EQ(m_job.nCalls, 2);
    EXPECT_EQ(m_messages.shown.size(), 2u);
}

// --- The spreadsheet application started before the button is pressed

// The rule of when is the model's; here only that the dialog's opening
// and its button reach it.
TEST_F(MainDlgTest, StartsTheSpreadsheetOnOpeningAndAfterTheRunBeforeItsMessage)
{
    Dialog();
    RunWithValidFolders();
    EXPECT_EQ(m_earlyStarts, (std::vector<std::string>{"after 0 runs and 0 messages", "after 1 runs and 0 messages"}));
}

// --- About box

TEST_F(MainDlgTest, SystemMenuHasTheAboutItemAfterASeparator)
{
    QList<QAction *> actions = Dialog().SystemMenu().actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), "&About Gombrel...");
    EXPECT_EQ(actions[1]->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(MainDlgTest, AboutItemShowsTheAboutBox)
{
    Dialog().SystemMenu().actions().at(1)->trigger();
    EXPECT_EQ(m_runner.captions, std::vector<std::string>{"About Gombrel"});
    EXPECT_NE(std::find(m_runner.labels.begin(), m_runner.labels.end(), "Gombrel Version 1.0"), m_runner.labels.end());
}

TEST_F(MainDlgTest, F1ShowsTheAboutBox)
{
    Dialog().show();
    QApplication::setActiveWindow(&Dialog());
    QTest::keyClick(&Dialog().Doe2PathEdit(), Qt::Key_F1);
    EXPECT_EQ(m_runner.captions, std::vector<std::string>{"About Gombrel"});
}

TEST_F(MainDlgTest, AboutCommandIgnoresTheLowFourBits)
{
    Dialog().OnSysCommand(ID_SYS_ABOUT | 0x000F);
    EXPECT_EQ(m_runner.captions.size(), 1u);
}

TEST_F(MainDlgTest, OtherSystemCommandsShowNoAboutBox)
{
    Dialog().OnSysCommand(0xF060);
    EXPECT_TRUE(m_runner.captions.empty());
}

// --- Closing

TEST_F(MainDlgTest, EnterClosesThroughDoneAndSavesNothing)
{
    Dialog().show();
    Dialog().Doe2PathEdit().setText(QString::fromStdString(m_scratch / "doe2"));
    QTest::keyClick(&Dialog(), Qt::Key_Return);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(Dialog().result(), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(m_settings.Path()));
}

TEST_F(MainDlgTest, CloseBoxClosesAsCancel)
{
    Dialog().show();
    Dialog().close();
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(Dialog().result(), QDialog::Rejected);
    EXPECT_FALSE(std::filesystem::exists(m_settings.Path()));
}

TEST_F(MainDlgTest, EscapeClosesAsCancelAndSavesNothing)
{
    Dialog().show();
    QTest::keyClick(&Dialog(), Qt::Key_Escape);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(Dialog().result(), QDialog::Rejected);
    EXPECT_FALSE(std::filesystem::exists(m_settings.Path()));
    EXPECT_EQ(m_job.nCalls, 0);
}
