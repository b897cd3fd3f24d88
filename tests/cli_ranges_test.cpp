// gombrel-cli ranges over the sample, over saved values moved around the
// bounds of the example results, and over files it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "CommandOutput.h"
#include "Commands.h"
#include "MappingTables.h"
#include "RangeComparison.h"
#include "SampleResults.h"
#include "ScratchFolder.h"

namespace {

Outcome RunRanges(const Arguments &args)
{
    std::ostringstream out, err;
    const int status = RunRangesCommand(args, out, err);
    return {status, out.str(), err.str()};
}

const char kValuesHeader[] = "table\tindex\tcell\toutcome\tnumber\ttext\n";

// The values line of the record that writes strCell of pszTable.
std::string ValuesLine(const char *pszTable, const std::string &strCell, const std::string &strOutcome,
                       const std::string &strNumber, const std::string &strText = "")
{
    const GombrelData *items = FindMappingTable(pszTable)->pItems();
    for (size_t index = 0; !IsEndRecord(items[index]); ++index)
        if (IsEvaluatedInRound(items[index]) && items[index].psCol + std::to_string(items[index].iRow) == strCell)
            return std::string(pszTable) + '\t' + std::to_string(index) + '\t' + strCell + '\t' + strOutcome + '\t' +
                   strNumber + '\t' + strText + '\n';
    ADD_FAILURE() << "no record writes " << pszTable << ' ' << strCell;
    return "";
}

// The table's rows by "CASE QUANTITY", each split into its columns.
std::map<std::string, std::vector<std::string>> RowsByName(const std::string &strOut)
{
    std::map<std::string, std::vector<std::string>> rows;
    for (const std::string &line : SplitLines(strOut))
        if (line.rfind("section\t", 0) != 0) {
            std::vector<std::string> columns = SplitColumns(line);
            columns.resize(11);
            rows[columns[1] + ' ' + columns[2]] = columns;
        }
    return rows;
}

bool SaysPassOrFail(const std::string &strText)
{
    std::string lower = strText;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("pass") != std::string::npos || lower.find("fail") != std::string::npos;
}

// One sample results folder (stores only) and its saved values for all tests.
class RangesTest : public ::testing::Test {
protected:
    static std::unique_ptr<ScratchFolder> s_folders;
    static std::string Doe2() { return *s_folders / "doe2"; }
    static std::string Results() { return *s_folders / "results"; }
    static std::string Saved() { return *s_folders / "saved.tsv"; }

    static void SetUpTestSuite()
    {
        s_folders = std::make_unique<ScratchFolder>("ranges-sample");
        std::filesystem::create_directory(Doe2());
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(Results(), failure)) << failure;
        std::ostringstream values, ignored;
        ASSERT_EQ(RunValuesCommand({"--doe2", Doe2(), "--results", Results()}, values, ignored), 0);
        WriteWholeFile(Saved(), values.str());
    }
    static void TearDownTestSuite() { s_folders.reset(); }

    const ScratchFolder folders;
};

std::unique_ptr<ScratchFolder> RangesTest::s_folders;

using Ranges = RangesTest;

