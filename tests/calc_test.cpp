// These tests drive a real LibreOffice Calc.  One session serves most of
// them; the ones that kill or stop Calc start their own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "CalcProfile.h"
#include "CalcSessionDescription.h"
#include "CalcWorkbooks.h"
#include "ChildProcess.h"
#include "FailureReports.h"
#include "RecordingMessages.h"
#include "ScratchFolder.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Starts a Calc session into application; fails the test when it cannot.
void StartCalc(DispatchHolder<Application> &application, CalcOptions options = CalcOptions())
{
    RecordingMessages messages;
    ASSERT_TRUE(CalcLauncher(std::move(options)).StartApplication(application, messages));
    ASSERT_TRUE(messages.shown.empty());
}

CalcSessionInfo InfoOf(Application &application)
{
    CalcSessionInfo info;
    EXPECT_TRUE(DescribeCalcSession(application, info));
    return info;
}

// The serial number Calc gives January 4 of this year (days since
// 1899-12-30).
double SerialOfJanuaryFourth()
{
    const std::time_t now = std::time(nullptr);
    std::tm date{};
    date.tm_year = std::localtime(&now)->tm_year;
    date.tm_mday = 4;
    std::tm epoch{};
    epoch.tm_year = -1;
    epoch.tm_mon = 11;
    epoch.tm_mday = 30;
    return std::round(std::difftime(timegm(&date), timegm(&epoch)) / 86400.0);
}

// Starts a LibreOffice as a user would, on the default profile of home.
int StartUsersLibreOffice(const ScratchFolder &home)
{
    std::string failure;
    const int process = StartTiedChild({"/usr/lib/libreoffice/program/soffice.bin",
                                        {"--headless", "--invisible", "--norestore", "--nologo"},
                                        {"HOME=" + home.Path(), "TMPDIR=" + home.Path()},
                                        ""},
                                       failure);
    EXPECT_GT(process, 0) << failure;
    return process;
}

// Waits until the process listens on a local socket; false (with its exit
// code) when it ends first, or when a minute passes.
bool WaitUntilListening(int iProcessId, int &iExitCode)
{
    iExitCode = -1;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (LocalSocketPaths(iProcessId).empty())
        if (WaitForChild(iProcessId, 10ms, iExitCode) || std::chrono::steady_clock::now() >= deadline)
            return false;
    return true;
}

const std::vector<WorkbookSheet> kTestSheets = {
    {"A", {{"A1", "Test workbook"}, {"B2", "42"}}},
    {"Sheet1", {}},
};

// Sheet "A" of the test workbook made in folder, open in a Calc session of
// its own; null when Calc does not start.
std::unique_ptr<Worksheet> SheetInOwnSession(DispatchHolder<Application> &application, const ScratchFolder &folder)
{
    StartCalc(application);
    if (application.IsEmpty())
        return nullptr;
    CreateCalcWorkbook(*application, folder / "Book.xls", kTestSheets);
    return application->GetWorkbooks()->Open(folder / "Book.xls")->GetWorksheets()->Item("A");
}

// Kills the Calc process and waits until it has ended.
void KillCalc(int iProcessId)
{
    ASSERT_EQ(kill(iProcessId, SIGKILL), 0);
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(iProcessId, 10s, exitCode));
}

// One Calc session for the whole program, and a folder with a fresh copy
// of the test workbook for every test.
class CalcEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        const auto start = std::chrono::steady_clock::now();
        StartCalc(application);
        std::cout << "[ measure  ] Calc start-up: " << MillisecondsSince(start) << " ms\n";
    }
    void TearDown() override { EndApplication(application); }

    DispatchHolder<Application> application;
};

CalcEnvironment *g_pCalc = nullptr;

class CalcTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(g_pCalc->application.IsEmpty());
        CreateCalcWorkbook(*g_pCalc->application, m_strPath, kTestSheets);
    }

    Application &Calc() { return *g_pCalc->application; }
    std::unique_ptr<Workbook> OpenWorkbook() { return Calc().GetWorkbooks()->Open(m_strPath); }

    ScratchFolder m_folder;
    std::string m_strPath = m_folder / "Book.xls";
};

// The failure of kind Failure that call throws, or nothing.
template <class Failure, class F>
std::optional<Failure> CaughtFailure(F &&call)
{
    try {
        call();
    } catch (const Failure &failure) {
        return failure;
    }
    return std::nullopt;
}

}  // namespace

