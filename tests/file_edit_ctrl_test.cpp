#include <gtest/gtest.h>

#include "FileEditCtrl.h"
#include "QtTestApplication.h"

#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QStyleOptionFrame>
#include <QTest>
#include <QUrl>

#include <optional>
#include <string>
#include <vector>

namespace {

// Browsers that answer at once with what the test prepared and remember
// where they were asked to open.
class FakePathBrowser : public PathBrowser {
public:
    std::optional<std::string> BrowseForFolder(QWidget *, const std::string &strStartPath) override
    {
        ++nCalls;
        strLastStart = strStartPath;
        return folderAnswer;
    }

    std::vector<std::string> BrowseForFiles(CFECFileDialog &, const std::string &strStartPath) override
    {
        ++nCalls;
        strLastStart = strStartPath;
        return fileAnswer;
    }

    std::optional<std::string> folderAnswer;
    std::vector<std::string> fileAnswer;
    int nCalls = 0;
    std::string strLastStart;
};

const int kFieldId = 1001;

// A shown dialog-like parent holding one field attached as kFieldId, with an
// 18-pixel client area.
class FileEditCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pField = new CFileEditCtrl(&m_parent);
        m_pField->SetPathBrowser(m_browser);
        m_pField->CreateFileEdit(true, QRect(0, 0, 200, 18 + 2 * FrameWidth()), &m_parent, kFieldId);
        m_parent.resize(220, 40);
        m_parent.show();
    }

    int FrameWidth()
    {
        QStyleOptionFrame option;
        option.initFrom(m_pField);
        return m_pField->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, m_pField);
    }

    // Every entry path of the field, in order.
    std::vector<std::string> EntryPaths()
    {
        std::vector<std::string> paths;
        for (EntryPosition position = m_pField->GetFirstEntryPosition(); position;)
            paths.push_back(m_pField->GetNextEntryPath(position));
        return paths;
    }

    QPoint ButtonCentre() const { return m_pField->BrowseButtonRect().center(); }
    QPoint LeftOfButton() const { return QPoint(m_pField->BrowseButtonRect().left() - 20, 5); }

    QColor PixelAt(int nX, int nY) { return m_pField->grab().toImage().pixelColor(nX, nY); }

    void DropFiles(const QStringList &files)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &file : files)
            urls.push_back(QUrl::fromLocalFile(file));
        data.setUrls(urls);
        // A drop reaches the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_pField, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_pField, &drop);
    }

    QWidget m_parent;
    CFileEditCtrl *m_pField = nullptr;
    FakePathBrowser m_browser;
};

} // namespace

// The field's rules (entries, button place, dots and looks, texts of files)
// are tested in path_field_test; these tests check that the Qt field follows
// them.

// --- The text's entries

TEST_F(FileEditCtrlTest, ReparsesOnlyAfterTheTextChanged)
{
    m_pField->setText("/First");
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{"/First"});
    m_pField->setText("/Second");
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{"/Second"});
}

TEST_F(FileEditCtrlTest, SavingExchangeBringsTheEntriesUpToDate)
{
    m_pField->setText("/Saved");
    CDataExchange save{true};
    DDX_BrowseEdit(save, kFieldId, *m_pField, true);
    EntryPosition position = 0;
    EXPECT_EQ(m_pField->GetNextEntryPath(position), "/Saved");
}

TEST_F(FileEditCtrlTest, FirstExchangeAttachesInTheAskedMode)
{
    CFileEditCtrl field(&m_parent);
    CDataExchange load;
    EXPECT_FALSE(field.IsAttached());
    DDX_BrowseEdit(load, 1000, field, false);
    EXPECT_TRUE(field.IsAttached());
    EXPECT_EQ(field.ControlId(), 1000);
    EXPECT_FALSE(field.IsFolderMode());
    EXPECT_NE(field.FileDialog(), nullptr);
}

// --- Modes and the file dialog

