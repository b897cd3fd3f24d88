#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <tuple>
#include <variant>
#include <vector>

#include "CellAction.h"
#include "CommandOutput.h"
#include "Commands.h"
#include "D2ResultBinding.h"
#include "EvaluateItemValue.h"
#include "FormatText.h"
#include "DynamicLibrary.h"
#include "MappingTables.h"
#include "MemoryBook.h"
#include "Paths.h"
#include "ProgramPath.h"
#include "ResultNeeds.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "ValuesCommand.h"

namespace {

void NoPause(int) {}

using SqlValue = std::variant<int, std::string, std::vector<unsigned char>>;

// A copy of strFrom whose files are hard links to its files.
void LinkFolder(const std::string &strFrom, const std::string &strTo)
{
    std::filesystem::copy(strFrom, strTo,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::create_hard_links);
}

// The file at strPath made a file of its own, no longer a link to another's.
void OwnFile(const std::string &strPath)
{
    const std::string bytes = ReadWholeFile(strPath);
    std::filesystem::remove(strPath);
    WriteWholeFile(strPath, bytes);
}

// Runs one statement on a store (made the caller's own first) with its
// parameters bound in order; the number of rows it changed.
int ChangeStore(const std::string &strStore, const std::string &strSql, const std::vector<SqlValue> &values = {})
{
    OwnFile(strStore);
    sqlite3 *pDatabase = nullptr;
    sqlite3_stmt *pStatement = nullptr;
    int changed = -1;
    if (sqlite3_open_v2(strStore.c_str(), &pDatabase, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(pDatabase, strSql.c_str(), -1, &pStatement, nullptr) == SQLITE_OK) {
        for (size_t i = 0; i < values.size(); ++i) {
            const int index = static_cast<int>(i) + 1;
            if (const int *pNumber = std::get_if<int>(&values[i]))
                sqlite3_bind_int(pStatement, index, *pNumber);
            else if (const std::string *pText = std::get_if<std::string>(&values[i]))
                sqlite3_bind_text(pStatement, index, pText->c_str(), -1, SQLITE_TRANSIENT);
            else {
                const auto &bytes = std::get<std::vector<unsigned char>>(values[i]);
                sqlite3_bind_blob(pStatement, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
            }
        }
        if (sqlite3_step(pStatement) == SQLITE_DONE)
            changed = sqlite3_changes(pDatabase);
    }
    EXPECT_GE(changed, 0) << strSql << ": " << sqlite3_errmsg(pDatabase);
    sqlite3_finalize(pStatement);
    sqlite3_close(pDatabase);
    return changed;
}

// An hours blob of a year in which every hour is missing.
std::vector<unsigned char> MissingYear()
{
    const float missing = -99999.0f;
    std::vector<unsigned char> bytes(8760 * sizeof missing);
    for (size_t hour = 0; hour < 8760; ++hour)
        std::memcpy(&bytes[hour * sizeof missing], &missing, sizeof missing);
    return bytes;
}

const std::string kSeriesWhere = " WHERE file_type = ? AND list_id = ? AND variable = ? AND report_key = ?";
const std::string kResultWhere = " WHERE file_type = ? AND result_id = ? AND report_key = ? AND row_key = ?";

// Changes one series of a store: hours, or deletes it when there are none.
void ChangeSeries(const std::string &strStore, const SeriesNeed &series, const std::vector<unsigned char> *pHours)
{
    std::vector<SqlValue> values = {series.iFileType, series.iListId, series.iVariable, series.strReportKey};
    if (pHours)
        values.insert(values.begin(), *pHours);
    EXPECT_EQ(ChangeStore(strStore, (pHours ? "UPDATE hourly SET hours = ?" : "DELETE FROM hourly") + kSeriesWhere,
                          values),
              1);
}

void EmptySeries(const std::string &strStore, const SeriesNeed &series)
{
    const std::vector<unsigned char> hours = MissingYear();
    ChangeSeries(strStore, series, &hours);
}

// The lock file LibreOffice writes beside a workbook it has open.
std::string CalcLockOf(const std::string &strWorkbook)
{
    const std::filesystem::path path(strWorkbook);
    return (path.parent_path() / (".~lock." + path.filename().string() + "#")).string();
}

const char kMemoryWorkbook[] = "gombrel-memory-workbook 1\nsheet\tA\n";

// A sample results folder with stores only (writing real workbooks takes
// Calc): each workbook is an in-memory one.  The stores are written once for
// all the tests and linked into each test's folder; a test changes a store
// only through ChangeStore, which gives it a file of its own first.
class CheckTest : public ::testing::Test {
protected:
    static std::unique_ptr<ScratchFolder> s_sample;
    const ScratchFolder folders;
    const std::string strDoe2 = folders / "doe2";
    const std::string strResults = folders / "results";

    static void SetUpTestSuite()
    {
        s_sample = std::make_unique<ScratchFolder>("check-sample");
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(s_sample->Path(), failure)) << failure;
    }

    static void TearDownTestSuite() { s_sample.reset(); }

    void SetUp() override
    {
        std::filesystem::create_directory(strDoe2);
        LinkFolder(s_sample->Path(), strResults);
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(Workbook(table), kMemoryWorkbook);
    }

    std::string Workbook(const MappingTable &table) const { return PathBelow(strResults, table.pszWorkbookFile); }
    std::string Store(const std::string &strProject) const { return PathBelow(strResults, strProject) + ".d2r"; }

    Outcome RunCheck(Arguments args)
    {
        std::ostringstream out, err;
        const int status = RunCheckCommandWith(args, out, err, {kMemoryBookMark});
        return {status, out.str(), err.str()};
    }

    // What check tells of each cell it names, by "TABLE:CELL": outcome and detail.
    std::map<std::string, std::pair<std::string, std::string>> CheckedCells(const std::string &strResults, Outcome &outcome)
    {
        outcome = RunCheck({"--doe2", strDoe2, "--results", strResults, "--tsv"});
        std::map<std::string, std::pair<std::string, std::string>> cells;
        for (const std::string &line : SplitLines(outcome.out)) {
            const std::vector<std::string> columns = SplitColumns(line + "\t");
            if (columns.size() == 7 && columns[4] != "cell" && !columns[4].empty())
                cells[columns[4]] = {columns[5], columns[6]};
        }
        return cells;
    }
};

// What values prints for each record of the projects named, by
// "TABLE:CELL": outcome, number and text, from the same evaluation through
// the result library, the records in the run's order.
std::map<std::string, std::vector<std::string>> ValuesOf(ResultLibrary &library, const std::string &strDoe2,
                                                        const std::string &strResults,
                                                        const std::set<std::string> &projects)
{
    ResultAccess access(&library, NoPause);
    std::map<std::string, std::vector<std::string>> cells;
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item) {
            if (!IsEvaluatedInRound(*item) || !item->psSimResPathFile || !projects.count(item->psSimResPathFile))
                continue;
            std::string error;
            ItemValue value;
            EvaluateItemValue(access, *item, WithTrailingSeparator(strDoe2), strResults, error, value);
            const std::string cell = std::string(table.pszName) + ':' + item->psCol + std::to_string(item->iRow);
            if (!error.empty())
                cells[cell] = {"error", "", error};
            else if (value.bSkip)
                cells[cell] = {"skip", "", ""};
            else
                cells[cell] = {PostsText(*item, value) ? "text" : "number", FormatText("%.17g", value.dNumber),
                               value.strText};
        }
    return cells;
}

std::unique_ptr<ScratchFolder> CheckTest::s_sample;

using Check = CheckTest;

TEST_F(Check, CompleteSampleFindsNothingAndChangesNothing)
{
    const std::string workbookBefore = ReadWholeFile(Workbook(g_aMappingTables[0]));
    const Outcome outcome = RunCheck({"--doe2", strDoe2, "--results", strResults});
    EXPECT_EQ(outcome.status, 0) << outcome.out;
    // The DOE-2 folder holds no library: the one beside the program answers, and the line says which.
    const std::string beside = WithTrailingSeparator(ExecutableFolder()) + SharedLibraryFileName("d2result");
    EXPECT_EQ(outcome.out,
              "check: 85 stores, 0 missing or not readable; 0 results and 0 series lacking; 0 of 2150 cells would "
              "fail; 0 would be posted from no data; 0 would be skipped; 4 workbooks, 0 not ready; result library " +
                  beside + "\n");
    EXPECT_EQ(ReadWholeFile(Workbook(g_aMappingTables[0])), workbookBefore);
}

// A run posts what the statistics give over a year without a value, and
// fails only where the library itself finds nothing (a month's filtered
// mean): check tells each cell as the run meets it, with the value posted.
TEST_F(Check, SeriesWithOnlyMissingHoursIsPostedFromNoData)
{
    EmptySeries(Store("\\Sec5-2\\600ff-Zv\\600ff-Zv - Baseline Design"), {4, 2019, 6, "SHOEBOX-ZONE"});
    EmptySeries(Store("\\Sec5-3\\ce100-Zv\\ce100-Zv - Baseline Design"), {4, 2010, 6, "SYSTEM-1"});

    const Outcome outcome = RunCheck({"--doe2", strDoe2, "--results", strResults});
    EXPECT_EQ(outcome.status, 1);
    const std::vector<std::string> lines = SplitLines(outcome.out);
    ASSERT_EQ(lines.size(), 3u) << outcome.out;
    EXPECT_EQ(lines[0].rfind("\\Sec5-2\\600ff-Zv\\600ff-Zv - Baseline Design: series list 2019 variable 6 (file type "
                             "4, report \"SHOEBOX-ZONE\"): only missing values; 31 cells would be posted from no data: "
                             "Std140Sec5_2Items:E254=-100000000 Std140Sec5_2Items:C254=-1/-1 "
                             "Std140Sec5_2Items:D254=-1 Std140Sec5_2Items:E263=100000000 ",
                             0),
              0u)
        << lines[0];
    EXPECT_NE(lines[0].find(" Std140Sec5_2Items:E272=0 Std140Sec5_2Items:E508=-99999 "), std::string::npos);
    EXPECT_EQ(lines[0].find("would fail"), std::string::npos);
    EXPECT_EQ(lines[1], "\\Sec5-3\\ce100-Zv\\ce100-Zv - Baseline Design: series list 2010 variable 6 (file type 4, "
                        "report \"SYSTEM-1\"): only missing values; 1 cells would fail (Error retrieving filtered "
                        "hourly results): Std140Sec5_3Items:F48; 3 cells would be posted from no data: "
                        "Std140Sec5_3Items:L48=0 Std140Sec5_3Items:O48=-100000000 Std140Sec5_3Items:R48=100000000");
    EXPECT_EQ(lines[2], "check: 85 stores, 0 missing or not readable; 0 results and 2 series lacking; 1 of 2150 cells "
                        "would fail; 34 would be posted from no data; 0 would be skipped; 4 workbooks, 0 not ready; result "
                        "library " +
                            WithTrailingSeparator(ExecutableFolder()) + SharedLibraryFileName("d2result"));
}

// Without its monthly peaks no month wins: the round skips the peak's date
// and hour, which keep what they held, and nothing fails.
TEST_F(Check, MissingMonthlyPeakSkipsItsDateAndHour)
{
    EXPECT_EQ(ChangeStore(Store("\\Sec5-2\\930-Zv\\930-Zv - Baseline Design"),
                          "DELETE FROM result WHERE result_id = 2101010"),
              12);

    const Outcome table = RunCheck({"--doe2", strDoe2, "--results", strResults, "--tsv"});
    EXPECT_EQ(table.status, 1);
    const std::string finding = "\\Sec5-2\\930-Zv\\930-Zv - Baseline Design\tresult\t2101010 (file type 1, report "
                                "\"SYSTEM-SUM\", row \"\")\tmissing\t";
    EXPECT_EQ(table.out, "project\tkind\titem\tproblem\tcell\toutcome\tdetail\n" + finding +
                             "Std140Sec5_2Items:C208\tskip\t\n" + finding + "Std140Sec5_2Items:D208\tskip\t\n");
    EXPECT_NE(table.err.find("; 1 results and 0 series lacking; 0 of 2150 cells would fail; 0 would be posted from "
                             "no data; 2 would be skipped; "),
              std::string::npos)
        << table.err;
}

// One random damage of a results folder, as users meet them.
enum class Damage { RemoveStore, GarbleStore, DeleteResult, BlankResult, DeleteSeries, EmptySeries, CutSeries };
constexpr int kDamageKinds = 7;

using ResultKey = std::tuple<int32_t, int32_t, std::string, std::string>;

ResultKey KeyOf(const ResultNeed &need)
{
    return {need.iFileType, need.iResultId, need.strReportKey, need.strRowKey};
}

// A copy of the sample made of hard links, each store made a file of its
// own before it is damaged, with what was damaged where.
class DamagedFolder {
public:
    DamagedFolder(const std::string &strSample, const std::string &strFolder) : m_strFolder(strFolder)
    {
        LinkFolder(strSample, strFolder);
    }

