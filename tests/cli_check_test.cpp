#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "CommandOutput.h"
#include "Commands.h"
#include "D2ResultBinding.h"
#include "DynamicLibrary.h"
#include "MappingTables.h"
#include "Paths.h"
#include "ProgramPath.h"
#include "ResultNeeds.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "ValuesCommand.h"

namespace {

void NoPause(int) {}

std::set<std::string> Words(const std::string &text)
{
    std::set<std::string> words;
    std::istringstream stream(text);
    for (std::string word; stream >> word;)
        words.insert(word);
    return words;
}

void ExecuteSql(const std::string &strStore, const std::string &strSql)
{
    sqlite3 *pDatabase = nullptr;
    ASSERT_EQ(sqlite3_open(strStore.c_str(), &pDatabase), SQLITE_OK);
    char *pszError = nullptr;
    const int status = sqlite3_exec(pDatabase, strSql.c_str(), nullptr, nullptr, &pszError);
    EXPECT_EQ(status, SQLITE_OK) << (pszError ? pszError : "");
    EXPECT_EQ(sqlite3_changes(pDatabase), 1) << strSql;
    sqlite3_free(pszError);
    sqlite3_close(pDatabase);
}

// The lock file LibreOffice writes beside a workbook it has open.
std::string CalcLockOf(const std::string &strWorkbook)
{
    const std::filesystem::path path(strWorkbook);
    return (path.parent_path() / (".~lock." + path.filename().string() + "#")).string();
}

const char kMemoryWorkbook[] = "gombrel-memory-workbook 1\nsheet\tA\n";

// A sample results folder with stores only (writing real workbooks takes
// Calc): each workbook is an in-memory one.
class CheckTest : public ::testing::Test {
protected:
    const ScratchFolder folders;
    const std::string strDoe2 = folders / "doe2";
    const std::string strResults = folders / "results";

    void SetUp() override
    {
        std::filesystem::create_directory(strDoe2);
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(strResults, failure)) << failure;
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(Workbook(table), kMemoryWorkbook);
    }

    std::string Workbook(const MappingTable &table) const { return PathBelow(strResults, table.pszWorkbookFile); }
    std::string Store(const std::string &strProject) const { return PathBelow(strResults, strProject) + ".d2r"; }

    Outcome RunCheck(Arguments args)
    {
        std::ostringstream out, err;
        const int status = RunCheckCommand(args, out, err);
        return {status, out.str(), err.str()};
    }

    // "TABLE:CELL" of every record that an evaluation of the folder fails.
    std::set<std::string> CellsTheEngineFails()
    {
        std::ostringstream out, err;
        RunValuesCommandWith({"--doe2", strDoe2, "--results", strResults}, out, err, BindResultLibrary, NoPause);
        std::set<std::string> cells;
        for (const std::string &line : SplitLines(out.str())) {
            const std::vector<std::string> columns = SplitColumns(line);
            if (columns.size() > 3 && columns[3] == "error")
                cells.insert(columns[0] + ':' + columns[2]);
        }
        return cells;
    }
};

using Check = CheckTest;

// The first record a round evaluates that reads an hourly series of a
// project other than strOtherThan, with its project.
const GombrelData &FirstHourlyRecordOutside(const std::string &strOtherThan)
{
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item) {
            ProjectNeeds needs;
            AddRecordNeeds(*item, needs);
            if (IsEvaluatedInRound(*item) && !needs.series.empty() && item->psSimResPathFile != strOtherThan)
                return *item;
        }
    throw std::logic_error("no hourly record");
}

TEST_F(Check, CompleteSampleFindsNothingAndChangesNothing)
{
    const std::string workbookBefore = ReadWholeFile(Workbook(g_aMappingTables[0]));
    const Outcome outcome = RunCheck({"--doe2", strDoe2, "--results", strResults});
    EXPECT_EQ(outcome.status, 0) << outcome.out;
    ASSERT_EQ(SplitLines(outcome.out).size(), 1u) << outcome.out;
    EXPECT_EQ(outcome.out.rfind("check: 85 stores, 0 missing or not readable; 0 results and 0 series lacking; 0 of ", 0),
              0u)
        << outcome.out;
    // The DOE-2 folder holds no library: the one beside the program answers, and the line says which.
    const std::string beside = WithTrailingSeparator(ExecutableFolder()) + SharedLibraryFileName("d2result");
    EXPECT_EQ(outcome.out.substr(outcome.out.find("; result library ")), "; result library " + beside + "\n");
    EXPECT_EQ(ReadWholeFile(Workbook(g_aMappingTables[0])), workbookBefore);
}