TEST_F(FileEditCtrlTest, FileModeDialogIsTheOpenFileDialogOfItsOwner)
{
    ASSERT_TRUE(m_pField->SetFolderMode(false));
    CFECFileDialog *pDialog = m_pField->FileDialog();
    ASSERT_NE(pDialog, nullptr);
    EXPECT_EQ(pDialog->windowTitle(), "Browse for File");
    EXPECT_EQ(pDialog->labelText(QFileDialog::Accept), "OK");
    EXPECT_EQ(pDialog->selectedNameFilter(), "All Files (*.*)");
    EXPECT_EQ(pDialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_FALSE(pDialog->AllowsMultiSelect());
    pDialog->SetAllowMultiSelect(true);
    EXPECT_TRUE(pDialog->AllowsMultiSelect());
}

TEST_F(FileEditCtrlTest, FolderModeHasNoFileDialog)
{
    m_pField->SetFolderMode(false);
    ASSERT_TRUE(m_pField->SetFolderMode(true));
    EXPECT_TRUE(m_pField->IsFolderMode());
    EXPECT_EQ(m_pField->FileDialog(), nullptr);
}

// --- The button's area and looks

TEST_F(FileEditCtrlTest, ButtonIsOnePointTwoTimesAsWideAsTheClientIsHigh)
{
    QRect button = m_pField->BrowseButtonRect();
    EXPECT_EQ(button.height(), 18);
    EXPECT_EQ(button.width(), 21);
    EXPECT_EQ(button.right(), m_pField->width() - FrameWidth() - 1);
    EXPECT_EQ(m_pField->textMargins().right(), 21);
}

TEST_F(FileEditCtrlTest, ButtonFollowsTheFieldWhenResized)
{
    m_pField->resize(300, 10 + 2 * FrameWidth());
    QRect button = m_pField->BrowseButtonRect();
    EXPECT_EQ(button.width(), 12);
    EXPECT_EQ(button.right(), 300 - FrameWidth() - 1);
}

TEST_F(FileEditCtrlTest, RaisedButtonHasDotsInTheButtonTextColour)
{
    int nLeft = m_pField->BrowseButtonRect().left();
    QColor text = m_pField->palette().color(QPalette::Active, QPalette::ButtonText);
    for (int nDot = 0; nDot < 3; ++nDot)
        EXPECT_EQ(PixelAt(nLeft + 5 + 5 * nDot, 9), text) << "dot " << nDot;
    EXPECT_NE(PixelAt(nLeft + 8, 9), text);
}

TEST_F(FileEditCtrlTest, PushedButtonMovesTheDotsOnePixel)
{
    int nLeft = m_pField->BrowseButtonRect().left();
    QColor text = m_pField->palette().color(QPalette::Active, QPalette::ButtonText);
    QTest::mousePress(m_pField, Qt::LeftButton, Qt::NoModifier, ButtonCentre());
    EXPECT_EQ(m_pField->ButtonLook(), BrowseButton::kPushed);
    EXPECT_EQ(PixelAt(nLeft + 7, 11), text);
    EXPECT_NE(PixelAt(nLeft + 5, 9), text);
    QTest::mouseRelease(m_pField, Qt::LeftButton, Qt::NoModifier, LeftOfButton());
}

TEST_F(FileEditCtrlTest, DisabledFieldDrawsEngravedDotsWhateverIsAsked)
{
    int nLeft = m_pField->BrowseButtonRect().left();
    m_pField->setEnabled(false);
    EXPECT_EQ(m_pField->ButtonLook(), BrowseButton::kDisabled);
    QImage image = m_pField->grab().toImage();
    EXPECT_EQ(image.pixelColor(nLeft + 5, 9), m_pField->palette().color(QPalette::Disabled, QPalette::ButtonText));
    EXPECT_EQ(image.pixelColor(nLeft + 7, 11), m_pField->palette().color(QPalette::Light));
    m_pField->setEnabled(true);
    EXPECT_EQ(m_pField->ButtonLook(), BrowseButton::kRaised);
}

// --- Pressing, tracking and releasing the button

TEST_F(FileEditCtrlTest, PressOutAndBackInReleaseOpensTheBrowser)
{
    QTest::mousePress(m_pField, Qt::LeftButton, Qt::NoModifier, ButtonCentre());
    EXPECT_EQ(m_pField->ButtonLook(), BrowseButton::kPushed);
    QTest::mouseMove(m_pField, LeftOfButton());
    EXPECT_EQ(m_pField->ButtonLook(), BrowseButton::kRaised);
    EXPECT_EQ(m_browser.nCalls, 0);
    QTest::mouseMove(m_pField, ButtonCentre());
    EXPECT_EQ(m_pField->ButtonLook(), BrowseButton::kPushed);
    QTest::mouseRelease(m_pField, Qt::LeftButton, Qt::NoModifier, ButtonCentre());
    EXPECT_EQ(m_pField->ButtonLook(), BrowseButton::kRaised);
    EXPECT_EQ(m_browser.nCalls, 1);
}

TEST_F(FileEditCtrlTest, ClickInTheTextOpensNothing)
{
    QTest::mouseClick(m_pField, Qt::LeftButton, Qt::NoModifier, LeftOfButton());
    EXPECT_EQ(m_pField->ButtonLook(), BrowseButton::kRaised);
    EXPECT_EQ(m_browser.nCalls, 0);
}

TEST_F(FileEditCtrlTest, PointerIsAnArrowOverTheButtonOnly)
{
    QTest::mouseMove(m_pField, ButtonCentre());
    EXPECT_EQ(m_pField->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(m_pField, LeftOfButton());
    EXPECT_EQ(m_pField->cursor().shape(), Qt::IBeamCursor);
}

// --- Keyboard and focus

TEST_F(FileEditCtrlTest, CtrlPeriodOpensTheBrowser)
{
    QTest::keyClick(m_pField, Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(m_browser.nCalls, 1);
}

TEST_F(FileEditCtrlTest, CtrlKeypadDecimalOpensTheBrowser)
{
    QTest::keyClick(m_pField, Qt::Key_Period, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(m_browser.nCalls, 1);
}

TEST_F(FileEditCtrlTest, PeriodAloneTypesAPeriod)
{
    m_pField->setText("/Data");
    m_pField->setCursorPosition(5);
    QTest::keyClick(m_pField, Qt::Key_Period, Qt::NoModifier, -1);
    EXPECT_EQ(m_browser.nCalls, 0);
    EXPECT_EQ(m_pField->text(), "/Data.");
}

TEST_F(FileEditCtrlTest, FocusSelectsTheWholeText)
{
    m_pField->setText("/Data/Runs");
    m_pField->deselect();
    EXPECT_FALSE(m_pField->hasSelectedText());
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(m_pField, &focusIn);
    EXPECT_EQ(m_pField->selectedText(), "/Data/Runs");
}

// --- Browsing and the notification to the parent

TEST_F(FileEditCtrlTest, ChosenFolderBecomesTheTextAndIsAnnounced)
{
    QSignalSpy announced(m_pField, &CFileEditCtrl::BrowseChanged);
    m_pField->setText("/Old/Runs");
    m_browser.folderAnswer = "/New/Runs";
    m_pField->OnBrowseClicked();
    EXPECT_EQ(m_browser.strLastStart, "/Old/Runs");
    EXPECT_EQ(m_pField->text(), "/New/Runs");
    EXPECT_EQ(m_pField->selectedText(), "/New/Runs");
    EXPECT_EQ(announced.count(), 0) << "posted, not sent";
    QCoreApplication::processEvents();
    ASSERT_EQ(announced.count(), 1);
    EXPECT_EQ(announced.front().front().toInt(), kFieldId);
}

TEST_F(FileEditCtrlTest, CancelledBrowseKeepsTheTextAndAnnouncesNothing)
{
    QSignalSpy announced(m_pField, &CFileEditCtrl::BrowseChanged);
    m_pField->setText("/Old/Runs");
    m_pField->OnBrowseClicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_browser.nCalls, 1);
    EXPECT_EQ(m_pField->text(), "/Old/Runs");
    EXPECT_EQ(announced.count(), 0);
}

TEST_F(FileEditCtrlTest, EmptyTextOpensTheBrowserWithoutPreselection)
{
    m_pField->setText("  ");
    m_pField->OnBrowseClicked();
    EXPECT_EQ(m_browser.strLastStart, "");
}

TEST_F(FileEditCtrlTest, ChosenFilesBecomeFirstPathAndFurtherNames)
{
    m_pField->SetFolderMode(false);
    m_pField->FileDialog()->SetAllowMultiSelect(true);
    m_pField->setText("/Data/a.txt; b.txt");
    m_browser.fileAnswer = {"/Other/x.dat", "/Other/y.dat"};
    m_pField->OnBrowseClicked();
    EXPECT_EQ(m_browser.strLastStart, "/Data/a.txt");
    EXPECT_EQ(m_pField->text(), "/Other/x.dat; y.dat");
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{"/Other/x.dat", "/Other/y.dat"}));
}

TEST_F(FileEditCtrlTest, CancelledFileDialogKeepsTheText)
{
    m_pField->SetFolderMode(false);
    m_pField->setText("/Data/a.txt");
    m_pField->OnBrowseClicked();
    EXPECT_EQ(m_browser.nCalls, 1);
    EXPECT_EQ(m_pField->text(), "/Data/a.txt");
}

// --- Dropped files

TEST_F(FileEditCtrlTest, TakesNoDropsUnlessTurnedOn)
{
    m_pField->setText("/Kept");
    DropFiles({"/Data/one"});
    EXPECT_FALSE(m_pField->acceptDrops());
    EXPECT_EQ(m_pField->text(), "/Kept");
}

TEST_F(FileEditCtrlTest, FolderModeUsesOnlyTheFirstDroppedPath)
{
    m_pField->setAcceptDrops(true);
    DropFiles({"/Data/one", "/Data/two"});
    EXPECT_EQ(m_pField->text(), "/Data/one");
}

TEST_F(FileEditCtrlTest, MultipleSelectionUsesEveryDroppedPath)
{
    m_pField->SetFolderMode(false);
    m_pField->FileDialog()->SetAllowMultiSelect(true);
    m_pField->setAcceptDrops(true);
    DropFiles({"/Data/a.txt", "/Other/b.txt"});
    EXPECT_EQ(m_pField->text(), "/Data/a.txt; /Other/b.txt");
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{"/Data/a.txt", "/Other/b.txt"}));
}

TEST_F(FileEditCtrlTest, DropWithoutFilesLeavesTheText)
{
    m_pField->setText("/Kept");
    m_pField->setAcceptDrops(true);
    DropFiles({});
    EXPECT_EQ(m_pField->text(), "/Kept");
}