TEST_F(Ranges, OverTheSampleEveryRowAndEachSectionsCount)
{
    const std::string page = folders / "ranges.html";
    const Outcome outcome = RunRanges({"--doe2", Doe2(), "--results", Results(), "--html", page});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> lines = SplitLines(outcome.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "section\tcase\tquantity\tunit\tdoe2\tmin\tmax\tn\tposition\tbeyond_pct\tprograms");
    // Every row of the data but the 48 hours left out.
    EXPECT_EQ(lines.size(), 1u + 2294 - 48);
    std::map<std::string, RangeCounts> counts;
    const std::map<std::string, RangePosition> kPositions = {
        {"inside", RangePosition::Inside},   {"below", RangePosition::Below}, {"above", RangePosition::Above},
        {"no-value", RangePosition::NoValue}, {"n/a", RangePosition::NotApplicable}};
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> columns = SplitColumns(lines[i]);
        ASSERT_GE(columns.size(), 10u) << lines[i];
        ASSERT_EQ(kPositions.count(columns[8]), 1u) << lines[i];
        counts[columns[0]].Add(kPositions.at(columns[8]));
        const bool bDateOrHour = columns[3] == "date" || columns[3] == "hour";
        EXPECT_EQ(columns[8] == "n/a", bDateOrHour && !columns[4].empty()) << lines[i];
    }
    std::string expected;
    for (const char *pszSection : {"5.2", "5.3", "5.3B", "5.4"})
        expected += std::string("# ") + pszSection + ": " + std::to_string(counts[pszSection].inside) + " of " +
                    std::to_string(counts[pszSection].Compared()) + " inside the range of the example results\n";
    EXPECT_EQ(outcome.err, expected);

    const std::string html = ReadWholeFile(page);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("ANSI/ASHRAE Standard 140-2014"), std::string::npos);
    EXPECT_NE(html.find("inside or outside the range of the example results."), std::string::npos);
    EXPECT_FALSE(SaysPassOrFail(outcome.out + outcome.err + html));
    // One chart for each group, each in its own group's section.
    const size_t groups = Occurrences(html, "<section class=\"group\"");
    EXPECT_EQ(Occurrences(html, "<svg class=\"chart\""), groups);
    EXPECT_EQ(Occurrences(html, "</svg>\n</section>"), groups);
    EXPECT_GE(groups, 90u);
    // Nothing that a browser would fetch: no script, style sheet, image or
    // frame, no url() in the style, no link but to the page's own anchors.
    for (const char *pszFetching : {"<script", "<link", "<img", "<iframe", "<object", "<embed", "url(", "@import",
                                    " src=", "href=\"http", "href=\"file", "href=\"/"})
        EXPECT_EQ(html.find(pszFetching), std::string::npos) << pszFetching;
    EXPECT_EQ(Occurrences(html, "http"), Occurrences(html, "xmlns=\"http://www.w3.org/2000/svg\""));

    // A saved values file gives the same table as its folder.
    const Outcome saved = RunRanges({"--results", Saved()});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, outcome.out);
    EXPECT_EQ(saved.err, outcome.err);
}

TEST_F(Ranges, ValuesMovedAroundTheBoundsArePlacedExactly)
{
    const struct {
        const char *pszName;
        std::string strValues;  // the lines after the header
        const char *pszRow;     // "CASE QUANTITY"
        const char *pszDoe2, *pszPosition, *pszBeyond;
    } kCases[] = {
        // 600 annual heating: 4.296 to 5.709 MWh.
        {"onto the lower bound", ValuesLine("Std140Sec5_2Items", "C65", "number", "4.296"),
         "600 annual_heating_MWh", "4.296", "inside", "0"},
        {"onto the upper bound", ValuesLine("Std140Sec5_2Items", "C65", "number", "5.709"),
         "600 annual_heating_MWh", "5.709", "inside", "0"},
        {"just inside", ValuesLine("Std140Sec5_2Items", "C65", "number", "5.7080000000000002"),
         "600 annual_heating_MWh", "5.708", "inside", "0"},
        {"just below", ValuesLine("Std140Sec5_2Items", "C65", "number", "4.29"), "600 annual_heating_MWh", "4.29",
         "below", "0.1"},
        {"just above", ValuesLine("Std140Sec5_2Items", "C65", "number", "5.7149999999999999"),
         "600 annual_heating_MWh", "5.715", "above", "0.1"},
        // 650FF annual minimum: -23 to -21.6 degrees C.
        {"below a negative bound", ValuesLine("Std140Sec5_2Items", "E265", "number", "-23.100000000000001"),
         "650FF ff_min_C", "-23.1", "below", "0.4"},
        {"onto a negative bound", ValuesLine("Std140Sec5_2Items", "E265", "number", "-21.600000000000001"),
         "650FF ff_min_C", "-21.6", "inside", "0"},
        // 650 annual heating: 0 to 4.171e-06 MWh; no percentage of zero.
        {"below a bound of zero", ValuesLine("Std140Sec5_2Items", "C70", "number", "-0.001"),
         "650 annual_heating_MWh", "-0.001", "below", ""},
        // CE100 coil load: 3793.962485345838 to 3841.47 kWh, posted in kBtu.
        {"onto a bound after conversion", ValuesLine("Std140Sec5_3Items", "F48", "number", "13107.09564"),
         "CE100 feb_coil_load_total_kWh", "3841.47", "inside", "0"},
        {"above after conversion", ValuesLine("Std140Sec5_3Items", "F48", "number", "13120"),
         "CE100 feb_coil_load_total_kWh", "3845.2520515826495", "above", "0.1"},
        // CE300 compressor: 21569 to 22353.5 kWh, posted as a formula over
        // the outdoor fan.
        {"a posted formula onto a bound",
         ValuesLine("Std140Sec5_3BItems", "C146", "text", "21569", "= 21569 + D146") +
             ValuesLine("Std140Sec5_3BItems", "D146", "number", "2301"),
         "CE300 annual_compressor_kWh", "21569", "inside", "0"},
        // HE100 furnace load: 77.75 to 77.94 GJ.
        {"just below in 5.4", ValuesLine("Std140Sec5_4Items", "D20", "number", "77.700000000000003"),
         "HE100 furnace_load_GJ", "77.7", "below", "0.1"},
        // A date is listed, never placed.
        {"a date", ValuesLine("Std140Sec5_2Items", "C146", "text", "0", "1/4"), "600 peak_heating_date", "1/4", "n/a",
         ""},
    };
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszName);
        WriteWholeFile(folders / "moved.tsv", kValuesHeader + test.strValues);
        const Outcome outcome = RunRanges({"--results", folders / "moved.tsv"});
        const auto rows = RowsByName(outcome.out);
        ASSERT_EQ(rows.count(test.pszRow), 1u) << outcome.err;
        const std::vector<std::string> &row = rows.at(test.pszRow);
        EXPECT_EQ(row[4], test.pszDoe2);
        EXPECT_EQ(row[8], test.pszPosition);
        EXPECT_EQ(row[9], test.pszBeyond);
        // Only what the file holds is compared, a row for each cell.
        EXPECT_EQ(outcome.status, std::string(test.pszPosition) == "n/a" ? 1 : 0) << outcome.err;
        EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const auto &entry) { return entry.second[8] != "no-value"; }),
                  std::count(test.strValues.begin(), test.strValues.end(), '\n'));
    }
}

