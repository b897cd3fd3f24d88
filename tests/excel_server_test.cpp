// Excel's automation against Excel in a process of its own: the stand-in
// (excel-standin.exe) registered as "Excel.Application", created by Start
// Excel through COM as the real application is, every call crossing the
// process boundary.  A pass over a small workbook, read back from the saved
// file, with the application as users meet it: busy, asking questions
// nobody sees, missing a sheet, hanging.  (Whole runs, and dates read by a
// machine's regional settings, are win_excel_server_exe_test's.)
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <regex>
#include <thread>

#include "ExcelLauncher.h"
#include "ExcelStandIn.h"
#include "MemoryBook.h"
#include "PassTestSupport.h"
#include "PostedCells.h"
#include "ScratchFolder.h"

namespace {

using namespace std::chrono_literals;

void NoPause(int) {}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs job on a thread of its own; false when it has not ended within the
// deadline, after ending every stand-in so that the job comes back.
bool EndsWithin(std::chrono::seconds deadline, const std::function<void()> &job)
{
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread worker([&] {
        job();
        done.set_value();
    });
    const bool bInTime = finished.wait_for(deadline) == std::future_status::ready;
    if (!bInTime)
        EndStandIns();
    worker.join();
    return bInTime;
}

// The one stand-in process running, opened to learn how it ended.
class StandInProcess {
public:
    StandInProcess()
    {
        const std::vector<DWORD> running = StandInProcesses();
        if (running.size() == 1)
            m_hProcess = OpenStandIn(running.front(), SYNCHRONIZE);
    }
    StandInProcess(const StandInProcess &) = delete;
    StandInProcess &operator=(const StandInProcess &) = delete;
    ~StandInProcess()
    {
        if (m_hProcess != nullptr)
            CloseHandle(m_hProcess);
    }

    bool Found() const { return m_hProcess != nullptr; }
    // Its exit code once it has ended within the deadline, else STILL_ACTIVE.
    DWORD ExitCode(std::chrono::milliseconds deadline) const
    {
        DWORD dwCode = STILL_ACTIVE;
        if (WaitForSingleObject(m_hProcess, static_cast<DWORD>(deadline.count())) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_hProcess, &dwCode);
        return dwCode;
    }

private:
    HANDLE m_hProcess = nullptr;
};

// Every test starts with no stand-in running and none registered, and
// leaves it so.
class StandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EndStandIns();
        StandInRegistration::Unregister();
    }
    void TearDown() override
    {
        EXPECT_TRUE(NoStandInRunsWithin(10s)) << "a stand-in was left running";
        EndStandIns();
    }
};

// ---- one pass over a small workbook --------------------------------------

const char kBookText[] = "gombrel-memory-workbook 1\nsheet\tA\ncell\tC65\tnumber\t1\n";

// A pass over Book.xls (sheet A, cell C65 holding 1), its table given, with
// every result 2.5, through Excel started by the launcher.
class StandInPass : public StandInTest {
protected:
    void SetUp() override
    {
        StandInTest::SetUp();
        WriteWholeFile(m_strBook, kBookText);
        m_library.fValue = 2.5f;
    }

    // Starts Excel with the switches, runs the pass and ends Excel, all
    // within the deadline (false otherwise).  The stand-in's process is
    // taken as soon as it runs.
    bool RunPass(const std::string &strSwitches, const std::vector<GombrelData> &table,
                 ExcelCallLimits limits = ExcelCallLimits())
    {
        StandInRegistration registration(strSwitches);
        EXPECT_TRUE(registration.IsRegistered());
        ExcelLauncher launcher(ExcelStartSteps(), limits);
        const auto start = std::chrono::steady_clock::now();
        const bool bEnded = EndsWithin(90s, [&] {
            DispatchHolder<Application> application;
            if (!launcher.StartApplication(application, m_user))
                return;
            m_standIn = std::make_unique<StandInProcess>();
            PassServices services{m_user};
            ResultAccess access(&m_library, NoPause);
            std::vector<GombrelData> items = table;
            items.push_back(kDefaultGombrelData);
            std::string errorText;
            m_iCount = PostToSpreadsheet(*application, PassRequest(m_scratch.Path(), m_strBook, items.data(), 1, 0),
                                         access, errorText, services);
            EndApplication(application);
        });
        m_dSeconds = SecondsSince(start);
        return bEnded;
    }

    std::string CellC65() const
    {
        MemoryBook book;
        std::string failure;
        if (!LoadMemoryBook(m_strBook, book, failure) || book.sheets.empty())
            return "(unreadable: " + failure + ")";
        const auto cell = book.sheets[0].cells.find({3, 65});
        return cell == book.sheets[0].cells.end() ? "(empty)" : std::to_string(cell->second.dNumber);
    }

    ScratchFolder m_scratch;
    const std::string m_strBook = m_scratch / "Book.xls";
    ConstantLibrary m_library;
    ScriptedUser m_user;
    std::unique_ptr<StandInProcess> m_standIn;
    int32_t m_iCount = -1;
    double m_dSeconds = 0;
};

const std::vector<GombrelData> kPostC65 = {SheetRecord("A"), NumberRecord("C", 65, 2101002)};

// Excel refuses calls while it loads a workbook; the run asks again and
// goes on, later by about as long as Excel was busy.
TEST_F(StandInPass, BusyExcelIsAskedAgainAndOnlyDelaysTheRun)
{
    ASSERT_TRUE(RunPass("--busy-after-open=2000", kPostC65));
    EXPECT_TRUE(m_user.shown.empty()) << m_user.shown.front();
    EXPECT_EQ(m_iCount, 1);
    EXPECT_EQ(CellC65(), std::to_string(2.5));
    EXPECT_GE(m_dSeconds, 2.0);
    std::cout << "[ measure  ] pass with Excel busy 2 s after opening: " << m_dSeconds << " s\n";
}

