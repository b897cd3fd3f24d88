#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "MemoryWorkbooks.h"
#include "RecordingMessages.h"
#include "ScratchFolder.h"

namespace {

// A workbook file with sheets "A" and "Sheet1" in a fresh temporary folder,
// and an in-memory application on it.
class MemorySpreadsheetTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile(m_strPath,
                       "gombrel-memory-workbook 1\nsheet\tA\ncell\tC65\tnumber\t2.5\ncell\tD1\ttext\thello\n"
                       "cell\tE2\terror\t#N/A\nsheet\tSheet1\n");
        m_application = MakeMemoryApplication(m_state);
    }

    std::unique_ptr<Worksheet> OpenSheet(const std::string &strName)
    {
        return m_application->GetWorkbooks()->Open(m_strPath)->GetWorksheets()->Item(strName);
    }

    ScratchFolder m_scratch;
    std::string m_strFolder = m_scratch.Path();
    std::string m_strPath = m_scratch / "Book.xls";
    std::shared_ptr<MemorySpreadsheet> m_state = std::make_shared<MemorySpreadsheet>();
    std::unique_ptr<Application> m_application;
};

}  // namespace

TEST(MemoryBook, SavesAndLoadsEveryKindOfCell)
{
    MemoryBook book;
    book.sheets.push_back({"Tab\twith\\odd\nname", {}});
    book.sheets[0].cells[{2, 3}] = {MemoryCell::Kind::Number, 0.1, ""};
    book.sheets[0].cells[{1, 1}] = {MemoryCell::Kind::Text, 0, "a\tb\\c\nd"};
    book.sheets[0].cells[{3, 1}] = {MemoryCell::Kind::Formula, 0, "= 1235 + D146"};
    book.sheets[0].cells[{4, 1}] = {MemoryCell::Kind::Text, 0, ""};
    const ScratchFolder folder;
    const std::string path = folder / "round_trip.xls";
    std::string failure;
    ASSERT_TRUE(SaveMemoryBook(path, book, failure)) << failure;

    MemoryBook loaded;
    ASSERT_TRUE(LoadMemoryBook(path, loaded, failure)) << failure;
    ASSERT_EQ(loaded.sheets.size(), 1u);
    EXPECT_EQ(loaded.sheets[0].strName, book.sheets[0].strName);
    const auto &cells = loaded.sheets[0].cells;
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells.at({2, 3}).dNumber, 0.1);
    EXPECT_EQ(cells.at({1, 1}).strText, "a\tb\\c\nd");
    EXPECT_EQ(cells.at({3, 1}).kind, MemoryCell::Kind::Formula);
    EXPECT_EQ(cells.at({4, 1}).strText, "");
}

TEST(MemoryBook, RefusesAMissingOrForeignFile)
{
    MemoryBook book;
    std::string failure;
    EXPECT_FALSE(LoadMemoryBook("/nonexistent/book.xls", book, failure));
    EXPECT_THAT(failure, testing::HasSubstr("cannot open"));

    const ScratchFolder folder;
    const std::string path = folder / "foreign.xls";
    for (const char *text : {"a,b,c\n1,2,3\n", "gombrel-memory-workbook 1\ncell\tA1\ttext\tno sheet\n",
                             "gombrel-memory-workbook 1\nsheet\tA\ncell\tA1\tnumber\tabc\n",
                             "gombrel-memory-workbook 1\nsheet\tA\ncell\tA0\ttext\tx\n"}) {
        WriteWholeFile(path, text);
        EXPECT_FALSE(LoadMemoryBook(path, book, failure)) << text;
    }
}

TEST(MemoryBook, ReportsAFileItCannotWrite)
{
    std::string failure;
    EXPECT_FALSE(SaveMemoryBook("/nonexistent/book.xls", MemoryBook(), failure));
    EXPECT_THAT(failure, testing::HasSubstr("cannot write"));
}