    void Apply(Damage damage, const std::string &strProject, const ProjectNeeds &needs, std::mt19937 &random)
    {
        if (m_brokenStores.count(strProject))
            return;
        const std::string store = PathBelow(m_strFolder, strProject) + ".d2r";
        if (damage == Damage::RemoveStore || damage == Damage::GarbleStore) {
            std::filesystem::remove(store);
            if (damage == Damage::GarbleStore)
                WriteWholeFile(store, "not a result store, though named like one");
            m_brokenStores.insert(strProject);
            return;
        }
        // A project without results has a series damaged instead; each
        // result or series is damaged once at most.
        const bool bResult = damage == Damage::DeleteResult || damage == Damage::BlankResult;
        if (bResult && !needs.results.empty()) {
            const ResultNeed &need = *std::next(needs.results.begin(), random() % needs.results.size());
            if (Holds(m_results, strProject, KeyOf(need)))
                return;
            std::vector<SqlValue> values = {need.iFileType, need.iResultId, need.strReportKey, need.strRowKey};
            if (damage == Damage::BlankResult)
                values.insert(values.begin(), -99999);
            EXPECT_GT(ChangeStore(store,
                                  (damage == Damage::BlankResult ? "UPDATE result SET value = ?" : "DELETE FROM result") +
                                      kResultWhere,
                                  values),
                      0);
            m_results[strProject].insert(KeyOf(need));
            return;
        }
        if (needs.series.empty())
            return;
        const SeriesNeed &need = *std::next(needs.series.begin(), random() % needs.series.size());
        if (Holds(m_series, strProject, need) || Holds(m_emptied, strProject, need))
            return;
        // A blob that is not a year of hours: the library cannot read the series.
        const std::vector<unsigned char> cut(1000, 0);
        if (damage == Damage::EmptySeries)
            EmptySeries(store, need);
        else
            ChangeSeries(store, need, damage == Damage::CutSeries ? &cut : nullptr);
        (damage == Damage::EmptySeries ? m_emptied : m_series)[strProject].insert(need);
    }

