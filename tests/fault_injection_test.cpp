// Faults injected into whole runs on LibreOffice Calc over the sample
// results folder: Calc killed while posting, a workbook or results folder
// that cannot be written, a workbook Calc cannot open, a result store cut
// short in the middle of a run, a result Calc refuses, a sheet the workbook
// lacks, and the program itself killed.  Also gombrel-cli verify, which must
// leave everything on disk as it was.  After each, every workbook is either untouched or holds
// exactly the cells the posting log says were written (read back through
// Calc), the run has told the user in the program's words, and no Calc of
// ours is left running.  Run as root, the program first gives up root's
// right to write what file modes forbid, so that read-only means read-only
// for it and for every process it starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "AwaitCondition.h"
#include "CalcLockFiles.h"
#include "CalcWorkbooks.h"
#include "ChildProcess.h"
#include "ChildProcessesNamed.h"
#include "Commands.h"
#include "CountingResultLibrary.h"
#include "D2ResultBinding.h"
#include "EvaluateItemValue.h"
#include "FileModes.h"
#include "FormatText.h"
#include "MappingTables.h"
#include "Paths.h"
#include "ProgramPath.h"
#include "RunCli.h"
#include "SampleWorkbookPlan.h"
#include "SampleWorkbooks.h"
#include "ScratchFolder.h"
#include "Settings.h"
#include "VerifyCommand.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const char kCalcProcess[] = "soffice.bin";
const char kLogFile[] = "GombrelApp Dbg.txt";
// Far enough into the run to be in the middle of the first workbook's first
// posting round (the pre-check makes only the first few calls).
constexpr int kFaultCall = 150;

void NoPause(int) {}

// The sample results folder of this process, made at first use and
// removed when the program ends.
class SampleResults {
public:
    SampleResults()
        : m_strPath((fs::temp_directory_path() / ("gombrel-fault-injection-sample-" + std::to_string(getpid())))
                        .string())
    {
        fs::remove_all(m_strPath);
        std::ostringstream out, err;
        EXPECT_EQ(RunSampleCommand({m_strPath}, out, err), 0) << err.str();
    }
    SampleResults(const SampleResults &) = delete;
    SampleResults &operator=(const SampleResults &) = delete;
    ~SampleResults()
    {
        std::error_code ignored;
        fs::remove_all(m_strPath, ignored);
    }
    const std::string &Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

const std::string &SampleFolder()
{
    static const SampleResults sample;
    return sample.Path();
}

// The running Calc processes started by this process.
std::vector<int> OurCalcs() { return ChildProcessesNamed(CurrentProcessId(), kCalcProcess); }

// text with every regular-expression metacharacter escaped.
std::string Escaped(const std::string &strText)
{
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(strText, special, R"(\$&)");
}

// What happens at the fault call: something done first (given the call's
// project path), and whether the answer is then spoilt into not-a-number.
struct Fault {
    std::function<void(const std::string &)> before;
    bool bNotANumber = false;
};

// The result library of the program with a fault injected at one of its
// calls (counted over all three entries, from 1).
class FaultyLibrary : public ResultLibrary {
public:
    FaultyLibrary(ResultLibrary &real, int iFaultCall, Fault fault)
        : m_real(real), m_iFaultCall(iFaultCall), m_fault(std::move(fault))
    {
    }

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override
    {
        Before(pszProjectPath);
        return After(pfValues, m_real.GetMultipleResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues,
                                                        iValueCount, iRequestCount, pRequests));
    }
    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests) override
    {
        Before(pszProjectPath);
        return After(pfValues, m_real.GetMultipleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues,
                                                              iValueCount, iRequestCount, pRequests));
    }
    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter) override
    {
        Before(pszProjectPath);
        return After(pfValues, m_real.GetSingleHourlyResult(pszDoe2Folder, pszProjectPath, iFileType, iListId,
                                                            iVariable, pfValues, iValueCount, pszReportKey, pFilter));
    }

    bool Struck() const { return m_iCalls >= m_iFaultCall; }

