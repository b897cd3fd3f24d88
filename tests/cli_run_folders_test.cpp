// gombrel-cli run with several results folders, on in-memory spreadsheets:
// a folder that fails leaves the others posted, a kept application that
// dies is replaced, --jobs takes only a sensible number.
#include <gtest/gtest.h>

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
    bool StartExcel(DispatchHolder<Application> &application, UserMessages &) override
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
    EXPECT_EQ(SplitLines(run.out),
              (std::vector<std::string>{
                  Posted(a, posted), missing + ": ERROR:  Results path doesn't exist: " + missing,
                  readOnly + ": Results not posted to XLS file(s): Unable to open (for writing) DOE-2 Results "
                             "spreadsheet file  '" + locked + "'",
                  Posted(b, posted), "total: 2 of 4 folders posted, " + std::to_string(2 * posted) +
                                         " results (0.0 seconds elapsed)."}));
    // With two jobs nobody is asked: the question is answered Cancel.
    EXPECT_EQ(run.err, readOnly + ": Gombrel: DOE-2 Results spreadsheet\n");
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
