// gombrel-cli.exe and gombrel.exe as users run them, against Excel in a
// process of its own (the stand-in, registered as "Excel.Application"):
// every posted value read back from the saved files is what `values` gives,
// `verify` agrees, and a program killed in the middle of a run leaves no
// Excel behind to hold the workbooks from the next run.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "CommandOutput.h"
#include "ExcelStandIn.h"
#include "MappingTables.h"
#include "MemoryBook.h"
#include "PassTestSupport.h"
#include "PostedCells.h"
#include "RunningProgram.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "WindowsText_win32.h"

namespace {

using namespace std::chrono_literals;

// A named event the stand-in sets when it has hung or asks (--signal).
class StandInSignal {
public:
    StandInSignal() : m_hEvent(CreateEventW(nullptr, TRUE, FALSE, WideFromUtf8(Name()).c_str())) {}
    StandInSignal(const StandInSignal &) = delete;
    StandInSignal &operator=(const StandInSignal &) = delete;
    ~StandInSignal() { CloseHandle(m_hEvent); }

    std::string Name() const { return "Gombrel.StandInSignal." + std::to_string(GetCurrentProcessId()); }
    bool WaitFor(std::chrono::milliseconds deadline) const
    {
        return WaitForSingleObject(m_hEvent, static_cast<DWORD>(deadline.count())) == WAIT_OBJECT_0;
    }

private:
    HANDLE m_hEvent;
};

// Copies of both programs in a folder of their own beside the result
// library and their settings file, and a results folder with the sample's
// stores and four workbooks, which is also the DOE-2 folder.
class ExcelServerExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        EndStandIns();
        StandInRegistration::Unregister();
        std::filesystem::create_directories(std::filesystem::u8path(ProgramFolder()));
        for (const char *pszFile : {GOMBREL_EXE, GOMBREL_CLI_EXE, D2RESULT_DLL})
            std::filesystem::copy_file(pszFile, std::filesystem::u8path(ProgramFolder()) /
                                                    std::filesystem::path(pszFile).filename());
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(Results(), failure)) << failure;
        WriteWorkbooks();
        WriteWholeFile(ProgramFolder() + "\\gombrel.ini", "[paths]\nLastDOE2Path=" + Results() +
                                                              "\nLastResultsPath=" + Results() + "\n");
    }
    void TearDown() override
    {
        EXPECT_TRUE(NoStandInRunsWithin(10s)) << "a stand-in was left running";
        EndStandIns();
    }

    std::string ProgramFolder() { return m_scratch / "program"; }
    std::string Results() { return m_scratch / "results"; }
    std::string WorkbookPath(const MappingTable &table) { return Results() + table.pszWorkbookFile; }

    std::vector<std::string> Workbooks()
    {
        std::vector<std::string> paths;
        for (const MappingTable &table : g_aMappingTables)
            paths.push_back(WorkbookPath(table));
        return paths;
    }

    void WriteWorkbooks()
    {
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(WorkbookPath(table), WorkbookFor(table.pItems()));
    }

    // gombrel-cli.exe with these arguments, run to its end.
    Outcome Cli(const std::vector<std::string> &arguments, std::chrono::seconds deadline = 300s)
    {
        const std::string output = m_scratch / ("cli-" + std::to_string(++m_nCliRuns) + ".txt");
        Outcome outcome{-1, "", ""};
        {
            RunningProgram cli(ProgramFolder() + "\\gombrel-cli.exe", arguments, output);
            EXPECT_TRUE(cli.Started());
            outcome.status = static_cast<int>(cli.WaitForEnd(deadline));
        }
        outcome.out = ReadWholeFile(output);
        outcome.err = ReadWholeFile(output + ".err");
        return outcome;
    }
    std::vector<std::string> Folders() { return {"--doe2", Results(), "--results", Results()}; }
    std::vector<std::string> Run(const std::vector<std::string> &more = {})
    {
        std::vector<std::string> arguments = {"run"};
        for (const std::string &argument : Folders())
            arguments.push_back(argument);
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }

    // Every cell `values` says a posting round writes, as the saved
    // workbooks hold it: none missing, numbers exactly, texts as typed in
    // (a date "M/D" as the date of month M, day D; a whole number as that
    // number).  The failures found, one a line.
    std::string CellsDifferingFromValues()
    {
        const Outcome values = Cli({"values", "--doe2", Results(), "--results", Results()});
        EXPECT_EQ(values.status, 0) << values.err;
        std::map<std::string, MemoryBook> books;
        for (const MappingTable &table : g_aMappingTables) {
            std::string failure;
            EXPECT_TRUE(LoadMemoryBook(WorkbookPath(table), books[table.pszName], failure)) << failure;
        }
        std::string differences;
        int nCompared = 0;
        for (const std::string &line : SplitLines(values.out)) {
            const std::vector<std::string> columns = SplitColumns(line);
            if (columns.size() < 5 || (columns[3] != "number" && columns[3] != "text"))
                continue;
            const std::string where = columns[0] + ":" + columns[2];
            const std::string text = columns.size() > 5 ? columns[5] : "";
            const MemoryCell *pCell = CellOf(books, columns[0], std::stoul(columns[1]), columns[2]);
            ++nCompared;
            if (pCell == nullptr && !(columns[3] == "text" && text.empty()))
                differences += where + " missing\n";
            else if (pCell != nullptr && !Agrees(*pCell, columns[3] == "text", std::stod(columns[4]), text))
                differences += where + " holds " + pCell->strText + std::to_string(pCell->dNumber) + "\n";
        }
        EXPECT_GT(nCompared, 2000);
        return differences;
    }

    ScratchFolder m_scratch;
    int m_nCliRuns = 0;

