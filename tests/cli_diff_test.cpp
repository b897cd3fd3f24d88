#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "CommandOutput.h"
#include "Commands.h"
#include "MappingTables.h"
#include "Paths.h"
#include "ResultNeeds.h"
#include "SampleResults.h"
#include "ScratchFolder.h"

namespace {

Outcome RunDiff(const Arguments &args)
{
    std::ostringstream out, err;
    const int status = RunDiffCommand(args, out, err);
    return {status, out.str(), err.str()};
}

// The rows of the table of changes, without the header and the counts.
std::vector<std::vector<std::string>> ChangeRows(const std::string &out)
{
    std::vector<std::vector<std::string>> rows;
    for (const std::string &line : SplitLines(out))
        if (line.rfind("table\t", 0) != 0 && line.rfind("# ", 0) != 0)
            rows.push_back(SplitColumns(line));
    return rows;
}

const char kHeader[] = "table\tindex\tcell\toutcome\tnumber\ttext\n";

// The first record of the first table that a round evaluates, as a values
// line with the number given.
std::string FirstRecordLine(const std::string &strOutcome, const std::string &strNumber)
{
    const GombrelData *items = g_aMappingTables[0].pItems();
    size_t index = 0;
    while (!IsEvaluatedInRound(items[index]))
        ++index;
    return std::string(g_aMappingTables[0].pszName) + '\t' + std::to_string(index) + '\t' + items[index].psCol +
           std::to_string(items[index].iRow) + '\t' + strOutcome + '\t' + strNumber + "\t\n";
}

// A sample results folder (stores only) and an empty DOE-2 folder.
class DiffTest : public ::testing::Test {
protected:
    const ScratchFolder folders;
    const std::string strDoe2 = folders / "doe2";
    const std::string strResults = folders / "results";

    void SetUp() override
    {
        std::filesystem::create_directory(strDoe2);
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(strResults, failure)) << failure;
    }
};

using Diff = DiffTest;

// A single value of a project that no monthly record reads with its
// neighbours, with the "TABLE:CELL" of every record that reads it.
struct ReadResult {
    std::string strProject;
    ResultNeed need;
    std::set<std::string> cells;
};

bool SameResult(const ResultNeed &left, const ResultNeed &right)
{
    return left.iFileType == right.iFileType && left.iResultId == right.iResultId &&
           left.strReportKey == right.strReportKey && left.strRowKey == right.strRowKey;
}

std::set<std::string> CellsReading(const std::string &strProject, const ResultNeed &need)
{
    std::set<std::string> cells;
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item) {
            ProjectNeeds needs;
            AddRecordNeeds(*item, needs);
            if (IsEvaluatedInRound(*item) && item->psSimResPathFile == strProject && needs.results.count(need))
                cells.insert(std::string(table.pszName) + ':' + item->psCol + std::to_string(item->iRow));
        }
    return cells;
}

ReadResult FirstSingleResult()
{
    for (const auto &[project, needs] : CollectResultNeeds())
        for (const ResultNeed &need : needs.results) {
            const bool bAlsoMonthly = std::any_of(needs.results.begin(), needs.results.end(), [&](const ResultNeed &other) {
                return SameResult(need, other) && other.iValueCount != 1;
            });
            std::set<std::string> cells = CellsReading(project, need);
            if (need.iValueCount == 1 && !bAlsoMonthly && !cells.empty())
                return {project, need, cells};
        }
    throw std::logic_error("no single result");
}

void ExecuteSql(const std::string &strStore, const std::string &strSql)
{
    sqlite3 *pDatabase = nullptr;
    ASSERT_EQ(sqlite3_open(strStore.c_str(), &pDatabase), SQLITE_OK);
    char *pszError = nullptr;
    EXPECT_EQ(sqlite3_exec(pDatabase, strSql.c_str(), nullptr, nullptr, &pszError), SQLITE_OK)
        << (pszError ? pszError : "");
    EXPECT_EQ(sqlite3_changes(pDatabase), 1) << strSql;
    sqlite3_free(pszError);
    sqlite3_close(pDatabase);
}

TEST_F(Diff, AFolderAgreesWithItselfAndWithItsSavedValues)
{
    std::ostringstream values, ignored;
    ASSERT_EQ(RunValuesCommand({"--doe2", strDoe2, "--results", strResults}, values, ignored), 0);
    WriteWholeFile(folders / "saved.tsv", values.str());

    for (const Arguments &args : {Arguments{"--doe2", strDoe2, strResults, strResults},
                                  Arguments{folders / "saved.tsv", "--doe2", strDoe2, strResults}}) {
        const Outcome outcome = RunDiff(args);
        EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
        EXPECT_TRUE(ChangeRows(outcome.out).empty()) << outcome.out;
        const std::vector<std::string> lines = SplitLines(outcome.out);
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(lines[0], "table\tcell\tproject\tkey\told\tnew\tchange");
        EXPECT_EQ(lines[1].rfind("# Std140Sec5_2Items: 0 of ", 0), 0u) << lines[1];
    }
}