TEST_F(Ranges, RefusesAValuesFileOfAnotherVersionWhole)
{
    const std::string good = ValuesLine("Std140Sec5_2Items", "C65", "number", "4.5");
    const struct {
        const char *pszName;
        std::string strText;
    } kFiles[] = {
        {"another version's cell", kValuesHeader + good + "Std140Sec5_2Items\t1\tC66\tnumber\t1\t\n"},
        {"a record this version has not", kValuesHeader + good + "Std140Sec5_4Items\t38\tD98\tnumber\t1\t\n"},
        {"cut short", kValuesHeader + good.substr(0, good.size() - 1)},
        {"not saved from values", "section\tcase\tquantity\n" + good},
    };
    for (const auto &test : kFiles) {
        SCOPED_TRACE(test.pszName);
        WriteWholeFile(folders / "other.tsv", test.strText);
        const Outcome outcome = RunRanges({"--results", folders / "other.tsv", "--html", folders / "other.html"});
        EXPECT_EQ(outcome.status, kExitUsage);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind("gombrel-cli: " + (folders / "other.tsv") + " is refused", 0), 0u) << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(folders / "other.html"));
    }
}

TEST_F(Ranges, ArgumentsAndExitStatus)
{
    std::filesystem::create_directory(folders / "a folder");
    WriteWholeFile(folders / "errors.tsv", kValuesHeader + ValuesLine("Std140Sec5_2Items", "C65", "error", "", "no data"));
    const struct {
        const char *pszName;
        Arguments args;
        int iStatus;
        const char *pszErr;  // the start of standard error
    } kCases[] = {
        {"no results", {"--doe2", Doe2()}, kExitUsage, "gombrel-cli: ranges needs --results"},
        {"an unknown option", {"--results", Saved(), "--colour"}, kExitUsage, "gombrel-cli: unknown option"},
        {"a folder without --doe2", {"--results", Results()}, kExitUsage, "gombrel-cli: ranges needs --doe2 DIR"},
        {"a page in a folder that does not exist", {"--results", Saved(), "--html", folders / "none/r.html"},
         kExitUsage, "gombrel-cli: --html"},
        {"a page that is a folder", {"--results", Saved(), "--html", folders / "a folder"}, kExitUsage,
         "gombrel-cli: --html"},
        {"nothing to compare", {"--results", folders / "errors.tsv"}, 1, "# 5.2: 0 of 0 inside"},
        {"one table", {"--results", Saved(), "--table", "Std140Sec5_4Items"}, 0, "# 5.4: "},
    };
    for (const auto &test : kCases) {
        SCOPED_TRACE(test.pszName);
        const Outcome outcome = RunRanges(test.args);
        EXPECT_EQ(outcome.status, test.iStatus) << outcome.err;
        EXPECT_EQ(outcome.err.rfind(test.pszErr, 0), 0u) << outcome.err;
        if (test.iStatus == kExitUsage) {
            EXPECT_EQ(outcome.out, "");
        }
    }
    const Outcome oneTable = RunRanges({"--results", Saved(), "--table", "Std140Sec5_4Items"});
    for (const auto &[name, row] : RowsByName(oneTable.out))
        EXPECT_EQ(row[0], "5.4") << name;
    EXPECT_EQ(Occurrences(oneTable.err, "\n"), 1u);
}

}  // namespace