private:
    // The cell of record iIndex of table, on the sheet its table selected last.
    static const MemoryCell *CellOf(const std::map<std::string, MemoryBook> &books, const std::string &strTable,
                                    size_t iIndex, const std::string &strCell)
    {
        const MappingTable *pTable = FindMappingTable(strTable.c_str());
        const auto book = books.find(strTable);
        if (pTable == nullptr || book == books.end())
            return nullptr;
        std::string sheet;
        for (size_t i = 0; i <= iIndex && !IsEndRecord(pTable->pItems()[i]); ++i)
            if (pTable->pItems()[i].iAction == GOMBREL_ACTION_SELECT_SHEET)
                sheet = pTable->pItems()[i].psItemString;
        CellAddress address;
        if (!ParseCellAddress(strCell, address))
            return nullptr;
        for (const MemorySheet &memorySheet : book->second.sheets) {
            const auto found = memorySheet.cells.find(address);
            if (memorySheet.strName == sheet && found != memorySheet.cells.end())
                return &found->second;
        }
        return nullptr;
    }

    static bool Agrees(const MemoryCell &cell, bool bText, double dNumber, const std::string &strText)
    {
        if (!bText)
            return cell.kind == MemoryCell::Kind::Number && cell.dNumber == dNumber;
        int iMonth = 0, iDay = 0;
        if (IsPostedDate(strText, iMonth, iDay))
            return HoldsDate(cell, iMonth, iDay);
        if (cell.kind == MemoryCell::Kind::Number)
            return std::to_string(static_cast<long long>(cell.dNumber)) == strText;
        return cell.strText == strText;
    }
};

// On a machine whose regional settings put the day first, a date "M/D" is
// still read as month M, day D, as on a US-English system.
TEST_F(ExcelServerExe, CliRunWithCheckPostsWhatValuesGivesAndVerifyAgrees)
{
    StandInRegistration registration("--user-locale=809");
    ASSERT_TRUE(registration.IsRegistered());
    const auto start = std::chrono::steady_clock::now();
    const Outcome run = Cli(Run({"--check"}));
    std::cout << "[ measure  ] gombrel-cli.exe run --check against the stand-in: "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() << " s\n";
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("results successfully posted to XLS file(s)"), std::string::npos) << run.out;
    EXPECT_EQ(CellsDifferingFromValues(), "");
    const Outcome verify = Cli({"verify", "--doe2", Results(), "--results", Results()});
    EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
}

// The workbooks as the next run's check finds them: false for one that
// cannot be opened for writing (a run would ask Retry or Cancel about it).
std::string UnwritableWorkbooks(const std::vector<std::string> &paths)
{
    std::string unwritable;
    for (const std::string &path : paths) {
        HANDLE hFile = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            unwritable += path + "\n";
        else
            CloseHandle(hFile);
    }
    return unwritable;
}