private:
    void Before(const char *pszProjectPath)
    {
        if (++m_iCalls == m_iFaultCall && m_fault.before)
            m_fault.before(pszProjectPath ? pszProjectPath : "");
    }

    int32_t After(float *pfValues, int32_t iAnswered) const
    {
        if (m_iCalls == m_iFaultCall && m_fault.bNotANumber)
            std::fill(pfValues, pfValues + iAnswered, std::numeric_limits<float>::quiet_NaN());
        return iAnswered;
    }

    ResultLibrary &m_real;
    int m_iFaultCall;
    Fault m_fault;
    int m_iCalls = 0;
};

// Takes the write permission off a file or folder for as long as it lives
// (file modes bind this program once MakeFileModesBind succeeded).
class WriteDenial {
public:
    explicit WriteDenial(std::string strPath) : m_strPath(std::move(strPath))
    {
        fs::permissions(m_strPath, kWrite, fs::perm_options::remove);
    }
    WriteDenial(const WriteDenial &) = delete;
    WriteDenial &operator=(const WriteDenial &) = delete;
    ~WriteDenial() { fs::permissions(m_strPath, fs::perms::owner_write, fs::perm_options::add); }

    // True when writing is really refused: a file cannot be opened for
    // update, nothing can be created in a folder.
    bool Active() const
    {
        const bool folder = fs::is_directory(m_strPath);
        const std::string probe = folder ? m_strPath + "/.write-probe" : m_strPath;
        std::FILE *file = std::fopen(probe.c_str(), folder ? "w" : "r+b");
        if (!file)
            return true;
        std::fclose(file);
        if (folder)
            fs::remove(probe);
        return false;
    }

private:
    static constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    std::string m_strPath;
};

// What a posting log says was written last into each cell of each workbook:
// workbook path -> "sheet!cell" -> the number as logged ("%g") or, for a
// text, "text:" and the text.
using PostedCells = std::map<std::string, std::map<std::string, std::string>>;

PostedCells ParsePostingLog(const std::string &strLog)
{
    static const std::regex workbook(R"(^Posting results to:  '(.*)'$)");
    static const std::regex sheet(R"(^   Switching to tab '(.*)'$)");
    static const std::regex number(R"(^      cell *(\S+):  Posting Value = (.*)$)");
    static const std::regex text(R"(^      cell *(\S+):  Posting '(.*)'$)");
    PostedCells posted;
    std::string current, tab;
    std::istringstream lines(strLog);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, match, workbook))
            current = match[1];
        else if (std::regex_match(line, match, sheet))
            tab = match[1];
        else if (std::regex_match(line, match, number))
            posted[current][tab + "!" + match[1].str()] = match[2];
        else if (std::regex_match(line, match, text))
            posted[current][tab + "!" + match[1].str()] = "text:" + match[2].str();
    }
    return posted;
}

// One cell of an open workbook as the posting log would show it: "%g" of a
// number, "text:" for any text, "" for an empty cell.
std::string CellAsLogged(Worksheet &sheet, const std::string &strCell)
{
    const CellValue value = sheet.GetRange(strCell, strCell)->GetValue2();
    switch (value.kind) {
    case CellValue::Kind::Number:
        return FormatText("%g", value.dNumber);
    case CellValue::Kind::Text:
        return "text:";
    case CellValue::Kind::None:
        break;
    }
    return "";
}

// What a logged post leaves in its cell, as CellAsLogged reads it: a text
// typed in may become a number (a formula, a date), so any non-empty cell
// stands for a non-empty text; an empty text leaves the cell empty.
bool CellShowsPost(const std::string &strCell, const std::string &strPosted)
{
    if (strPosted.rfind("text:", 0) != 0)
        return strCell == strPosted;
    return strPosted == "text:" ? strCell.empty() : !strCell.empty();
}

const char kNoDenial[] =
    "cannot deny writes here: running as root, and the capabilities that let root write anything cannot be dropped";

class FaultInjection : public ::testing::Test {
protected:
    static void SetUpTestSuite() { MakeFileModesBind(); }

