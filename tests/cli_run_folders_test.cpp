// gombrel-cli run with several results folders, on in-memory spreadsheets:
// a folder that fails leaves the others posted, a kept application that
// dies is replaced, --jobs takes only a sensible number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "CommandOutput.h"
#include "FileModes.h"
#include "MappingTables.h"
#include "MemoryWorkbooks.h"
#include "PassTestSupport.h"
#include "Paths.h"
#include "RunCli.h"
#include "ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

void NoPause(int) {}

class StillClock : public Stopwatch {
public:
    std::chrono::nanoseconds Now() override { return std::chrono::seconds(42); }
};

// Every start a new in-memory application with a state of its own, so that
// jobs side by side share nothing.
class FreshMemoryLauncher : public SpreadsheetLauncher {
public:
    bool StartApplication(DispatchHolder<Application> &application, UserMessages &) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        states.push_back(std::make_shared<MemorySpreadsheet>());
        application.Attach(MakeMemoryApplication(states.back()));
        return true;
    }

    std::vector<std::shared_ptr<MemorySpreadsheet>> states;

private:
    std::mutex m_mutex;
};

// A library answering every call, from any thread; beforeRead sees each
// project path first.
class SharedLibrary : public ResultLibrary {
public:
    std::function<void(const std::string &strProject)> beforeRead = [](const std::string &) {};

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProject, int32_t iFileType, float *pfValues,
                              int32_t iValueCount, int32_t iRequestCount, const D2R_ResultRequest *pRequests) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        beforeRead(pszProject);
        return m_library.GetMultipleResult(pszDoe2Folder, pszProject, iFileType, pfValues, iValueCount, iRequestCount,
                                           pRequests);
    }
    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProject, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        beforeRead(pszProject);
        return m_library.GetMultipleHourlyResult(pszDoe2Folder, pszProject, iFileType, pfValues, iValueCount,
                                                 iRequestCount, pRequests);
    }
    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProject, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        beforeRead(pszProject);
        return m_library.GetSingleHourlyResult(pszDoe2Folder, pszProject, iFileType, iListId, iVariable, pfValues,
                                               iValueCount, pszReportKey, pFilter);
    }

private:
    std::mutex m_mutex;
    ConstantLibrary m_library;
};

// Results folders below a scratch folder, each with the four workbooks.
class CliRunFolders : public ::testing::Test {
protected:
    static void SetUpTestSuite() { MakeFileModesBind(); }

    std::string Folder(const std::string &strName)
    {
        const std::string folder = m_scratch / strName;
        fs::create_directories(folder);
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(folder + "/" + (table.pszWorkbookFile + 1), WorkbookFor(table.pItems()));
        return folder;
    }

    Outcome Run(const Arguments &args, const std::string &strInput = "", bool bTerminal = false)
    {
        std::istringstream in(strInput);
        std::ostringstream out, err;
        RunConsole console{in, out, err, bTerminal, bTerminal};
        RunBackends backends{m_launcher, [this](const std::string &, std::string &) -> ResultLibrary * { return &m_library; },
                             m_clock, m_settings, NoPause};
        const int status = RunResultsCommand(args, console, backends);
        return {status, out.str(), err.str()};
    }

    ScratchFolder m_scratch;
    SettingsFile m_settings{m_scratch / "gombrel.ini"};
    FreshMemoryLauncher m_launcher;
    SharedLibrary m_library;
    StillClock m_clock;
};

std::string Posted(const std::string &strFolder, int iCount)
{
    return strFolder + ": " + std::to_string(iCount) + " results successfully posted to XLS file(s) (0.0 seconds elapsed).";
}

TEST_F(CliRunFolders, FailedFoldersLeaveTheOthersPosted)
{
    const std::string a = Folder("a"), b = Folder("b"), readOnly = Folder("read-only"), missing = m_scratch / "missing";
    const std::string locked = readOnly + "/Std140Sec5-2.xls";
    fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (std::FILE *file = std::fopen(locked.c_str(), "r+b")) {
        std::fclose(file);
        GTEST_SKIP() << "this process may write read-only files";
    }
    const Outcome run = Run({"--doe2", m_scratch.Path(), "--results", a, "--results", missing, "--results", readOnly,
                             "--results", b, "--jobs", "2", "--no-check", "--log"},
                            "r\nr\n", true);
    EXPECT_EQ(run.status, 1);
    int writes = 0;
    for (const auto &state : m_launcher.states)
        writes += state->CellsWritten();
    const int posted = writes / 2;
    const std::string cancelled = "Unable to open (for writing) DOE-2 Results spreadsheet file  '" + locked + "'";
    EXPECT_EQ(SplitLines(run.out),
              (std::vector<std::string>{
                  Posted(a, posted), missing + ": not posted: ERROR:  Results path doesn't exist: " + missing,
                  readOnly + ": not posted: Results not posted to XLS file(s): " + cancelled, Posted(b, posted),
                  "total: 2 of 4 folders posted, " + std::to_string(2 * posted) + " results (0.0 seconds elapsed)."}));
    // With two jobs nobody is asked: the question is answered Cancel.
    EXPECT_EQ(run.err, readOnly + ": Gombrel: DOE-2 Results spreadsheet\n" + readOnly +
                           ": gombrel-cli: 0 of 4 workbooks posted; stopped at Std140Sec5-2.xls: " + cancelled + "\n");
    for (const std::string &folder : {a, b})
        EXPECT_EQ(ReadWholeFile(folder + "/GombrelApp Dbg.txt").rfind("Posting results to:  '" + folder + "/", 0), 0u);
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastResultsPath, ""), b);
}

