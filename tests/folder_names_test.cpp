// Folder names outside ASCII the whole way through gombrel-cli: a sample
// results folder below a parent of such a name, its stores found by the
// preflight and read through the result library, its workbooks posted,
// confirmed and saved, the posting log written into it, and the settings
// file, in such a folder too, keeping the name as it was typed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>

#include "CommandOutput.h"
#include "Commands.h"
#include "FilePath.h"
#include "MappingTables.h"
#include "MemoryWorkbooks.h"
#include "PassTestSupport.h"
#include "Paths.h"
#include "RunCli.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "Settings.h"

namespace {

void NoPause(int) {}

class StillClock : public Stopwatch {
public:
    std::chrono::nanoseconds Now() override { return std::chrono::seconds(42); }
};

// The sample's stores and empty in-memory workbooks in "Wärme Ω/Ergebnisse-é",
// an empty DOE-2 folder beside it, the settings file in the parent.
class FolderNamesOutsideAscii : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(m_strResults, failure)) << failure;
        ASSERT_TRUE(std::filesystem::create_directory(FilePath(m_strDoe2)));
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(PathBelow(m_strResults, table.pszWorkbookFile), WorkbookFor(table.pItems()));
    }

    Outcome Check()
    {
        std::ostringstream out, err;
        const int status =
            RunCheckCommandWith({"--doe2", m_strDoe2, "--results", m_strResults}, out, err, {kMemoryBookMark});
        return {status, out.str(), err.str()};
    }

    Outcome Run()
    {
        std::istringstream in;
        std::ostringstream out, err;
        RunConsole console{in, out, err};
        MemoryLauncher launcher(m_state);
        BoundResultLibrary library;
        StillClock clock;
        RunBackends backends{launcher, library.Binder(), clock, m_settings, NoPause};
        const int status =
            RunResultsCommand({"--doe2", m_strDoe2, "--results", m_strResults, "--check", "--log"}, console, backends);
        return {status, out.str(), err.str()};
    }

    ScratchFolder m_scratch;
    const std::string m_strParent = m_scratch / "Wärme Ω";
    const std::string m_strResults = PathBelow(m_strParent, "\\Ergebnisse-é");
    const std::string m_strDoe2 = PathBelow(m_strParent, "\\DOE-2 Åbo");
    const SettingsFile m_settings{PathBelow(m_strParent, "\\gombrel.ini")};
    std::shared_ptr<MemorySpreadsheet> m_state = std::make_shared<MemorySpreadsheet>();
};

TEST_F(FolderNamesOutsideAscii, ReachEveryStoreWorkbookLogAndSetting)
{
    const Outcome check = Check();
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(check.out.rfind("check: 85 stores, 0 missing or not readable; 0 results and 0 series lacking; ", 0), 0u)
        << check.out;

    const Outcome run = Run();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, std::to_string(m_state->CellsWritten()) +
                           " results successfully posted to XLS file(s) (0.0 seconds elapsed).\n");
    EXPECT_GT(m_state->CellsWritten(), 2000);
    for (const MappingTable &table : g_aMappingTables)
        EXPECT_NE(ReadWholeFile(PathBelow(m_strResults, table.pszWorkbookFile)).find("\ncell\t"), std::string::npos)
            << table.pszWorkbookFile << " was not saved";
    const std::string log = ReadWholeFile(PathBelow(m_strResults, "\\GombrelApp Dbg.txt"));
    const std::string firstWorkbook = PathBelow(m_strResults, g_aMappingTables[0].pszWorkbookFile);
    EXPECT_EQ(log.rfind("Posting results to:  '" + firstWorkbook + "'\n", 0), 0u) << log.substr(0, 200);
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastResultsPath), m_strResults);
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path), m_strDoe2);
}

}  // namespace