    void SetUp() override
    {
        fs::copy(SampleFolder(), m_results, fs::copy_options::recursive);
        std::string failure;
        m_pLibrary = BindResultLibrary(m_scratch.Path(), failure);
        ASSERT_TRUE(m_pLibrary) << failure;
    }
    void TearDown() override
    {
        EXPECT_TRUE(OurCalcs().empty()) << "a Calc session was left running";
    }

    std::string Workbook(const char *pszFile) const { return m_results + "/" + pszFile; }
    // A workbook path as the run shows it, either separator accepted.
    std::string ShownWorkbook(const char *pszFile) const { return Escaped(m_results) + R"([\\/])" + Escaped(pszFile); }
    std::string Log() const { return ReadWholeFile(m_results + "/" + kLogFile); }

    // gombrel-cli run over the copied sample with these further options and
    // the result library in fault (null: the plain library).  Checks that
    // no Calc is left running once it has ended, nor a lock on a workbook.
    int Run(std::vector<std::string> options, ResultLibrary *pFault = nullptr, const std::string &strAnswers = "")
    {
        Arguments args{"--doe2", m_scratch.Path(), "--results", m_results};
        args.insert(args.end(), options.begin(), options.end());
        std::istringstream in(strAnswers);
        RunConsole console{in, m_out, m_err, !strAnswers.empty(), false};
        CalcLauncher launcher;
        SteadyStopwatch clock;
        ResultLibrary *pBound = pFault ? pFault : m_pLibrary.get();
        RunBackends backends{launcher, [pBound](const std::string &, std::string &) { return pBound; }, clock,
                             SettingsFile(m_scratch / "gombrel.ini"), NoPause};
        const int status = RunResultsCommand(args, console, backends);
        EXPECT_TRUE(OurCalcs().empty()) << "Calc still runs after the run";
        EXPECT_EQ(LockFilesIn(m_results), std::vector<std::string>{});
        return status;
    }

    // Every workbook of the sample, read back through Calc, holds exactly
    // the cells the posting log says were posted into it (none for a
    // workbook the log does not name).
    void ExpectWorkbooksAsLogged()
    {
        static const std::map<std::string, std::string> kNone;
        const PostedCells posted = ParsePostingLog(Log());
        CalcLauncher launcher;
        SilentUser user;
        DispatchHolder<Application> application;
        ASSERT_TRUE(launcher.StartApplication(application, user));
        for (const MappingTable &table : g_aMappingTables) {
            const char *pszFile = table.pszWorkbookFile + 1;
            const auto found = std::find_if(posted.begin(), posted.end(), [&](const auto &entry) {
                return std::regex_match(entry.first, std::regex(ShownWorkbook(pszFile)));
            });
            ExpectCells(*application, Workbook(pszFile), table.pItems(),
                        found == posted.end() ? kNone : found->second);
        }
        EndApplication(application);
    }

    // The workbook pszFile is byte for byte the sample's.
    void ExpectUntouched(const char *pszFile) const
    {
        EXPECT_TRUE(ReadWholeFile(Workbook(pszFile)) == ReadWholeFile(SampleFolder() + "/" + pszFile))
            << pszFile << " differs from the sample's";
    }

    // Every cell the table posts into: the logged post, or empty as in the
    // sample.
    static void ExpectCells(Application &application, const std::string &strPath, const GombrelData *pTable,
                            const std::map<std::string, std::string> &cells)
    {
        DispatchHolder<Workbooks> workbooks;
        workbooks.Attach(application.GetWorkbooks());
        DispatchHolder<::Workbook> workbook;
        workbook.Attach(workbooks->Open(strPath));
        DispatchHolder<Worksheets> worksheets;
        worksheets.Attach(workbook->GetWorksheets());
        DispatchHolder<Worksheet> sheet;
        std::string tab;
        size_t uChecked = 0;
        for (const GombrelData *pItem = pTable; !IsEndRecord(*pItem); ++pItem) {
            if (pItem->iAction == GOMBREL_ACTION_SELECT_SHEET) {
                tab = pItem->psItemString;
                TryTakeSheet(*worksheets, tab, sheet);
                continue;
            }
            if (sheet.IsEmpty() || (pItem->iAction != GOMBREL_ACTION_NUMBER && pItem->iAction != GOMBREL_ACTION_TEXT))
                continue;
            const std::string cell = FormatText("%s%d", pItem->psCol, pItem->iRow);
            const auto found = cells.find(tab + "!" + cell);
            const std::string read = CellAsLogged(*sheet, cell);
            if (found == cells.end())
                EXPECT_EQ(read, "") << strPath << " " << tab << "!" << cell << " was never posted";
            else
                EXPECT_TRUE(CellShowsPost(read, found->second))
                    << strPath << " " << tab << "!" << cell << " holds '" << read << "', posted " << found->second;
            ++uChecked;
        }
        if (!cells.empty()) {
            EXPECT_GT(uChecked, 0u) << strPath << ": the posted sheets were not found";
        }
    }