TEST_F(CliRunFolders, ApplicationThatDiedIsReplacedForTheFoldersAfterIt)
{
    const std::string a = Folder("a"), b = Folder("b"), c = Folder("c");
    m_library.beforeRead = [this, b](const std::string &strProject) {
        if (strProject.rfind(b, 0) == 0 && m_launcher.states.size() == 1)
            m_launcher.states.front()->Quit();
    };
    const Outcome run = Run({"--doe2", m_scratch.Path(), "--results", a, "--results", b, "--results", c, "--no-check"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(m_launcher.states.size(), 2u);
    // The first application posted a and closed its workbooks; the second,
    // started for b, was kept for c.
    EXPECT_EQ(m_launcher.states[0]->Calls(SpreadsheetCall::Open), 4);
    EXPECT_EQ(m_launcher.states[0]->Calls(SpreadsheetCall::Close), 1);
    EXPECT_EQ(m_launcher.states[1]->Calls(SpreadsheetCall::Open), 8);
    EXPECT_EQ(m_launcher.states[1]->Calls(SpreadsheetCall::Close), 2);
    EXPECT_EQ(m_launcher.states[1]->Calls(SpreadsheetCall::Quit), 1);
    const std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3].rfind("total: 3 of 3 folders posted, ", 0), 0u);
}

// The count at the start of a final message, after strPrefix.
int PostedCount(const std::string &strLine, const std::string &strPrefix)
{
    return std::stoi(strLine.substr(strPrefix.size()));
}

TEST_F(CliRunFolders, PartlyPostedFolderIsToldAndNotCountedAsPosted)
{
    const std::string a = Folder("a"), b = Folder("b"), c = Folder("c");
    const std::string damaged = b + NativePath("\\Std140Sec5-3B.xls");
    WriteWholeFile(damaged, "gombrel-mem");
    const Outcome run =
        Run({"--doe2", m_scratch.Path(), "--results", a, "--results", b, "--results", c, "--jobs", "2"});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    const int whole = PostedCount(lines[0], a + ": ");
    EXPECT_EQ(lines[0], Posted(a, whole));
    EXPECT_EQ(lines[2], Posted(c, whole));
    const std::string partly = b + ": partly posted (2 of 4 workbooks, stopped at Std140Sec5-3B.xls): ";
    ASSERT_EQ(lines[1].rfind(partly, 0), 0u) << lines[1];
    const int part = PostedCount(lines[1], partly);
    EXPECT_GT(part, 0);
    EXPECT_LT(part, whole);
    EXPECT_EQ(lines[1], partly + std::to_string(part) +
                            " results successfully posted to XLS file(s) (0.0 seconds elapsed).");
    EXPECT_EQ(lines[3], "total: 2 of 3 folders posted, 1 partly posted, " + std::to_string(2 * whole + part) +
                            " results (0.0 seconds elapsed).");
    const std::string failure = "COleDispatchException. SCODE: 000003ec, Description: \"'" + damaged +
                                "' is not a workbook\".";
    EXPECT_EQ(run.err, b + ": COleDispatchException: " + failure + "\n" + b +
                           ": gombrel-cli: 2 of 4 workbooks posted; stopped at Std140Sec5-3B.xls: " + failure + "\n");
}

TEST_F(CliRunFolders, SameFolderGivenAgainIsRefusedBeforeAnythingStarts)
{
    const std::string a = Folder("a");
    fs::create_directory(m_scratch / "b");
#ifdef _WIN32
    // Windows names ignore case.
    std::string other = a;
    std::transform(other.begin(), other.end(), other.begin(), [](unsigned char c) { return std::toupper(c); });
#else
    const std::string other = m_scratch / "link";
    fs::create_directory_symlink(a, other);
#endif
    const std::string again[] = {a + "/", m_scratch.Path() + "/./b/../a", other};
    const Outcome run = Run({"--doe2", m_scratch.Path(), "--results", a, "--results", again[0], "--results", again[1],
                             "--results", m_scratch / "b", "--results", again[2], "--jobs", "2"});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "gombrel-cli: '" + a + "' and '" + again[0] + "' are the same results folder\n" +
                           "gombrel-cli: '" + a + "' and '" + again[1] + "' are the same results folder\n" +
                           "gombrel-cli: '" + a + "' and '" + again[2] + "' are the same results folder\n");
    EXPECT_TRUE(m_launcher.states.empty());
    EXPECT_FALSE(fs::exists(m_settings.Path()));
    for (const MappingTable &table : g_aMappingTables)
        EXPECT_TRUE(ReadWholeFile(a + "/" + (table.pszWorkbookFile + 1)) == WorkbookFor(table.pItems()))
            << table.pszWorkbookFile << " was touched";
}

TEST_F(CliRunFolders, JobsMustBeAWholeNumberFromOne)
{
    const std::string a = Folder("a"), b = Folder("b");
    for (const char *jobs : {"0", "x", "-1", "2x", "", "1000"}) {
        const Outcome run = Run({"--doe2", m_scratch.Path(), "--results", a, "--results", b, "--jobs", jobs});
        EXPECT_EQ(run.status, kExitUsage) << jobs;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("gombrel-cli: unusable option '--jobs'\nusage: gombrel-cli run", 0), 0u) << run.err;
    }
    EXPECT_EQ(Run({"--doe2", m_scratch.Path(), "--results", a, "--jobs"}).status, kExitUsage);
    EXPECT_TRUE(m_launcher.states.empty());
}

}  // namespace