    // True when item reads its project's store and the store, or something
    // item reads from it, was damaged.
    bool ReadsDamaged(const GombrelData &item) const
    {
        const std::string project = item.psSimResPathFile ? item.psSimResPathFile : "";
        if (m_brokenStores.count(project))
            return true;
        ProjectNeeds needs;
        AddRecordNeeds(item, needs);
        for (const ResultNeed &need : needs.results)
            if (Holds(m_results, project, KeyOf(need)))
                return true;
        for (const SeriesNeed &need : needs.series)
            if (Holds(m_series, project, need) || Holds(m_emptied, project, need))
                return true;
        return false;
    }

    // True when item reads a series whose every hour was made missing.
    bool ReadsEmptied(const GombrelData &item) const
    {
        ProjectNeeds needs;
        AddRecordNeeds(item, needs);
        const std::string project = item.psSimResPathFile ? item.psSimResPathFile : "";
        return std::any_of(needs.series.begin(), needs.series.end(),
                           [&](const SeriesNeed &need) { return Holds(m_emptied, project, need); });
    }

private:
    template <class Key>
    static bool Holds(const std::map<std::string, std::set<Key>> &damaged, const std::string &strProject,
                      const Key &key)
    {
        const auto found = damaged.find(strProject);
        return found != damaged.end() && found->second.count(key) > 0;
    }