    // The sheet named strTab, or none when the workbook lacks it.
    static void TryTakeSheet(Worksheets &worksheets, const std::string &strTab, DispatchHolder<Worksheet> &sheet)
    {
        try {
            sheet.Attach(worksheets.Item(strTab));
        } catch (const AutomationFailure &) {
            sheet.Release();
        }
    }

    // The user of the sessions that make and read back workbooks: nothing
    // they would show matters to these tests.
    class SilentUser : public UserMessages {
    public:
        void ShowMessage(const std::string &, const std::string &) override {}
        bool AskRetry(const std::string &, const std::string &) override { return false; }
    };

    ScratchFolder m_scratch;
    std::string m_results = m_scratch / "results";
    std::unique_ptr<ResultLibrary> m_pLibrary;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

bool Matches(const std::string &strText, const std::string &strPattern)
{
    return std::regex_match(strText, std::regex(strPattern));
}

// The pattern of the last line of a run that stopped at the workbook pszFile
// after posting iPosted whole, for a failure of the pattern strFailure.
std::string StoppedLine(int iPosted, const char *pszFile, const std::string &strFailure)
{
    return "gombrel-cli: " + std::to_string(iPosted) + " of 4 workbooks posted; stopped at " + Escaped(pszFile) +
           ": " + strFailure + "\n";
}

// The calls to the result library one round over the first workbook's
// records makes: a posting round writes its sheet's cells only once they
// are all evaluated, so a fault this many calls later comes in the checking
// round, with the cells of the first round in Calc.
size_t CallsOfAFirstWorkbookRound(ResultLibrary &library, const std::string &strDoe2Folder,
                                  const std::string &strResultsFolder)
{
    CountingResultLibrary counting(library);
    ResultAccess access(&counting, NoPause);
    for (const GombrelData *item = g_aMappingTables[0].pItems(); !IsEndRecord(*item); ++item) {
        if (!IsEvaluatedInRound(*item))
            continue;
        ItemValue value;
        std::string failure;
        EvaluateItemValue(access, *item, strDoe2Folder, strResultsFolder, failure, value);
    }
    return counting.Calls();
}

TEST_F(FaultInjection, CalcKilledWhilePostingLeavesEveryWorkbookUntouched)
{
    const size_t uRound = CallsOfAFirstWorkbookRound(*m_pLibrary, m_scratch.Path(), m_results);
    ASSERT_GT(uRound, 0u);
    FaultyLibrary library(*m_pLibrary, static_cast<int>(uRound) + kFaultCall, {[](const std::string &) {
                              for (int calc : OurCalcs())
                                  KillChild(calc);
                          }});
    EXPECT_EQ(Run({"--check", "--log"}, &library), 1);
    EXPECT_TRUE(library.Struck());
    EXPECT_NE(Log().find("Posting Value"), std::string::npos) << "the fault came before any cell was posted";
    EXPECT_NE(Log().find("CHECKING XLS Values"), std::string::npos) << "the fault came before the checking round";
    EXPECT_EQ(m_out.str(), "Results not posted to XLS file(s):\n   ProcessResults() returned 0\n");
    const std::string failure = "Error interfacing with Excel spreadsheet: " + ShownWorkbook("Std140Sec5-2.xls") +
                                R"( tab: \S+ cell: [A-Z]+[0-9]+ property: \(tab selection\))";
    EXPECT_TRUE(Matches(m_err.str(), "Gombrel: " + failure +
                                         R"(\nCOleException: COleException\. SCODE: 80010108\.\n)" +
                                         StoppedLine(0, "Std140Sec5-2.xls", failure)))
        << m_err.str();
    for (const MappingTable &table : g_aMappingTables)
        ExpectUntouched(table.pszWorkbookFile + 1);
}

TEST_F(FaultInjection, ReadOnlyWorkbookIsAskedAboutUntilCancelled)
{
    WriteDenial denial(Workbook("Std140Sec5-2.xls"));
    if (!denial.Active())
        GTEST_SKIP() << kNoDenial;
    EXPECT_EQ(Run({"--no-check"}, nullptr, "r\nc\n"), 1);
    EXPECT_TRUE(Matches(m_out.str(), "Results not posted to XLS file\\(s\\):\n   Unable to open \\(for writing\\) "
                                     "DOE-2 Results spreadsheet file  '" +
                                         ShownWorkbook("Std140Sec5-2.xls") + "'\n"))
        << m_out.str();
    EXPECT_TRUE(Matches(m_err.str(), R"(Gombrel: DOE-2 Results spreadsheet\n\[R\]etry or \[C\]ancel\? )"
                                     R"(Gombrel: DOE-2 Results spreadsheet\n\[R\]etry or \[C\]ancel\? )" +
                                         StoppedLine(0, "Std140Sec5-2.xls",
                                                     R"(Unable to open \(for writing\) DOE-2 Results spreadsheet )"
                                                     "file  '" + ShownWorkbook("Std140Sec5-2.xls") + "'")))
        << m_err.str();
    for (const MappingTable &table : g_aMappingTables)
        ExpectUntouched(table.pszWorkbookFile + 1);
}

TEST_F(FaultInjection, ReadOnlyResultsFolderWithTheLogOnPostsNothing)
{
    {
        WriteDenial denial(m_results);
        if (!denial.Active())
            GTEST_SKIP() << kNoDenial;
        EXPECT_EQ(Run({"--check", "--log"}), 1);
    }
    EXPECT_EQ(m_out.str(), "Results not posted to XLS file(s):\n   ProcessResults() returned 0\n");
    // Calc cannot lock the workbook in that folder, so it does not open it.
    const std::string failure = "COleDispatchException\\. SCODE: 000003ec, Description: \"Cannot open '" +
                                ShownWorkbook("Std140Sec5-2.xls") +
                                "': Calc cannot make its lock file beside it \\(is its folder read-only\\?\\)\"\\.";
    EXPECT_TRUE(Matches(m_err.str(), "COleDispatchException: " + failure + "\n" +
                                         StoppedLine(0, "Std140Sec5-2.xls", failure)))
        << m_err.str();
    EXPECT_FALSE(fs::exists(m_results + "/" + kLogFile));
    for (const MappingTable &table : g_aMappingTables)
        ExpectUntouched(table.pszWorkbookFile + 1);
}

TEST_F(FaultInjection, PostingLogThatCannotBeWrittenEndsThePassWithNothingPosted)
{
    WriteWholeFile(m_results + "/" + kLogFile, "");
    {
        WriteDenial denial(m_results + "/" + kLogFile);
        if (!denial.Active())
            GTEST_SKIP() << kNoDenial;
        EXPECT_EQ(Run({"--check", "--log"}), 1);
    }
    EXPECT_EQ(m_out.str(), "Results not posted to XLS file(s):\n   ProcessResults() returned 0\n");
    const std::string failure =
        "Error interfacing with Excel spreadsheet: " + ShownWorkbook("Std140Sec5-2.xls") + " tab:  cell:  property: ";
    EXPECT_TRUE(Matches(m_err.str(), "Gombrel: " + failure + "\n" + StoppedLine(0, "Std140Sec5-2.xls", failure)))
        << m_err.str();
    ExpectWorkbooksAsLogged();
}

TEST_F(FaultInjection, TextFileNamedXlsIsRefusedAndLeftAsItWas)
{
    const std::string text = "Case,Heating\n600,4.3\n";
    WriteWholeFile(Workbook("Std140Sec5-2.xls"), text);
    EXPECT_EQ(Run({"--check", "--log"}), 1);
    EXPECT_EQ(m_out.str(), "Results not posted to XLS file(s):\n   ProcessResults() returned 0\n");
    const std::string failure =
        "COleDispatchException\\. SCODE: 000003ec, Description: \"'[^\n]*Std140Sec5-2\\.xls' is not a workbook\"\\.";
    EXPECT_TRUE(Matches(m_err.str(), "COleDispatchException: " + failure + "\n" +
                                         StoppedLine(0, "Std140Sec5-2.xls", failure)))
        << m_err.str();
    EXPECT_EQ(ReadWholeFile(Workbook("Std140Sec5-2.xls")), text);
}

TEST_F(FaultInjection, ZipNamedXlsInAWritableFolderIsRefusedAsNoWorkbook)
{
    // Calc opens no document from it at all, as from a folder that refuses
    // its lock file; the folder here takes new files.
    const std::string zip = "PK\003\004garbage";
    WriteWholeFile(Workbook("Std140Sec5-2.xls"), zip);
    EXPECT_EQ(Run({"--check", "--log"}), 1);
    EXPECT_EQ(m_out.str(), "Results not posted to XLS file(s):\n   ProcessResults() returned 0\n");
    const std::string failure = "COleDispatchException\\. SCODE: 000003ec, Description: \"'" +
                                ShownWorkbook("Std140Sec5-2.xls") + "' is not a workbook\"\\.";
    EXPECT_TRUE(Matches(m_err.str(), "COleDispatchException: " + failure + "\n" +
                                         StoppedLine(0, "Std140Sec5-2.xls", failure)))
        << m_err.str();
    EXPECT_EQ(ReadWholeFile(Workbook("Std140Sec5-2.xls")), zip);
}

TEST_F(FaultInjection, StoreCutShortMidRunKeepsTheCellsPostedBeforeIt)
{
    std::string truncated;
    FaultyLibrary library(*m_pLibrary, kFaultCall, {[&truncated](const std::string &strProject) {
                              truncated = NativePath(strProject) + ".d2r";
                              fs::resize_file(truncated, fs::file_size(truncated) / 2);
                          }});
    EXPECT_EQ(Run({"--check", "--log"}, &library), 1);
    ASSERT_TRUE(library.Struck());
    const PostedCells posted = ParsePostingLog(Log());
    ASSERT_EQ(posted.size(), 1u) << "the run went on past the first workbook";
    const size_t uPosted = posted.begin()->second.size();
    EXPECT_TRUE(Matches(m_out.str(), std::to_string(uPosted) +
                                         R"( results successfully posted to XLS file\(s\) \([0-9.]+ seconds elapsed\)\.\n)"
                                         R"(     Error retri[^\n]*\n)"))
        << m_out.str() << " after cutting " << truncated;
    // The run stopped where the store gave out, not at the next workbook.
    EXPECT_TRUE(Matches(m_err.str(), StoppedLine(0, "Std140Sec5-2.xls", R"(Error retri[^\n]*)"))) << m_err.str();
    ExpectWorkbooksAsLogged();
}

TEST_F(FaultInjection, ResultCalcRefusesMidPassKeepsTheCellsPostedBeforeIt)
{
    // A result that is not a number: Calc refuses the cell, the pass ends
    // with what it wrote before, and the run goes on with the next workbook.
    FaultyLibrary library(*m_pLibrary, kFaultCall, {nullptr, true});
    EXPECT_EQ(Run({"--check", "--log"}, &library), 1);
    ASSERT_TRUE(library.Struck());
    const std::string failure = "Error interfacing with Excel spreadsheet: " + ShownWorkbook("Std140Sec5-2.xls") +
                                R"( tab: \S+ cell: [A-Z]+[0-9]+ property: \(tab selection\))";
    EXPECT_TRUE(Matches(m_err.str(), "Gombrel: " + failure + "\ngombrel-cli: 3 of 4 workbooks posted; "
                                                            "Std140Sec5-2\\.xls: " + failure + "\n"))
        << m_err.str();
    const PostedCells posted = ParsePostingLog(Log());
    ASSERT_EQ(posted.size(), 4u);
    size_t uPosted = 0;
    for (const auto &workbook : posted)
        uPosted += workbook.second.size();
    EXPECT_TRUE(Matches(m_out.str(), std::to_string(uPosted) +
                                         R"( results successfully posted to XLS file\(s\) \([0-9.]+ seconds elapsed\)\.\n)"))
        << m_out.str();
    ExpectWorkbooksAsLogged();
}

TEST_F(FaultInjection, MissingSheetEndsItsPassAfterTheWorkbooksBefore)
{
    // The run's second workbook, made with its sheet under another name.
    SampleWorkbook plan = SampleWorkbookPlan().at(1);
    const std::string missing = plan.sheets.front().strName;
    for (WorkbookSheet &sheet : plan.sheets)
        sheet.strName += " (renamed)";
    {
        CalcLauncher launcher;
        SilentUser user;
        DispatchHolder<Application> application;
        ASSERT_TRUE(launcher.StartApplication(application, user));
        CreateCalcWorkbook(*application, Workbook(plan.strFileName.c_str()), plan.sheets);
        EndApplication(application);
    }
    EXPECT_EQ(Run({"--check", "--log"}), 1);
    const std::string failure = "Error interfacing with Excel spreadsheet: " +
                                ShownWorkbook(plan.strFileName.c_str()) + " tab: " + Escaped(missing) +
                                R"( cell:  property: \(tab selection\))";
    EXPECT_TRUE(Matches(m_err.str(), "Gombrel: " + failure + "\n" + StoppedLine(1, plan.strFileName.c_str(), failure)))
        << m_err.str();
    const PostedCells posted = ParsePostingLog(Log());
    ASSERT_EQ(posted.size(), 1u) << "only the first workbook has cells posted";
    EXPECT_TRUE(Matches(m_out.str(), std::to_string(posted.begin()->second.size()) +
                                         R"( results successfully posted to XLS file\(s\) \([0-9.]+ seconds elapsed\)\.\n)"))
        << m_out.str();
    ExpectWorkbooksAsLogged();
}

// The real library, except that one plain result of one project answers
// 1000 more than it holds.
class OneChangedResult : public CountingResultLibrary {
public:
    OneChangedResult(ResultLibrary &real, int32_t iResultId, std::string strProjectPath)
        : CountingResultLibrary(real), m_iResultId(iResultId), m_strProjectPath(std::move(strProjectPath))
    {
    }
    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override
    {
        const int32_t iAnswered = CountingResultLibrary::GetMultipleResult(
            pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount, iRequestCount, pRequests);
        if (iRequestCount == 1 && pRequests[0].iResultId == m_iResultId && pszProjectPath == m_strProjectPath)
            std::for_each(pfValues, pfValues + iAnswered, [](float &fValue) { fValue += 1000.0f; });
        return iAnswered;
    }

private:
    int32_t m_iResultId;
    std::string m_strProjectPath;
};

// Every file and folder below strFolder (and itself) with its modification
// time, and for a file its bytes.
std::map<std::string, std::pair<fs::file_time_type, std::string>> FolderState(const std::string &strFolder)
{
    std::map<std::string, std::pair<fs::file_time_type, std::string>> state;
    state[strFolder] = {fs::last_write_time(strFolder), ""};
    for (const auto &entry : fs::recursive_directory_iterator(strFolder))
        state[entry.path().string()] = {entry.last_write_time(),
                                        entry.is_regular_file() ? ReadWholeFile(entry.path().string()) : ""};
    return state;
}

TEST_F(FaultInjection, VerifyReportsAChangedResultAndLeavesEverythingAsItWas)
{
    ASSERT_EQ(Run({"--no-check"}), 0) << m_err.str();
    const auto before = FolderState(m_results);
    auto verify = [this](ResultLibrary &library) {
        m_out.str("");
        m_err.str("");
        const Arguments args{"--doe2", m_scratch.Path(), "--results", m_results};
        CalcLauncher launcher;
        return RunVerifyCommandWith(args, m_out, m_err, launcher, [&library](const std::string &, std::string &) {
            return std::make_unique<CountingResultLibrary>(library);
        }, NoPause);
    };
    EXPECT_EQ(verify(*m_pLibrary), 0) << m_out.str() << m_err.str();
    EXPECT_TRUE(Matches(m_out.str(), std::string(kVerifyHeader) + "0 of [1-9][0-9]* cells differ or are empty\n"))
        << m_out.str();

    // The first cell of the first workbook: a plain result of one case.
    const GombrelData *pItem = Std140Sec5_2Items();
    std::string sheet;
    for (; pItem->iAction != GOMBREL_ACTION_NUMBER || pItem->psSpecialProcessing; ++pItem)
        if (pItem->iAction == GOMBREL_ACTION_SELECT_SHEET)
            sheet = pItem->psItemString;
    OneChangedResult changed(*m_pLibrary, pItem->iNHRListID, PathBelow(m_results, pItem->psSimResPathFile));
    EXPECT_EQ(verify(changed), 1);
    EXPECT_TRUE(Matches(m_out.str(), std::string(kVerifyHeader) + "Std140Sec5-2\\.xls\t" + Escaped(sheet) + "\t" +
                                         FormatText("%s%d", pItem->psCol, pItem->iRow) +
                                         "\t[-0-9.e+]+\t[-0-9.e+]+\n1 of [1-9][0-9]* cells differ or are empty\n"))
        << m_out.str() << m_err.str();

    EXPECT_TRUE(FolderState(m_results) == before) << "verify changed something below " << m_results;
    EXPECT_EQ(LockFilesIn(m_results), std::vector<std::string>{});
    EXPECT_TRUE(OurCalcs().empty()) << "Calc still runs after verify";
}

// The settings file beside the programs, where gombrel-cli itself keeps the
// folders of its run: put back as it was, or removed when there was none,
// once the test that started the program is done.
class ProgramSettingsRestored {
public:
    ProgramSettingsRestored() : m_bExisted(fs::exists(m_strPath)), m_strText(ReadWholeFile(m_strPath)) {}
    ProgramSettingsRestored(const ProgramSettingsRestored &) = delete;
    ProgramSettingsRestored &operator=(const ProgramSettingsRestored &) = delete;
    ~ProgramSettingsRestored()
    {
        std::error_code ignored;
        if (m_bExisted)
            WriteWholeFile(m_strPath, m_strText);
        else
            fs::remove(m_strPath, ignored);
    }

private:
    const std::string m_strPath = ExecutableFolder() + "/" + kSettingsFileName;
    const bool m_bExisted;
    const std::string m_strText;
};

TEST_F(FaultInjection, ProgramKilledMidRunTakesItsCalcWithIt)
{
    const ProgramSettingsRestored settings;
    std::string failure;
    const int program = StartTiedChild({ExecutableFolder() + "/gombrel-cli",
                                        {"run", "--doe2", m_scratch.Path(), "--results", m_results, "--check", "--log"},
                                        {},
                                        m_scratch / "cli.out"},
                                       failure);
    ASSERT_GT(program, 0) << failure;
    std::vector<int> calcs;
    const bool posting = AwaitCondition(
        [&] {
            calcs = ChildProcessesNamed(program, kCalcProcess);
            return !calcs.empty() && !Log().empty();
        },
        120s);
    KillChild(program);
    int exitCode = 0;
    ASSERT_TRUE(WaitForChild(program, 30s, exitCode));
    ASSERT_TRUE(posting) << "the run never got to posting: " << ReadWholeFile(m_scratch / "cli.out");
    EXPECT_EQ(exitCode, 128 + 9);
    EXPECT_TRUE(AwaitCondition([&] { return !ProcessRunning(calcs.front()); }, 30s))
        << "Calc (" << calcs.front() << ") outlived the program that started it";
    // The next run clears what the killed one left (its lock on the
    // workbook, unless a Calc session started meanwhile by any program has
    // cleared it already) and posts as usual.
    EXPECT_EQ(Run({"--no-check"}), 0) << m_err.str();
}

}  // namespace