TEST_F(MemorySpreadsheetTest, ReadsNumbersTextsAndNoValue)
{
    auto sheet = OpenSheet("A");
    const CellValue number = sheet->GetRange("C65", "C65")->GetValue2();
    EXPECT_EQ(number.kind, CellValue::Kind::Number);
    EXPECT_EQ(number.dNumber, 2.5);
    const CellValue text = sheet->GetRange("D1", "D1")->GetValue2();
    EXPECT_EQ(text.kind, CellValue::Kind::Text);
    EXPECT_EQ(text.strText, "hello");
    EXPECT_EQ(sheet->GetRange("E2", "E2")->GetValue2().kind, CellValue::Kind::None);
    EXPECT_EQ(sheet->GetRange("Z99", "Z99")->GetValue2().kind, CellValue::Kind::None);
}

TEST_F(MemorySpreadsheetTest, StoresTextAsTypedInput)
{
    auto sheet = OpenSheet("A");
    sheet->GetRange("B1", "B1")->PutValue2(std::string(" 12.5 "));
    sheet->GetRange("B2", "B2")->PutValue2(std::string("= 1235 + D146"));
    sheet->GetRange("B3", "B3")->PutValue2(std::string("Jan"));
    sheet->GetRange("D1", "D1")->PutValue2(std::string(""));
    EXPECT_EQ(sheet->GetRange("B1", "B1")->GetValue2().dNumber, 12.5);
    EXPECT_EQ(sheet->GetRange("B2", "B2")->GetValue2().kind, CellValue::Kind::None);
    EXPECT_EQ(sheet->GetRange("B3", "B3")->GetValue2().strText, "Jan");
    EXPECT_EQ(sheet->GetRange("D1", "D1")->GetValue2().kind, CellValue::Kind::None);
}

TEST_F(MemorySpreadsheetTest, RefusesANumberThatIsNotFinite)
{
    auto range = OpenSheet("A")->GetRange("C65", "C65");
    EXPECT_THROW(range->PutValue2(std::nan("")), DispatchFailure);
    EXPECT_THROW(range->PutValue2(-HUGE_VAL), DispatchFailure);
    EXPECT_EQ(range->GetValue2().dNumber, 2.5);
}

TEST_F(MemorySpreadsheetTest, SaveWritesWhatWasPutAndCleared)
{
    auto workbook = m_application->GetWorkbooks()->Open(m_strPath);
    auto sheet = workbook->GetWorksheets()->Item("A");
    sheet->GetRange("C65", "C65")->PutValue2(2.0);
    sheet->GetRange("D1", "D1")->ClearContents();
    workbook->Save();
    EXPECT_EQ(ReadWholeFile(m_strPath),
              "gombrel-memory-workbook 1\nsheet\tA\ncell\tE2\terror\t#N/A\ncell\tC65\tnumber\t2\nsheet\tSheet1\n");
    EXPECT_EQ(m_state->Calls(SpreadsheetCall::PutValue2), 1);
    EXPECT_EQ(m_state->Calls(SpreadsheetCall::Save), 1);
}

TEST_F(MemorySpreadsheetTest, ReportsASaveThatCannotWrite)
{
    auto workbook = m_application->GetWorkbooks()->Open(m_strPath);
    ASSERT_TRUE(std::filesystem::remove(m_strPath));
    ASSERT_TRUE(std::filesystem::remove(m_strFolder));
    EXPECT_THROW(workbook->Save(), DispatchFailure);
}

TEST_F(MemorySpreadsheetTest, ReadOnlyWorkbookReadsButRefusesToSave)
{
    const std::string before = ReadWholeFile(m_strPath);
    auto workbook = m_application->GetWorkbooks()->OpenReadOnly(m_strPath);
    auto sheet = workbook->GetWorksheets()->Item("A");
    EXPECT_EQ(sheet->GetRange("C65", "C65")->GetValue2().dNumber, 2.5);
    sheet->GetRange("C65", "C65")->PutValue2(4.0);
    EXPECT_THROW(workbook->Save(), DispatchFailure);
    EXPECT_EQ(ReadWholeFile(m_strPath), before);
    EXPECT_EQ(m_state->Calls(SpreadsheetCall::OpenReadOnly), 1);
}