TEST_F(CalcTest, WritesEveryKindOfValueAndReadsItBack)
{
    auto sheet = OpenWorkbook()->GetWorksheets()->Item("A");
    sheet->GetRange("C65", "C65")->PutValue2(2.0);
    sheet->GetRange("D1", "D1")->PutValue2(std::string("Jan"));
    sheet->GetRange("D146", "D146")->PutValue2(5.5);
    sheet->GetRange("E1", "E1")->PutValue2(std::string("= 1235 + D146"));
    sheet->GetRange("F1", "F1")->PutValue2(std::string("1/4"));
    sheet->GetRange("G1", "G1")->PutValue2(std::string("12.5"));
    sheet->GetRange("H1", "H1")->PutValue2(std::string("=1/0"));

    const CellValue number = sheet->GetRange("C65", "C65")->GetValue2();
    EXPECT_EQ(number.kind, CellValue::Kind::Number);
    EXPECT_EQ(number.dNumber, 2.0);
    const CellValue text = sheet->GetRange("D1", "D1")->GetValue2();
    EXPECT_EQ(text.kind, CellValue::Kind::Text);
    EXPECT_EQ(text.strText, "Jan");
    EXPECT_EQ(sheet->GetRange("E1", "E1")->GetValue2().dNumber, 1240.5);
    const CellValue date = sheet->GetRange("F1", "F1")->GetValue2();
    EXPECT_EQ(date.kind, CellValue::Kind::Number);
    EXPECT_EQ(date.dNumber, SerialOfJanuaryFourth());
    EXPECT_EQ(sheet->GetRange("G1", "G1")->GetValue2().kind, CellValue::Kind::Number);
    EXPECT_EQ(sheet->GetRange("H1", "H1")->GetValue2().kind, CellValue::Kind::None);
    EXPECT_EQ(sheet->GetRange("Z999", "Z999")->GetValue2().kind, CellValue::Kind::None);
}

TEST_F(CalcTest, ClearsACellAndAnEmptyTextEmptiesIt)
{
    auto sheet = OpenWorkbook()->GetWorksheets()->Item("A");
    sheet->GetRange("A1", "A1")->ClearContents();
    sheet->GetRange("B2", "B2")->PutValue2(std::string(""));
    EXPECT_EQ(sheet->GetRange("A1", "A1")->GetValue2().kind, CellValue::Kind::None);
    EXPECT_EQ(sheet->GetRange("B2", "B2")->GetValue2().kind, CellValue::Kind::None);
}

TEST_F(CalcTest, SavesAsExcel97AndTheValuesSurviveAReopen)
{
    {
        auto workbook = OpenWorkbook();
        auto sheet = workbook->GetWorksheets()->Item("A");
        sheet->GetRange("C65", "C65")->PutValue2(-3.25);
        sheet->GetRange("E1", "E1")->PutValue2(std::string("= 1235 + C65"));
        sheet->GetRange("A1", "A1")->ClearContents();
        const auto start = std::chrono::steady_clock::now();
        workbook->Save();
        std::cout << "[ measure  ] save of a small workbook: " << MillisecondsSince(start) << " ms\n";
    }
    std::ifstream file(m_strPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));  // OLE2 compound file
    // Excel 97 (BIFF8) keeps its sheets in the stream "Workbook", older
    // formats in "Book"; directory names are UTF-16.
    EXPECT_NE(bytes.find(std::string("W\0o\0r\0k\0b\0o\0o\0k\0", 16)), std::string::npos);

    DispatchHolder<Application> second;
    StartCalc(second);
    auto sheet = second->GetWorkbooks()->Open(m_strPath)->GetWorksheets()->Item("A");
    EXPECT_EQ(sheet->GetRange("C65", "C65")->GetValue2().dNumber, -3.25);
    EXPECT_EQ(sheet->GetRange("E1", "E1")->GetValue2().dNumber, 1231.75);
    EXPECT_EQ(sheet->GetRange("A1", "A1")->GetValue2().kind, CellValue::Kind::None);
    EXPECT_EQ(sheet->GetRange("B2", "B2")->GetValue2().dNumber, 42.0);
    sheet.reset();
    EndApplication(second);
}

TEST_F(CalcTest, OpeningAnOpenWorkbookAgainGivesTheSameDocument)
{
    OpenWorkbook()->GetWorksheets()->Item("A")->GetRange("A5", "A5")->PutValue2(9.0);
    EXPECT_EQ(OpenWorkbook()->GetWorksheets()->Item("A")->GetRange("A5", "A5")->GetValue2().dNumber, 9.0);
}