// Busy for longer than the program asks again: the refusal is reported as
// any failed call is, and the run ends instead of waiting.
TEST_F(StandInPass, ExcelBusyBeyondTheLimitIsReportedNotWaitedFor)
{
    ExcelCallLimits limits;
    limits.busyLimit = 1s;
    limits.endLimit = 2s;
    ASSERT_TRUE(RunPass("--busy-after-open=600000", kPostC65, limits));
    ASSERT_EQ(m_user.shown.size(), 1u);
    EXPECT_TRUE(std::regex_match(m_user.shown[0], std::regex("COleException: COleException. SCODE: 8001010a.|"
                                                             "COleException: COleException. SCODE: 80010001.")))
        << m_user.shown[0];
    EXPECT_EQ(ReadWholeFile(m_strBook), kBookText);
    EXPECT_EQ(m_iCount, 0);
    EXPECT_LT(m_dSeconds, 30.0);
}

// Saving an .xls the compatibility check flags would ask whether to keep the
// format; the hidden Excel saves without asking.
TEST_F(StandInPass, SaveThatWouldAskAboutTheFormatSavesWithoutAsking)
{
    ExcelCallLimits limits;
    limits.callLimit = 10s;
    ASSERT_TRUE(RunPass("--compatibility-flagged=Book.xls", kPostC65, limits));
    EXPECT_TRUE(m_user.shown.empty()) << m_user.shown.front();
    EXPECT_EQ(m_iCount, 1);
    EXPECT_EQ(CellC65(), std::to_string(2.5));
    ASSERT_TRUE(m_standIn && m_standIn->Found());
    EXPECT_EQ(m_standIn->ExitCode(10s), 0u);
}

// A pass whose save fails leaves its workbook unsaved in Excel; quitting
// would ask whether to save it.  Excel quits without asking and without
// saving, by itself, and the file stays as it was.
TEST_F(StandInPass, QuitAfterAFailedSaveLeavesTheFileAsItWasWithoutAsking)
{
    ExcelCallLimits limits;
    limits.callLimit = 10s;
    ASSERT_TRUE(RunPass("--unwritable=Book.xls", kPostC65, limits));
    ASSERT_EQ(m_user.shown.size(), 1u);
    EXPECT_EQ(m_user.shown[0], "COleDispatchException: COleDispatchException. SCODE: 000003ec, Description: "
                               "\"Microsoft Excel cannot access the file '" + m_strBook + "'.\".");
    EXPECT_EQ(m_iCount, 0);
    EXPECT_EQ(ReadWholeFile(m_strBook), kBookText);
    ASSERT_TRUE(m_standIn && m_standIn->Found());
    EXPECT_EQ(m_standIn->ExitCode(10s), 0u) << "Excel had to be ended";
}

// Excel's worksheet collection answers a name it lacks with DISP_E_BADINDEX;
// the report names the tab.
TEST_F(StandInPass, MissingWorksheetIsReportedWithItsTab)
{
    ASSERT_TRUE(RunPass("", {SheetRecord("B"), NumberRecord("C", 65, 2101002)}));
    ASSERT_EQ(m_user.shown.size(), 1u);
    EXPECT_EQ(m_user.shown[0], "Gombrel: Error interfacing with Excel spreadsheet:\n   " + m_strBook +
                                   "\n      tab: B\n      cell: \n      property: (tab selection)");
    EXPECT_EQ(m_iCount, 0);
    EXPECT_EQ(CellC65(), std::to_string(1.0));
}

// On a machine whose regional settings put the day first, a date the run
// posts as "1/4" is still 4 January, as on a US-English system: the
// workbooks and the checking rounds expect it so.
TEST_F(StandInPass, DateTextIsReadAsOnAUsSystemWhateverTheRegionalSettings)
{
    StandInRegistration registration("--user-locale=809");
    ASSERT_TRUE(registration.IsRegistered());
    ExcelLauncher launcher;
    DispatchHolder<Application> application;
    ASSERT_TRUE(launcher.StartApplication(application, m_user));
    {
        const std::unique_ptr<Workbook> workbook = application->GetWorkbooks()->Open(m_strBook);
        workbook->GetWorksheets()->Item("A")->GetRange("D4", "D4")->PutValue2(std::string("1/4"));
        workbook->Save();
    }
    EndApplication(application);
    MemoryBook book;
    std::string failure;
    ASSERT_TRUE(LoadMemoryBook(m_strBook, book, failure)) << failure;
    const auto cell = book.sheets.at(0).cells.find({4, 4});
    ASSERT_NE(cell, book.sheets.at(0).cells.end());
    EXPECT_TRUE(HoldsDate(cell->second, 1, 4)) << cell->second.dNumber;
}

// A call that never comes back: Excel is ended at the call limit, the run
// says so and goes no further, and nothing is left running.
TEST_F(StandInPass, HungCallEndsExcelAtTheCallLimit)
{
    ExcelCallLimits limits;
    limits.callLimit = 3s;
    ASSERT_TRUE(RunPass("--hang=11b", kPostC65, limits)) << "the run waited for the hung call";
    EXPECT_EQ(m_user.shown, std::vector<std::string>{"COleException: COleException. SCODE: 8001011f."});
    EXPECT_EQ(m_iCount, 0);
    EXPECT_EQ(ReadWholeFile(m_strBook), kBookText);
    EXPECT_LT(m_dSeconds, 3.0 + 20.0);
    ASSERT_TRUE(m_standIn && m_standIn->Found());
    EXPECT_EQ(m_standIn->ExitCode(10s), 1u);
}

}  // namespace