TEST_F(MemorySpreadsheetTest, LogsEveryCallInOrder)
{
    m_application->LibraryPath();
    m_application->RegisterXLL("/memory/library/Analysis/Analys32.xll");
    OpenSheet("A")->GetRange("C65", "C65")->PutValue2(-3.25);
    EXPECT_THAT(m_state->CallLog(),
                testing::ElementsAre("LibraryPath", "RegisterXLL /memory/library/Analysis/Analys32.xll", "Workbooks",
                                     "Open " + m_strPath, "Worksheets", "Item A", "Range C65:C65",
                                     "PutValue2 A!C65 = -3.25"));
}

TEST_F(MemorySpreadsheetTest, OpeningTheSameWorkbookAgainGivesTheOpenOne)
{
    OpenSheet("A")->GetRange("A1", "A1")->PutValue2(7.0);
    EXPECT_EQ(OpenSheet("A")->GetRange("A1", "A1")->GetValue2().dNumber, 7.0);
    ASSERT_NE(m_state->OpenBook(m_strPath), nullptr);
    EXPECT_EQ(m_state->OpenBook(m_strPath)->sheets[0].cells.size(), 4u);
}

TEST_F(MemorySpreadsheetTest, FindsASheetByNameIgnoringCase)
{
    EXPECT_NO_THROW(OpenSheet("sheet1"));
    EXPECT_THROW(OpenSheet("B"), DispatchFailure);
}

TEST_F(MemorySpreadsheetTest, RefusesAnInvalidOrWiderRange)
{
    auto sheet = OpenSheet("A");
    EXPECT_THROW(sheet->GetRange("C0", "C0"), DispatchFailure);
    EXPECT_THROW(sheet->GetRange("C65", "C66"), DispatchFailure);
}

TEST_F(MemorySpreadsheetTest, FailsToOpenAMissingOrForeignFile)
{
    auto workbooks = m_application->GetWorkbooks();
    EXPECT_THROW(workbooks->Open(m_strFolder + "/missing.xls"), DispatchFailure);
    WriteWholeFile(m_strFolder + "/text.xls", "just text\n");
    EXPECT_THROW(workbooks->Open(m_strFolder + "/text.xls"), DispatchFailure);
}

TEST_F(MemorySpreadsheetTest, InjectsTheChosenKindOnTheNthCall)
{
    struct Case {
        const char *pszName;
        InjectedKind kind;
        bool (*pIsKind)(const std::exception &);
    };
    const Case cases[] = {
        {"ole", InjectedKind::Ole, [](const std::exception &e) { return dynamic_cast<const OleFailure *>(&e) != nullptr; }},
        {"dispatch", InjectedKind::Dispatch,
         [](const std::exception &e) { return dynamic_cast<const DispatchFailure *>(&e) != nullptr; }},
        {"file", InjectedKind::File, [](const std::exception &e) { return dynamic_cast<const FileFailure *>(&e) != nullptr; }},
        {"other", InjectedKind::OtherAutomation,
         [](const std::exception &e) { return dynamic_cast<const AutomationFailure *>(&e) != nullptr; }},
        {"foreign", InjectedKind::Foreign,
         [](const std::exception &e) { return dynamic_cast<const AutomationFailure *>(&e) == nullptr; }},
    };
    for (const Case &c : cases) {
        auto state = std::make_shared<MemorySpreadsheet>();
        state->FailCall(SpreadsheetCall::LibraryPath, 2, {c.kind, 0x80004005u, 9, c.pszName});
        auto application = MakeMemoryApplication(state);
        EXPECT_NO_THROW(application->LibraryPath()) << c.pszName;
        try {
            application->LibraryPath();
            ADD_FAILURE() << c.pszName << " not thrown";
        } catch (const std::exception &failure) {
            EXPECT_TRUE(c.pIsKind(failure)) << c.pszName;
        }
        EXPECT_NO_THROW(application->LibraryPath()) << c.pszName;
        EXPECT_EQ(state->Calls(SpreadsheetCall::LibraryPath), 3) << c.pszName;
    }
}