// Closing between results runs: what was saved stays, what was only
// written (numbers kept back too) is dropped, and the workbook is free again.
TEST_F(CalcTest, CloseKeepsWhatWasSavedAndDropsTheRest)
{
    {
        auto workbook = OpenWorkbook();
        auto sheet = workbook->GetWorksheets()->Item("A");
        sheet->GetRange("C1", "C1")->PutValue2(1.5);
        workbook->Save();
        sheet->GetRange("C2", "C2")->PutValue2(2.5);
    }
    Calc().GetWorkbooks()->Close();
    EXPECT_FALSE(fs::exists(m_folder / ".~lock.Book.xls#"));
    auto sheet = OpenWorkbook()->GetWorksheets()->Item("A");
    EXPECT_EQ(sheet->GetRange("C1", "C1")->GetValue2().dNumber, 1.5);
    EXPECT_EQ(sheet->GetRange("C2", "C2")->GetValue2().kind, CellValue::Kind::None);
}

TEST_F(CalcTest, FindsSheetsIgnoringCaseAndRefusesAMissingOne)
{
    auto sheets = OpenWorkbook()->GetWorksheets();
    EXPECT_NO_THROW(sheets->Item("sheet1"));
    const auto failure = CaughtFailure<DispatchFailure>([&] { sheets->Item("B"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Code(), kApplicationErrorCode);
    EXPECT_THAT(failure->Description(), testing::HasSubstr("'B'"));
}

TEST_F(CalcTest, RefusesInvalidAddressesAndCellsAnXlsCannotKeep)
{
    auto sheet = OpenWorkbook()->GetWorksheets()->Item("A");
    for (const char *cell : {"", "C0", "1C", "IW1", "A65537", "XFD1"})
        EXPECT_THROW(sheet->GetRange(cell, cell), DispatchFailure) << cell;
    EXPECT_THROW(sheet->GetRange("C65", "C66"), DispatchFailure);
    EXPECT_NO_THROW(sheet->GetRange("IV65536", "IV65536"));
}

TEST_F(CalcTest, RefusesAMissingFile)
{
    const auto failure = CaughtFailure<DispatchFailure>([&] { Calc().GetWorkbooks()->Open(m_folder / "missing.xls"); });
    ASSERT_TRUE(failure);
    EXPECT_THAT(failure->Description(), testing::HasSubstr("missing.xls"));
}

TEST_F(CalcTest, RefusesATextFileNamedXls)
{
    std::ofstream(m_folder / "text.xls") << "a,b,c\n1,2,3\n";
    const auto failure = CaughtFailure<DispatchFailure>([&] { Calc().GetWorkbooks()->Open(m_folder / "text.xls"); });
    ASSERT_TRUE(failure);
    EXPECT_THAT(failure->Description(), testing::HasSubstr("is not a workbook"));
}

TEST_F(CalcTest, ReportsASaveThatCannotWrite)
{
    auto workbook = OpenWorkbook();
    fs::remove(m_strPath);
    fs::create_directory(m_strPath);  // a folder where the file was: no one can write it
    const auto failure = CaughtFailure<DispatchFailure>([&] { workbook->Save(); });
    ASSERT_TRUE(failure);
    EXPECT_THAT(failure->Description(), testing::HasSubstr("Cannot save"));
}

TEST_F(CalcTest, ReportsASaveToAReadOnlyFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser may write read-only files";
    auto workbook = OpenWorkbook();
    fs::permissions(m_strPath, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_THROW(workbook->Save(), DispatchFailure);
}

TEST_F(CalcTest, RefusesANumberThatIsNotFinite)
{
    auto range = OpenWorkbook()->GetWorksheets()->Item("A")->GetRange("B2", "B2");
    EXPECT_THROW(range->PutValue2(std::nan("")), DispatchFailure);
    EXPECT_THROW(range->PutValue2(HUGE_VAL), DispatchFailure);
    EXPECT_EQ(range->GetValue2().dNumber, 42.0);
}

TEST_F(CalcTest, ReleasesObjectsInThePassOrderAndReplacesThemInHolders)
{
    DispatchHolder<Workbooks> workbooks;
    DispatchHolder<Workbook> workbook;
    DispatchHolder<Worksheets> worksheets;
    DispatchHolder<Worksheet> worksheet;
    DispatchHolder<Range> range;
    workbooks.Attach(Calc().GetWorkbooks());
    workbook.Attach(workbooks->Open(m_strPath));
    worksheets.Attach(workbook->GetWorksheets());
    worksheet.Attach(worksheets->Item("A"));
    range.Attach(worksheet->GetRange("A1", "A1"));
    range.Attach(worksheet->GetRange("A2", "A2"));
    range->PutValue2(1.0);
    worksheet.Attach(worksheets->Item("Sheet1"));
    range.Attach(worksheet->GetRange("A2", "A2"));
    EXPECT_EQ(range->GetValue2().kind, CellValue::Kind::None);
    range.Release();
    worksheets.Release();
    workbooks.Release();
    worksheet.Release();
    workbook->Save();
    workbook.Release();
    EXPECT_EQ(OpenWorkbook()->GetWorksheets()->Item("A")->GetRange("A2", "A2")->GetValue2().dNumber, 1.0);
}

TEST_F(CalcTest, RegistersOnlyTheAnalysisAddIn)
{
    const std::string library = Calc().LibraryPath();
    EXPECT_TRUE(Calc().RegisterXLL(library + "\\Analysis\\Analys32.xll"));
    EXPECT_FALSE(Calc().RegisterXLL(library + "\\Analysis\\Other.xll"));
    EXPECT_FALSE(Calc().RegisterXLL(""));
}

TEST_F(CalcTest, WritesAndReadsManyCells)
{
    auto sheet = OpenWorkbook()->GetWorksheets()->Item("A");
    constexpr int kCells = 500;
    auto start = std::chrono::steady_clock::now();
    for (int row = 1; row <= kCells; ++row)
        sheet->GetRange("K" + std::to_string(row), "K" + std::to_string(row))->PutValue2(row * 0.5);
    const double writeMs = MillisecondsSince(start);
    start = std::chrono::steady_clock::now();
    double sum = 0;
    for (int row = 1; row <= kCells; ++row)
        sum += sheet->GetRange("K" + std::to_string(row), "K" + std::to_string(row))->GetValue2().dNumber;
    const double readMs = MillisecondsSince(start);
    EXPECT_EQ(sum, 0.5 * kCells * (kCells + 1) / 2);
    std::cout << "[ measure  ] per cell (range + Value2): write " << writeMs / kCells << " ms, read " << readMs / kCells
              << " ms\n";
}

// Reads of cells that nothing has changed since come from one read of the
// sheet; they must give what a read of each cell alone gives.
TEST_F(CalcTest, ReadsOfUnchangedCellsAgreeWithReadsOfEachCellAlone)
{
    struct Case {
        const char *pszCell;
        const char *pszTyped;  // nullptr: left empty
        CellValue::Kind kind;
        double dNumber;
        const char *pszText;
    };
    const Case cases[] = {
        {"A3", "7.25", CellValue::Kind::Number, 7.25, ""},
        {"B3", "Jan", CellValue::Kind::Text, 0, "Jan"},
        {"C3", "=A3*2", CellValue::Kind::Number, 14.5, ""},
        {"D3", "=B3&\"uary\"", CellValue::Kind::Text, 0, "January"},
        {"E3", "=1/0", CellValue::Kind::None, 0, ""},
        {"F3", "=\"\"", CellValue::Kind::Text, 0, ""},
        {"G3", nullptr, CellValue::Kind::None, 0, ""},
        {"H3", "=A3>1", CellValue::Kind::Number, 1, ""},
        {"I3", "1/4", CellValue::Kind::Number, SerialOfJanuaryFourth(), ""},
    };
    auto workbook = OpenWorkbook();
    auto sheet = workbook->GetWorksheets()->Item("A");
    std::vector<std::unique_ptr<Range>> ranges;
    for (const Case &c : cases) {
        ranges.push_back(sheet->GetRange(c.pszCell, c.pszCell));
        if (c.pszTyped)
            ranges.back()->PutValue2(std::string(c.pszTyped));
    }
    ranges.front()->GetValue2();  // a second read of the sheet reads it whole
    for (size_t i = 0; i < ranges.size(); ++i) {
        const Case &c = cases[i];
        const CellValue shared = ranges[i]->GetValue2();
        const CellValue alone = workbook->GetWorksheets()->Item("A")->GetRange(c.pszCell, c.pszCell)->GetValue2();
        EXPECT_EQ(shared.kind, c.kind) << c.pszCell;
        EXPECT_EQ(shared.dNumber, c.dNumber) << c.pszCell;
        EXPECT_EQ(shared.strText, c.pszText) << c.pszCell;
        EXPECT_EQ(alone.kind, shared.kind) << c.pszCell;
        EXPECT_EQ(alone.dNumber, shared.dNumber) << c.pszCell;
        EXPECT_EQ(alone.strText, shared.strText) << c.pszCell;
    }
}

TEST_F(CalcTest, EveryWriteIsSeenByTheReadsAfterIt)
{
    auto sheet = OpenWorkbook()->GetWorksheets()->Item("A");
    auto first = sheet->GetRange("A7", "A7");
    auto second = sheet->GetRange("B7", "B7");
    first->PutValue2(1.0);
    second->PutValue2(2.0);
    EXPECT_EQ(first->GetValue2().dNumber, 1.0);
    EXPECT_EQ(second->GetValue2().dNumber, 2.0);

    second->PutValue2(5.0);
    EXPECT_EQ(second->GetValue2().dNumber, 5.0);
    EXPECT_EQ(sheet->GetRange("B7", "B7")->GetValue2().dNumber, 5.0);
    first->PutValue2(std::string("text"));
    EXPECT_EQ(first->GetValue2().strText, "text");
    second->ClearContents();
    EXPECT_EQ(second->GetValue2().kind, CellValue::Kind::None);
}

// Numbers are made in Calc later than written, a column run at a time; a
// text or a clearing of the same cell written after a number must still win.
TEST_F(CalcTest, TheLastWriteOfACellWinsWhateverItsKind)
{
    auto workbook = OpenWorkbook();
    auto sheet = workbook->GetWorksheets()->Item("A");
    auto cell = [&](int iRow) { return sheet->GetRange("K" + std::to_string(iRow), "K" + std::to_string(iRow)); };
    for (int row = 1; row <= 6; ++row)
        cell(row)->PutValue2(row * 1.5);
    cell(3)->PutValue2(std::string("text"));
    cell(4)->ClearContents();
    cell(5)->PutValue2(std::string("=K1*2"));
    cell(6)->PutValue2(std::string("later"));
    cell(6)->PutValue2(7.5);

    EXPECT_EQ(cell(1)->GetValue2().dNumber, 1.5);
    EXPECT_EQ(cell(2)->GetValue2().dNumber, 3.0);
    EXPECT_EQ(cell(3)->GetValue2().strText, "text");
    EXPECT_EQ(cell(4)->GetValue2().kind, CellValue::Kind::None);
    EXPECT_EQ(cell(5)->GetValue2().dNumber, 3.0);
    EXPECT_EQ(cell(6)->GetValue2().dNumber, 7.5);
    workbook->Save();
    DispatchHolder<Application> second;
    StartCalc(second);
    ASSERT_FALSE(second.IsEmpty());
    auto saved = second->GetWorkbooks()->Open(m_strPath)->GetWorksheets()->Item("A");
    EXPECT_EQ(saved->GetRange("K2", "K2")->GetValue2().dNumber, 3.0);
    EXPECT_EQ(saved->GetRange("K3", "K3")->GetValue2().strText, "text");
    EXPECT_EQ(saved->GetRange("K6", "K6")->GetValue2().dNumber, 7.5);
    saved.reset();
    EndApplication(second);
}

// Numbers down a column are made in Calc in one piece, which would take
// the notes of the cells with it: a cell with a note keeps its note.
TEST_F(CalcTest, NumbersWrittenOverAndAroundANoteLeaveTheNote)
{
    const std::string note = "Gombrel keeps this note";
    CreateCalcWorkbook(Calc(), m_strPath, {{"A", {}, {{"K3", note}}}, {"Sheet1", {}}});
    auto workbook = OpenWorkbook();
    auto sheet = workbook->GetWorksheets()->Item("A");
    for (int row = 1; row <= 5; ++row)
        sheet->GetRange("K" + std::to_string(row), "K" + std::to_string(row))->PutValue2(row * 1.5);
    EXPECT_EQ(sheet->GetRange("K3", "K3")->GetValue2().dNumber, 4.5);
    EXPECT_EQ(sheet->GetRange("K5", "K5")->GetValue2().dNumber, 7.5);
    workbook->Save();

    std::ifstream file(m_strPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find(note), std::string::npos);
}

// Calc refuses to write a protected sheet's column in one piece, yet takes
// each cell (as Excel's Value2 would not, but as this Calc always has): the
// numbers still arrive, cell by cell.
TEST_F(CalcTest, NumbersOnAProtectedSheetStillArrive)
{
    CreateCalcWorkbook(Calc(), m_strPath, {{"A", {}, {}, true}, {"Sheet1", {}}});
    auto sheet = OpenWorkbook()->GetWorksheets()->Item("A");
    for (int row = 1; row <= 3; ++row)
        sheet->GetRange("K" + std::to_string(row), "K" + std::to_string(row))->PutValue2(row * 1.5);
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(sheet->GetRange("K" + std::to_string(row), "K" + std::to_string(row))->GetValue2().dNumber, row * 1.5)
            << row;
}

TEST_F(CalcTest, AFormulaReadsItsNewResultOnceACellItDependsOnChanges)
{
    auto sheets = OpenWorkbook()->GetWorksheets();
    auto sheet = sheets->Item("A");
    auto sameSheet = sheet->GetRange("C5", "C5");
    auto otherSheet = sheet->GetRange("B5", "B5");
    sheet->GetRange("B6", "B6")->PutValue2(1.0);
    sameSheet->PutValue2(std::string("=B6+1"));
    otherSheet->PutValue2(std::string("=$Sheet1.A1*2"));  // Calc's own reference syntax
    EXPECT_EQ(sameSheet->GetValue2().dNumber, 2.0);
    EXPECT_EQ(otherSheet->GetValue2().kind, CellValue::Kind::Number);
    EXPECT_EQ(otherSheet->GetValue2().dNumber, 0.0);

    sheets->Item("Sheet1")->GetRange("A1", "A1")->PutValue2(4.0);
    EXPECT_EQ(otherSheet->GetValue2().dNumber, 8.0);
    EXPECT_EQ(sameSheet->GetValue2().dNumber, 2.0);
    sheet->GetRange("B6", "B6")->PutValue2(10.0);
    EXPECT_EQ(sameSheet->GetValue2().dNumber, 11.0);
}

TEST(CalcSession, TheNextCallAfterCalcWasKilledFailsFastAsDisconnected)
{
    DispatchHolder<Application> application;
    ScratchFolder folder;
    auto sheet = SheetInOwnSession(application, folder);
    ASSERT_TRUE(sheet);
    const CalcSessionInfo info = InfoOf(*application);
    ASSERT_FALSE(info.socketPaths.empty());
    EXPECT_TRUE(fs::exists(folder / ".~lock.Book.xls#"));
    // Numbers written are kept back: what fails is the first call after
    // Calc has ended, so wait for that end.
    KillCalc(info.iProcessId);

    const auto start = std::chrono::steady_clock::now();
    const auto failure = CaughtFailure<OleFailure>([&] { sheet->GetRange("A1", "A1")->PutValue2(1.0); });
    ASSERT_TRUE(failure);
    std::cout << "[ measure  ] failure after kill: " << MillisecondsSince(start) << " ms\n";
    EXPECT_EQ(failure->Status(), kStatusDisconnected);
    EXPECT_THROW(application->GetWorkbooks(), OleFailure);
    sheet.reset();
    EndApplication(application);
    EXPECT_FALSE(ProcessExists(info.iProcessId));
    EXPECT_FALSE(fs::exists(info.strFolder));
    for (const std::string &socket : info.socketPaths)
        EXPECT_FALSE(fs::exists(socket)) << socket;
    EXPECT_FALSE(fs::exists(folder / ".~lock.Book.xls#"));
}

// Taking a cell and reading a value already read need not talk to Calc,
// yet both fail once Calc has ended.
TEST(CalcSession, CellsAndReadValuesOfACalcThatHasEndedFailAsDisconnected)
{
    DispatchHolder<Application> application;
    ScratchFolder folder;
    auto sheet = SheetInOwnSession(application, folder);
    ASSERT_TRUE(sheet);
    auto range = sheet->GetRange("B2", "B2");
    EXPECT_EQ(range->GetValue2().dNumber, 42.0);
    EXPECT_EQ(sheet->GetRange("A1", "A1")->GetValue2().strText, "Test workbook");
    KillCalc(InfoOf(*application).iProcessId);

    const auto taking = CaughtFailure<OleFailure>([&] { sheet->GetRange("C3", "C3"); });
    ASSERT_TRUE(taking);
    EXPECT_EQ(taking->Status(), kStatusDisconnected);
    const auto reading = CaughtFailure<OleFailure>([&] { range->GetValue2(); });
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->Status(), kStatusDisconnected);
    range.reset();
    sheet.reset();
    EndApplication(application);
}

// A Calc that dies after the last call, unnoticed, must not upset the end
// of the session: its documents cannot be closed, and that is no failure.
TEST(CalcSession, EndApplicationAfterCalcDiedUnnoticedLeavesNothingBehind)
{
    DispatchHolder<Application> application;
    ScratchFolder folder;
    auto sheet = SheetInOwnSession(application, folder);
    ASSERT_TRUE(sheet);
    const CalcSessionInfo info = InfoOf(*application);
    KillCalc(info.iProcessId);

    sheet.reset();
    EXPECT_NO_THROW(EndApplication(application));
    EXPECT_TRUE(application.IsEmpty());
    EXPECT_FALSE(fs::exists(info.strFolder));
    EXPECT_FALSE(fs::exists(folder / ".~lock.Book.xls#"));
}

TEST(CalcSession, AStoppedCalcIsKilledAtTheCallLimit)
{
    CalcOptions options;
    options.callLimit = 2s;
    DispatchHolder<Application> application;
    StartCalc(application, options);
    auto workbooks = application->GetWorkbooks();
    const CalcSessionInfo info = InfoOf(*application);
    ASSERT_EQ(kill(info.iProcessId, SIGSTOP), 0);
    ScratchFolder folder;
    std::ofstream(folder / "Book.xls") << "x";
    const auto failure = CaughtFailure<OleFailure>([&] { workbooks->Open(folder / "Book.xls"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Status(), kStatusDisconnected);
    workbooks.reset();
    EndApplication(application);
    EXPECT_FALSE(ProcessExists(info.iProcessId));
    EXPECT_FALSE(fs::exists(info.strFolder));
}

TEST(CalcSession, EndApplicationLeavesNoProcessAndNoFiles)
{
    DispatchHolder<Application> application;
    StartCalc(application);
    const CalcSessionInfo info = InfoOf(*application);
    EXPECT_TRUE(ProcessExists(info.iProcessId));
    EXPECT_TRUE(fs::exists(info.strFolder));
    for (const std::string &socket : info.socketPaths)
        EXPECT_TRUE(fs::exists(socket)) << socket;
    const auto start = std::chrono::steady_clock::now();
    EndApplication(application);
    std::cout << "[ measure  ] End Excel: " << MillisecondsSince(start) << " ms\n";
    EXPECT_TRUE(application.IsEmpty());
    EXPECT_FALSE(ProcessExists(info.iProcessId));
    EXPECT_FALSE(fs::exists(info.strFolder));
    for (const std::string &socket : info.socketPaths)
        EXPECT_FALSE(fs::exists(socket)) << socket;
}

TEST(CalcSession, LeavesAUsersLibreOfficeAlone)
{
    ScratchFolder home;
    int exitCode = 0;
    // The first start on a fresh default profile sets it up and exits asking
    // for a restart; the user would simply start it again.
    ASSERT_TRUE(WaitForChild(StartUsersLibreOffice(home), 60s, exitCode));
    ASSERT_EQ(exitCode, 81);
    const int running = StartUsersLibreOffice(home);
    ASSERT_TRUE(WaitUntilListening(running, exitCode)) << exitCode;

    DispatchHolder<Application> application;
    StartCalc(application);
    const CalcSessionInfo info = InfoOf(*application);
    EXPECT_NE(info.iProcessId, running);
    ScratchFolder folder;
    CreateCalcWorkbook(*application, folder / "Book.xls", kTestSheets);
    application->GetWorkbooks()->Open(folder / "Book.xls")->Save();
    EndApplication(application);

    EXPECT_TRUE(ProcessExists(running));
    EXPECT_FALSE(WaitForChild(running, 0ms, exitCode));
    const std::vector<std::string> userSockets = LocalSocketPaths(running);
    KillChild(running);
    WaitForChild(running, 10s, exitCode);
    for (const std::string &socket : userSockets)
        fs::remove(socket);
}

TEST(CalcSession, TypedInputDoesNotDependOnTheMachinesLanguage)
{
    const char *previous = std::getenv("LC_ALL");
    const std::string saved = previous ? previous : "";
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    DispatchHolder<Application> application;
    StartCalc(application);
    previous ? setenv("LC_ALL", saved.c_str(), 1) : unsetenv("LC_ALL");

    ScratchFolder folder;
    CreateCalcWorkbook(*application, folder / "Book.xls", kTestSheets);
    auto sheet = application->GetWorkbooks()->Open(folder / "Book.xls")->GetWorksheets()->Item("A");
    sheet->GetRange("A1", "A1")->PutValue2(std::string("1.5"));
    sheet->GetRange("A2", "A2")->PutValue2(std::string("1/4"));
    sheet->GetRange("A3", "A3")->PutValue2(std::string("=SUM(1.5,2)"));
    EXPECT_EQ(sheet->GetRange("A1", "A1")->GetValue2().dNumber, 1.5);
    EXPECT_EQ(sheet->GetRange("A2", "A2")->GetValue2().dNumber, SerialOfJanuaryFourth());
    EXPECT_EQ(sheet->GetRange("A3", "A3")->GetValue2().dNumber, 3.5);
    sheet.reset();
    EndApplication(application);
}

TEST_F(CalcTest, RefusesAWorkbookThatAnotherSessionHasOpen)
{
    OpenWorkbook();
    DispatchHolder<Application> second;
    StartCalc(second);
    const auto failure = CaughtFailure<DispatchFailure>([&] { second->GetWorkbooks()->Open(m_strPath); });
    ASSERT_TRUE(failure);
    EXPECT_THAT(failure->Description(), testing::HasSubstr("Book.xls"));
    EXPECT_THAT(failure->Description(), testing::HasSubstr("in use by someone else"));
    EndApplication(second);
}

TEST(CalcLauncher, SaysWhatIsMissingWhenLibreOfficeIsNotInstalled)
{
    CalcOptions options;
    options.strProgramFolder = "/nonexistent/libreoffice/program";
    RecordingMessages messages;
    DispatchHolder<Application> application;
    EXPECT_FALSE(CalcLauncher(options).StartApplication(application, messages));
    EXPECT_TRUE(application.IsEmpty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              "Gombrel: Excel is not installed on this machine.\nLibreOffice Calc was not found (no "
              "/nonexistent/libreoffice/program/soffice.bin); install the Debian package libreoffice-calc-nogui.");
}

TEST(CalcLauncher, OnlyCalcApplicationsCreateWorkbooksOrDescribeSessions)
{
    class OtherApplication : public Application {
        std::string LibraryPath() override { return ""; }
        bool RegisterXLL(const std::string &) override { return false; }
        std::unique_ptr<Workbooks> GetWorkbooks() override { return nullptr; }
        void Quit() override {}
    } other;
    CalcSessionInfo info;
    EXPECT_FALSE(DescribeCalcSession(other, info));
    EXPECT_THROW(CreateCalcWorkbook(other, "/tmp/never.xls", kTestSheets), DispatchFailure);
}

TEST_F(CalcTest, CreateWorkbookRefusesNoSheetsAndBadCells)
{
    EXPECT_THROW(CreateCalcWorkbook(Calc(), m_folder / "none.xls", {}), DispatchFailure);
    EXPECT_THROW(CreateCalcWorkbook(Calc(), m_folder / "bad.xls", {{"A", {{"IW1", "x"}}}}), DispatchFailure);
    EXPECT_THROW(CreateCalcWorkbook(Calc(), m_folder / "bad.xls", {{"A", {}, {{"A0", "note"}}}}), DispatchFailure);
    EXPECT_FALSE(fs::exists(m_folder / "none.xls"));
}

TEST(CalcProfile, PinsTheLocaleToUsEnglish)
{
    const std::string settings = CalcProfileSettings();
    EXPECT_THAT(settings, testing::HasSubstr("oor:name=\"ooSetupSystemLocale\" oor:op=\"fuse\"><value>en-US</value>"));
    EXPECT_THAT(settings, testing::HasSubstr("oor:name=\"ooLocale\" oor:op=\"fuse\"><value>en-US</value>"));
}

TEST(CalcProfile, SweepsSessionsOfEndedProgramsOnly)
{
    ScratchFolder parent;
    std::string failure;
    const int ended = StartTiedChild({"/bin/true", {}, {}, ""}, failure);
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(ended, 10s, exitCode));
    const std::string stale = parent / ("gombrel-calc-" + std::to_string(ended) + "-abcdef");
    fs::create_directories(stale + "/user");
    const std::string socket = parent / "stale-socket";
    std::ofstream(socket) << "";  // not a socket: must survive
    RecordSessionSockets(stale, {socket});
    std::ofstream(parent / ".~lock.Book.xls#") << ",user,host,user,07.12.2026 05:00,file://" << stale << ";";
    RecordSessionDocument(stale, parent / "Book.xls");
    std::string live;
    ASSERT_TRUE(MakeSessionFolder(parent.Path(), live, failure)) << failure;
    const std::string other = parent / "unrelated";
    fs::create_directories(other);

    SweepStaleSessions(parent.Path());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(parent / ".~lock.Book.xls#"));
    EXPECT_TRUE(fs::exists(socket));
    EXPECT_TRUE(fs::exists(live + "/user/registrymodifications.xcu"));
    EXPECT_TRUE(fs::exists(other));
}

TEST(CalcProfile, RemovesOnlyItsOwnLockFiles)
{
    ScratchFolder folder;
    std::ofstream(folder / ".~lock.Mine.xls#") << ",user,host,user,07.12.2026 05:00,file:///tmp/gombrel-calc-1-abc;";
    std::ofstream(folder / ".~lock.Theirs.xls#") << ",user,host,user,07.12.2026 05:00,file:///home/user/.config;";
    RemoveSessionLock("/tmp/gombrel-calc-1-abc", folder / "Mine.xls");
    RemoveSessionLock("/tmp/gombrel-calc-1-abc", folder / "Theirs.xls");
    EXPECT_FALSE(fs::exists(folder / ".~lock.Mine.xls#"));
    EXPECT_TRUE(fs::exists(folder / ".~lock.Theirs.xls#"));
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    g_pCalc = new CalcEnvironment;
    testing::AddGlobalTestEnvironment(g_pCalc);
    return RUN_ALL_TESTS();
}