TEST_F(Diff, OneChangedResultListsExactlyTheCellsThatReadIt)
{
    const std::string changed = folders / "changed";
    std::filesystem::copy(strResults, changed, std::filesystem::copy_options::recursive);
    const ReadResult result = FirstSingleResult();
    ExecuteSql(PathBelow(changed, result.strProject) + ".d2r",
               "UPDATE result SET value = (value + 1000) * 3 WHERE file_type = " +
                   std::to_string(result.need.iFileType) + " AND result_id = " + std::to_string(result.need.iResultId) +
                   " AND report_key = '" + result.need.strReportKey + "' AND row_key = '" + result.need.strRowKey +
                   "' AND seq = 0");

    const Outcome outcome = RunDiff({"--doe2", strDoe2, strResults, changed});
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    std::set<std::string> listed;
    for (const std::vector<std::string> &row : ChangeRows(outcome.out)) {
        ASSERT_EQ(row.size(), 7u);
        listed.insert(row[0] + ':' + row[1]);
        EXPECT_EQ(row[2], result.strProject);
        EXPECT_EQ(row[3].rfind(std::to_string(result.need.iResultId), 0), 0u) << row[3];
        EXPECT_NE(row[4], row[5]);
    }
    EXPECT_EQ(listed, result.cells);
}

TEST_F(Diff, ToleranceDecidesWhatCounts)
{
    const struct {
        const char *pszName;
        const char *pszOld;
        const char *pszNew;
        Arguments tolerance;
        int iStatus;
    } kCases[] = {
        {"within the confirmation rule", "100", "100.09", {}, 0},
        {"beyond the confirmation rule", "100", "100.11", {}, 1},
        {"both about zero", "0.00001", "-0.00009", {}, 0},
        {"within a wider tolerance", "100", "104", {"--tolerance", "5"}, 0},
        {"beyond a narrower tolerance", "100", "100.09", {"--tolerance", "0.05"}, 1},
        {"any difference at none", "0.00001", "0.00002", {"--tolerance", "0"}, 1},
        {"equal at none", "7", "7", {"--tolerance", "0"}, 0},
    };
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszName);
        WriteWholeFile(folders / "old.tsv", kHeader + FirstRecordLine("number", test.pszOld));
        WriteWholeFile(folders / "new.tsv", kHeader + FirstRecordLine("number", test.pszNew));
        Arguments args = {folders / "old.tsv", folders / "new.tsv"};
        args.insert(args.end(), test.tolerance.begin(), test.tolerance.end());
        const Outcome outcome = RunDiff(args);
        EXPECT_EQ(outcome.status, test.iStatus) << outcome.out << outcome.err;
        EXPECT_EQ(ChangeRows(outcome.out).size(), static_cast<size_t>(test.iStatus));
    }
}

TEST_F(Diff, RefusesWhatItCannotReadWhole)
{
    const std::string good = FirstRecordLine("number", "1");
    const struct {
        const char *pszName;
        std::string strText;
    } kFiles[] = {
        {"empty", ""},
        {"another header", "table\tindex\tcell\tvalue\n" + good},
        {"a column short", kHeader + good.substr(0, good.rfind('\t')) + '\n'},
        {"cut short", kHeader + good.substr(0, good.size() - 1)},
        {"another version's cell", kHeader + good.substr(0, good.find("\tnumber")) + "9\tnumber\t1\t\n"},
        {"a word for a number", kHeader + FirstRecordLine("number", "many")},
        {"one record twice", kHeader + good + good},
    };
    WriteWholeFile(folders / "good.tsv", kHeader + good);
    for (const auto &test : kFiles) {
        SCOPED_TRACE(test.pszName);
        WriteWholeFile(folders / "bad.tsv", test.strText);
        const Outcome outcome = RunDiff({folders / "good.tsv", folders / "bad.tsv"});
        EXPECT_EQ(outcome.status, kExitUsage);
        EXPECT_TRUE(outcome.out.empty()) << outcome.out;
        EXPECT_EQ(outcome.err.rfind("gombrel-cli: " + (folders / "bad.tsv") + " is refused", 0), 0u) << outcome.err;
    }
    const Outcome noDoe2 = RunDiff({folders / "good.tsv", strResults});
    EXPECT_EQ(noDoe2.status, kExitUsage);
    EXPECT_NE(noDoe2.err.find("--doe2"), std::string::npos) << noDoe2.err;
    EXPECT_EQ(RunDiff({folders / "good.tsv"}).status, kExitUsage);
    EXPECT_EQ(RunDiff({folders / "good.tsv", folders / "nothing.tsv"}).status, kExitUsage);
}

}  // namespace