TEST_F(MemorySpreadsheetTest, InjectedFailuresCarryTheirData)
{
    m_state->FailCall(SpreadsheetCall::PutValue2, 1, {InjectedKind::Dispatch, 0, 0x3ec, "Calc says no"});
    m_state->FailCall(SpreadsheetCall::Save, 1, {InjectedKind::Ole, 0x800706bau, 0, ""});
    auto workbook = m_application->GetWorkbooks()->Open(m_strPath);
    auto range = workbook->GetWorksheets()->Item("A")->GetRange("A1", "A1");
    try {
        range->PutValue2(1.0);
        ADD_FAILURE() << "put not refused";
    } catch (const DispatchFailure &failure) {
        EXPECT_EQ(failure.Code(), 0x3ec);
        EXPECT_EQ(failure.Description(), "Calc says no");
    }
    try {
        workbook->Save();
        ADD_FAILURE() << "save not refused";
    } catch (const OleFailure &failure) {
        EXPECT_EQ(failure.Status(), 0x800706bau);
    }
    EXPECT_EQ(m_state->OpenBook(m_strPath)->sheets[0].cells.count({1, 1}), 0u);
}

TEST_F(MemorySpreadsheetTest, HidesASheetAndRefusesAnOpen)
{
    m_state->HideSheet("Sheet1");
    EXPECT_THROW(OpenSheet("Sheet1"), DispatchFailure);
    EXPECT_NO_THROW(OpenSheet("A"));
    m_state->FailOpen(m_strPath);
    EXPECT_THROW(m_application->GetWorkbooks()->Open(m_strPath), DispatchFailure);
}

TEST_F(MemorySpreadsheetTest, MakesACellUnreadable)
{
    m_state->MakeCellUnreadable("A", "C65");
    auto sheet = OpenSheet("A");
    EXPECT_THROW(sheet->GetRange("C65", "C65")->GetValue2(), DispatchFailure);
    EXPECT_NO_THROW(sheet->GetRange("D1", "D1")->GetValue2());
}

TEST_F(MemorySpreadsheetTest, EveryCallAfterQuitFailsAsDisconnected)
{
    auto range = OpenSheet("A")->GetRange("C65", "C65");
    m_application->Quit();
    EXPECT_TRUE(m_state->HasQuit());
    try {
        range->GetValue2();
        ADD_FAILURE() << "call after quit succeeded";
    } catch (const OleFailure &failure) {
        EXPECT_EQ(failure.Status(), kStatusDisconnected);
    }
    DispatchHolder<Application> holder;
    holder.Attach(std::move(m_application));
    EXPECT_NO_THROW(EndApplication(holder));
}

TEST(MemoryLauncher, StartsAnApplicationOnTheSharedState)
{
    auto state = std::make_shared<MemorySpreadsheet>();
    MemoryLauncher launcher(state);
    RecordingMessages messages;
    DispatchHolder<Application> application;
    ASSERT_TRUE(launcher.StartApplication(application, messages));
    EXPECT_EQ(application->LibraryPath(), "/memory/library");
    EXPECT_EQ(state->Calls(SpreadsheetCall::LibraryPath), 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(MemoryLauncher, TellsWhenNotInstalledAndStaysSilentWhenNotStartable)
{
    RecordingMessages messages;
    DispatchHolder<Application> application;
    MemoryLauncher missing(std::make_shared<MemorySpreadsheet>(), MemoryLauncher::Outcome::NotInstalled);
    EXPECT_FALSE(missing.StartApplication(application, messages));
    EXPECT_THAT(messages.shown, testing::ElementsAre("Gombrel: Excel is not installed on this machine."));
    MemoryLauncher broken(std::make_shared<MemorySpreadsheet>(), MemoryLauncher::Outcome::NotStartable);
    EXPECT_FALSE(broken.StartApplication(application, messages));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(application.IsEmpty());
}