TEST_F(Check, RemovedStoreAndDeletedSeriesAreAllItFinds)
{
    const std::string removedProject = CollectResultNeeds().begin()->first;
    ASSERT_TRUE(std::filesystem::remove(Store(removedProject)));
    const GombrelData &hourly = FirstHourlyRecordOutside(removedProject);
    ProjectNeeds needs;
    AddRecordNeeds(hourly, needs);
    const SeriesNeed &series = *needs.series.begin();
    ExecuteSql(Store(hourly.psSimResPathFile),
               "DELETE FROM hourly WHERE file_type = " + std::to_string(series.iFileType) +
                   " AND list_id = " + std::to_string(series.iListId) +
                   " AND variable = " + std::to_string(series.iVariable) + " AND report_key = '" +
                   series.strReportKey + "'");

    const Outcome table = RunCheck({"--doe2", strDoe2, "--results", strResults, "--tsv"});
    EXPECT_EQ(table.status, 1);
    const std::vector<std::string> rows = SplitLines(table.out);
    ASSERT_EQ(rows.size(), 3u) << table.out;
    EXPECT_EQ(rows[0], "project\tkind\titem\tproblem\tcells");
    const std::vector<std::string> store = SplitColumns(rows[1]), lacking = SplitColumns(rows[2]);
    ASSERT_EQ(store.size(), 5u);
    ASSERT_EQ(lacking.size(), 5u);
    EXPECT_EQ(store[0] + ' ' + store[1] + ' ' + store[2] + ' ' + store[3],
              removedProject + " store " + Store(removedProject) + " missing");
    EXPECT_EQ(lacking[0] + ' ' + lacking[1] + ' ' + lacking[3],
              std::string(hourly.psSimResPathFile) + " series missing");
    // The cells it names are exactly those a run would fail.
    std::set<std::string> named = Words(store[4]);
    const std::set<std::string> seriesCells = Words(lacking[4]);
    named.insert(seriesCells.begin(), seriesCells.end());
    EXPECT_EQ(named, CellsTheEngineFails());
    EXPECT_NE(table.err.find("1 missing or not readable; 0 results and 1 series lacking; " +
                             std::to_string(named.size()) + " of "),
              std::string::npos)
        << table.err;

    const Outcome text = RunCheck({"--doe2", strDoe2, "--results", strResults});
    const std::vector<std::string> lines = SplitLines(text.out);
    ASSERT_EQ(lines.size(), 3u) << text.out;
    EXPECT_EQ(lines[0].rfind(removedProject + ": store ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind(std::string(hourly.psSimResPathFile) + ": series list ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("check: ", 0), 0u);
}

TEST_F(Check, TellsWhatKeepsAWorkbookFromARun)
{
    const struct {
        const char *pszName;
        void (*prepare)(const std::string &strPath);
        std::string strProblem;
    } kCases[] = {
        {"missing", [](const std::string &path) { std::filesystem::remove(path); }, "missing"},
        {"folder", [](const std::string &path) { std::filesystem::remove(path), std::filesystem::create_directory(path); },
         "not a file"},
        {"zip archive", [](const std::string &path) { WriteWholeFile(path, std::string("PK\x03\x04", 4) + "xl/"); },
         "not a workbook"},
        {"empty file", [](const std::string &path) { WriteWholeFile(path, ""); }, "not a workbook"},
        {"open in Calc", [](const std::string &path) { WriteWholeFile(CalcLockOf(path), ",someone,host,;"); },
         "locked by another program"},
        {"compound file", [](const std::string &path) {
             WriteWholeFile(path, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'));
         }, ""},
    };
    const MappingTable &table = g_aMappingTables[1];
    const std::string path = Workbook(table);
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszName);
        std::filesystem::remove_all(path);
        WriteWholeFile(path, kMemoryWorkbook);
        test.prepare(path);
        const Outcome outcome = RunCheck({"--doe2", strDoe2, "--results", strResults, "--table", table.pszName});
        const std::vector<std::string> lines = SplitLines(outcome.out);
        if (test.strProblem.empty()) {
            EXPECT_EQ(outcome.status, 0) << outcome.out;
            EXPECT_EQ(lines.size(), 1u) << outcome.out;
            continue;
        }
        EXPECT_EQ(outcome.status, 1);
        ASSERT_EQ(lines.size(), 2u) << outcome.out;
        EXPECT_EQ(lines[0].rfind("workbook " + path + ": " + test.strProblem, 0), 0u) << lines[0];
        EXPECT_NE(lines[1].find("1 workbooks, 1 not ready"), std::string::npos) << lines[1];
        std::filesystem::remove(CalcLockOf(path));
    }
}

TEST_F(Check, RefusesBadArgumentsAndMissingFolders)
{
    const Arguments kBad[] = {
        {"--results", strResults},
        {"--doe2", strDoe2, "--results", strResults, "--table", "Nope"},
        {"--doe2", strDoe2, "--results", strResults, "--check"},
        {"--doe2", strDoe2, "--results", folders / "gone"},
    };
    for (const Arguments &args : kBad) {
        const Outcome outcome = RunCheck(args);
        EXPECT_EQ(outcome.status, kExitUsage) << outcome.err;
        EXPECT_TRUE(outcome.out.empty());
        EXPECT_FALSE(outcome.err.empty());
    }
}

}  // namespace