// Killed in the middle of a run (Excel stuck in a call, a workbook open),
// the program takes its Excel with it: the next run finds the workbooks
// free instead of asking Retry about them for ever.
TEST_F(ExcelServerExe, CliKilledDuringARunLeavesNoExcelHoldingTheWorkbooks)
{
    const StandInSignal hung;
    StandInRegistration registration("--hang=aa --signal=" + hung.Name());
    ASSERT_TRUE(registration.IsRegistered());
    RunningProgram cli(ProgramFolder() + "\\gombrel-cli.exe", Run({"--no-check"}), m_scratch / "killed.txt");
    ASSERT_TRUE(hung.WaitFor(120s)) << "the run never reached the hung call";
    EXPECT_NE(UnwritableWorkbooks(Workbooks()), "") << "the stand-in holds no workbook open";
    cli.Kill();
    EXPECT_TRUE(NoStandInRunsWithin(10s)) << "the killed program's Excel is still running";
    EXPECT_EQ(UnwritableWorkbooks(Workbooks()), "");
}

bool IsMainDialog(HWND hWnd)
{
    wchar_t szText[32] = {};
    SendMessageW(hWnd, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(szText));
    return lstrcmpW(szText, L"Gombrel") == 0;
}

// The dialog's run (without the checking rounds), started by its button:
// the final message, then the files hold what `values` gives.
TEST_F(ExcelServerExe, DialogRunPostsWhatValuesGives)
{
    WriteWholeFile(ProgramFolder() + "\\gombrel.ini", "[paths]\nLastDOE2Path=" + Results() + "\nLastResultsPath=" +
                                                          Results() + "\n[preferences]\nCheckPostedValues=0\n");
    StandInRegistration registration;
    ASSERT_TRUE(registration.IsRegistered());
    RunningProgram program(ProgramFolder() + "\\gombrel.exe");
    HWND hDialog = program.WaitForWindow(IsMainDialog);
    ASSERT_NE(hDialog, nullptr);
    PostMessageW(GetDlgItem(hDialog, 1002), BM_CLICK, 0, 0);
    const std::string box = NextBoxOf(program, hDialog, 300s);
    EXPECT_NE(box.find("results successfully posted to XLS file(s)"), std::string::npos) << box;
    EXPECT_EQ(box.rfind("gombrel: ", 0), 0u) << box;
    PostMessageW(GetDlgItem(hDialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(program.WaitForEnd(), 0u);
    EXPECT_EQ(CellsDifferingFromValues(), "");
}

// While a run waits (here for a result store that is missing, read again
// and again) the dialog still answers the system, so that Windows never
// marks it "Not Responding", and takes no input; killed then, it leaves no
// Excel running.
TEST_F(ExcelServerExe, DialogAnswersDuringARunAndKilledLeavesNoExcel)
{
    const GombrelData &firstRead = Std140Sec5_2Items()[1];
    ASSERT_TRUE(std::filesystem::remove(std::filesystem::u8path(Results() + firstRead.psSimResPathFile + ".d2r")));
    const StandInSignal sheetSelected;
    StandInRegistration registration("--signal-on=aa --signal=" + sheetSelected.Name());
    ASSERT_TRUE(registration.IsRegistered());
    RunningProgram program(ProgramFolder() + "\\gombrel.exe");
    HWND hDialog = program.WaitForWindow(IsMainDialog);
    ASSERT_NE(hDialog, nullptr);
    PostMessageW(GetDlgItem(hDialog, 1002), BM_CLICK, 0, 0);
    ASSERT_TRUE(sheetSelected.WaitFor(120s)) << "the run never selected a sheet";

    // The store is read again every half second for some 15 seconds.
    const auto end = std::chrono::steady_clock::now() + 6s;
    int nAnswers = 0;
    while (std::chrono::steady_clock::now() < end) {
        DWORD_PTR dwAnswer = 0;
        if (SendMessageTimeoutW(hDialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &dwAnswer) == 0)
            break;
        ++nAnswers;
        program.WaitForEnd(100ms);
    }
    EXPECT_GE(nAnswers, 10) << "the dialog stopped answering during the run";
    EXPECT_FALSE(IsWindowEnabled(hDialog)) << "the dialog takes input during the run";

    program.Kill();
    EXPECT_TRUE(NoStandInRunsWithin(10s)) << "the killed program's Excel is still running";
}

}  // namespace