    std::string m_strFolder;
    std::set<std::string> m_brokenStores;
    std::map<std::string, std::set<ResultKey>> m_results;
    std::map<std::string, std::set<SeriesNeed>> m_series, m_emptied;
};

// What values shows the run doing with a cell after the damage, as check
// names it: "fail", "no-data" (posted from a series without a value),
// "skip" (skipped because of the damage) or "" (nothing to tell).
std::string ExpectedFate(const DamagedFolder &damaged, const GombrelData &item, const std::vector<std::string> &after,
                         const std::vector<std::string> &before)
{
    if (after[0] == "error")
        return "fail";
    if (after[0] == "skip")
        return before[0] != "skip" || damaged.ReadsDamaged(item) ? "skip" : "";
    return damaged.ReadsEmptied(item) ? "no-data" : "";
}

// The value check gives for a cell posted from no data, from values' line.
std::string PostedValue(const std::vector<std::string> &values)
{
    return values[0] == "text" ? values[2] : FormatText("%.15g", std::strtod(values[1].c_str(), nullptr));
}

// Over a few dozen damages of the sample (twelve folders, two to four
// damages each, every kind in turn on seeded random projects, results and
// series), check names exactly the cells values fails, those values posts from a series without a value (with the
// value it posts) and those values skips because of the damage.  Values
// are taken of the damaged projects only: the others read what they read
// before, and check must name none of their cells.
TEST_F(Check, TellsEveryCellAsValuesMeetsItOverRandomDamages)
{
    std::string failure;
    const std::unique_ptr<ResultLibrary> library = BindResultLibrary(WithTrailingSeparator(strDoe2), failure);
    ASSERT_TRUE(library) << failure;
    const std::map<std::string, ProjectNeeds> allNeeds = CollectResultNeeds();
    std::mt19937 random(29);
    int damages = 0;  // each kind in turn
    std::map<std::string, int> seen;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("damage " + std::to_string(round));
        const std::string folder = folders / ("damaged-" + std::to_string(round));
        DamagedFolder damaged(strResults, folder);
        std::set<std::string> projects;
        for (int count = 2 + static_cast<int>(random() % 3); count > 0; --count) {
            const auto project = std::next(allNeeds.begin(), random() % allNeeds.size());
            damaged.Apply(static_cast<Damage>(damages++ % kDamageKinds), project->first, project->second, random);
            projects.insert(project->first);
        }

        Outcome outcome;
        const auto checked = CheckedCells(folder, outcome);
        const auto before = ValuesOf(*library, strDoe2, strResults, projects);
        const auto after = ValuesOf(*library, strDoe2, folder, projects);
        std::map<std::string, int> fates;
        std::string mismatches;
        for (const MappingTable &table : g_aMappingTables)
            for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item) {
                const std::string cell = std::string(table.pszName) + ':' + item->psCol + std::to_string(item->iRow);
                const auto found = checked.find(cell);
                const std::string told = found == checked.end() ? "" : found->second.first;
                const std::string detail = found == checked.end() ? "" : found->second.second;
                if (!after.count(cell)) {
                    if (!told.empty())
                        mismatches += cell + ": check " + told + " " + detail + ", not damaged\n";
                    continue;
                }
                const std::vector<std::string> &values = after.at(cell);
                const std::string fate = ExpectedFate(damaged, *item, values, before.at(cell));
                ++fates[fate];
                const bool bDetailAgrees = fate == "fail"      ? values[2].rfind(detail + " for ", 0) == 0
                                           : fate == "no-data" ? detail == PostedValue(values)
                                                               : detail.empty();
                if (told != fate || !bDetailAgrees)
                    mismatches += cell + ": check " + told + " " + detail + ", values " + values[0] + " " +
                                  values[1] + " " + values[2].substr(0, 60) + '\n';
            }
        EXPECT_EQ(mismatches, "");
        // A damage may hit only what no round reads.
        EXPECT_EQ(outcome.status, fates["fail"] + fates["no-data"] + fates["skip"] > 0 ? 1 : 0);
        EXPECT_NE(outcome.err.find(std::to_string(fates["fail"]) + " of 2150 cells would fail; " +
                                   std::to_string(fates["no-data"]) + " would be posted from no data; " +
                                   std::to_string(fates["skip"]) + " would be skipped; "),
                  std::string::npos)
            << outcome.err;
        for (const auto &[fate, count] : fates)
            seen[fate] += count;
        std::filesystem::remove_all(folder);
    }
    // The damages met every kind of cell.
    EXPECT_GT(seen["fail"], 0);
    EXPECT_GT(seen["no-data"], 0);
    EXPECT_GT(seen["skip"], 0);
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
