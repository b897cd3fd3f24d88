#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "CommandOutput.h"
#include "CountingResultLibrary.h"
#include "D2ResultBinding.h"
#include "FakeResultLibrary.h"
#include "HourlyStatistics.h"
#include "Paths.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "ValuesCommand.h"

namespace {

void NoPause(int) {}

size_t Lines(const std::string &text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// One record of each kind a round meets, and three it passes over.
const GombrelData kItems[] = {
    {"A", 1, 3, -1, 0, "", "", 0, 1.0f, nullptr, 0, nullptr, "A"},
    {"C", 65, 0, 1, 2101002, "", "SYSTEM-SUM", 1, -1.0f, nullptr, 0, "\\P", nullptr},
    {"D", 146, 0, 0, 2101002, "", "SYSTEM-SUM", 1, 1.0f, "= %.0f + D146", 0, "\\P", nullptr},
    {"E", 5, 1, -1, 2101010, "", "SYSTEM-SUM", 1, 1.0f, "MonthDateOfPosMax", 2101013, "\\P", nullptr},
    {"F", 6, 1, -1, 2101002, "", "SYSTEM-SUM", 1, 1.0f, nullptr, 0, "\\P", nullptr},
    {"G", 7, 0, -1, 2101002, "", "SYSTEM-SUM", 1, 1.0f, "Bogus", 0, "\\P", nullptr},
    {"H", 8, 2, -1, 2101002, "", "SYSTEM-SUM", 1, 1.0f, nullptr, 0, "\\P", nullptr},
    {"I", 9, 1, -1, 2010, "", "SHOEBOX-ZONE", 4, -1.0f, "DateOfAnnualMax", 15, "\\P", nullptr},
    kDefaultGombrelData,
};

const GombrelData *TestItems() { return kItems; }

const MappingTable kTestTable = {"T", "\\T.xls", TestItems};

class ValuesTest : public ::testing::Test {
protected:
    FakeResultLibrary library;
    // Folders that exist: the command checks both before it evaluates.
    const ScratchFolder folders;
    const std::string strDoe2 = folders / "doe2";
    const std::string strResults = folders / "results";
    std::string strBoundFolder;
    int nBindings = 0;
    ResultAccess access{&library, NoPause};

    void SetUp() override
    {
        std::filesystem::create_directory(strDoe2);
        std::filesystem::create_directory(strResults);
    }

    // The command, binding a counting view of the fake.
    Outcome RunValues(const Arguments &args)
    {
        std::ostringstream out, err;
        const int status = RunValuesCommandWith(args, out, err, [this](const std::string &folder, std::string &) {
            ++nBindings;
            strBoundFolder = folder;
            return std::make_unique<CountingResultLibrary>(library);
        }, NoPause);
        return {status, out.str(), err.str()};
    }
};

using Values = ValuesTest;

TEST_F(Values, PrintsTheOutcomeOfEveryEvaluatedRecord)
{
    library.SetResult(2101002, {1234.75f});
    library.SetResult(2101010, std::vector<float>(12, -3.0f));
    library.SetResult(2101013, std::vector<float>(12, 4.0f));
    library.SetHourlySeries(2010, 15, std::vector<float>(8760, 5.0f));
    std::ostringstream out;
    PrintTableValues(access, kTestTable, "/doe2/", "/results", out);
    EXPECT_EQ(out.str(),
              "T\t1\tC65\tnumber\t-1234.8\t\n"
              "T\t2\tD146\ttext\t1234.75\t= 1235 + D146\n"
              "T\t3\tE5\tskip\t\t\n"
              "T\t5\tG7\terror\t\tEncountered unrecognized special processing key: 'Bogus'\n"
              "T\t7\tI9\ttext\t5\t1/1\n");
    EXPECT_EQ(library.calls.front().strProjectPath, "/results" + NativePath("\\P"));
}

TEST_F(Values, ErrorLineCarriesTheFailureWithTheRecord)
{
    std::ostringstream out;
    PrintTableValues(access, kTestTable, "/doe2/", "/results", out);
    EXPECT_NE(out.str().find("T\t1\tC65\terror\t\tError retriving results for GombrelData item - psCol: 'C', "),
              std::string::npos);
    EXPECT_EQ(Lines(out.str()), 5u);
}

TEST_F(Values, WalksEveryTableInRunOrderWithTheFolderCompleted)
{
    library.answer = FakeResultLibrary::Answer::Nothing;
    const Outcome run = RunValues({"--results", strResults, "--doe2", strDoe2});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.err.empty());
    EXPECT_EQ(nBindings, 1);
    EXPECT_EQ(strBoundFolder, strDoe2 + NativeSeparator());
    EXPECT_EQ(library.calls.front().strDoe2Folder, strDoe2 + NativeSeparator());
    EXPECT_EQ(run.out.rfind(kValuesHeader, 0), 0u);
    EXPECT_EQ(Lines(run.out), 1u + 1580u + 570u);  // every number and every keyed text record
    const size_t sec52 = run.out.find("\nStd140Sec5_2Items\t"), sec53 = run.out.find("\nStd140Sec5_3Items\t"),
                 sec53b = run.out.find("\nStd140Sec5_3BItems\t"), sec54 = run.out.find("\nStd140Sec5_4Items\t");
    EXPECT_LT(sec52, sec53);
    EXPECT_LT(sec53, sec53b);
    EXPECT_LT(sec53b, sec54);
    EXPECT_NE(sec54, std::string::npos);
}

TEST_F(Values, SelectsOneTable)
{
    library.answer = FakeResultLibrary::Answer::Nothing;
    const Outcome run = RunValues({"--doe2", strDoe2 + "/", "--table", "Std140Sec5_4Items", "--results", strResults});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(strBoundFolder, strDoe2 + "/");
    EXPECT_EQ(Lines(run.out), 1u + 37u);
    EXPECT_EQ(run.out.find("Std140Sec5_2Items"), std::string::npos);
}

TEST_F(Values, RefusesBadArgumentsBeforeBinding)
{
    const Arguments cases[] = {{},
                               {"--doe2", "/d"},
                               {"--results", "/r"},
                               {"--doe2"},
                               {"--doe2", "/d", "--results"},
                               {"--doe2", "/d", "--results", "/r", "--table", "Nope"},
                               {"--doe2", "/d", "--results", "/r", "extra"}};
    for (const Arguments &args : cases) {
        const Outcome run = RunValues(args);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_TRUE(run.out.empty());
        EXPECT_EQ(Lines(run.err), 1u) << run.err;
    }
    EXPECT_EQ(nBindings, 0);
}

TEST_F(Values, MissingFolderEndsAtOnceWithTheRunMessage)
{
    // Evaluating over a mistyped folder would wait out the retries of every
    // non-hourly read: more than an hour before the first line.
    const Outcome noDoe2 = RunValues({"--doe2", folders / "nope", "--results", strResults});
    EXPECT_EQ(noDoe2.status, kExitUsage);
    EXPECT_EQ(noDoe2.err, "Gombrel: ERROR:  DOE-2 path doesn't exist: " + (folders / "nope") + "\n");
    const Outcome noResults = RunValues({"--doe2", strDoe2, "--results", folders / "gone"});
    EXPECT_EQ(noResults.status, kExitUsage);
    EXPECT_EQ(noResults.err, "Gombrel: ERROR:  Results path doesn't exist: " + (folders / "gone") + "\n");
    EXPECT_TRUE(noDoe2.out.empty() && noResults.out.empty());
    EXPECT_EQ(nBindings, 0);
    EXPECT_TRUE(library.calls.empty());
}

// Remembers how much of what was written had left at the last flush.
class FlushTracker : public std::stringbuf {
public:
    size_t iFlushedLength = 0;

protected:
    int sync() override { return iFlushedLength = str().size(), 0; }
};

// A record whose result is not there yet is asked again after a pause of
// half a second, up to thirty times: every line printed before must have
// left by then, or a pipe would show nothing for a quarter of a minute.
TEST_F(Values, EveryLinePrintedHasLeftBeforeAnyWaitAndAtTheEnd)
{
    library.answer = FakeResultLibrary::Answer::Nothing;
    FlushTracker buffer;
    std::ostream out(&buffer);
    int pauses = 0, pausesWithLinesWaiting = 0;
    ResultAccess waiting(&library, [&](int) {
        ++pauses;
        if (buffer.iFlushedLength != buffer.str().size())
            ++pausesWithLinesWaiting;
    });
    PrintTableValues(waiting, kTestTable, "/doe2/", "/results", out);
    EXPECT_GT(pauses, 0);
    EXPECT_EQ(pausesWithLinesWaiting, 0);
    EXPECT_EQ(buffer.iFlushedLength, buffer.str().size());
    EXPECT_EQ(Lines(buffer.str()), 5u);

    // The access comes back with its own pause.
    const int before = pauses;
    float value;
    const int32_t id = 2101002;
    GetMultipleResults(waiting, 1, 1, &id, "", "SYSTEM-SUM", 1, "/doe2/", "/results/P", &value);
    EXPECT_EQ(pauses, before + 29);
}

TEST_F(Values, UnboundLibraryFailsEveryRecordWithItsReason)
{
    std::ostringstream out, err;
    const int status = RunValuesCommandWith({"--doe2", strDoe2, "--results", strResults}, out, err,
                                            [](const std::string &, std::string &failure) {
                                                failure = "libd2result.so: cannot open shared object file";
                                                return std::unique_ptr<ResultLibrary>();
                                            },
                                            NoPause);
    EXPECT_EQ(status, 0) << "a results folder that cannot be read is no argument error";
    EXPECT_EQ(err.str(), "gombrel-cli: libd2result.so: cannot open shared object file\n");
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("table\tindex\tcell", 0), 0u);
    size_t records = 0;
    for (; std::getline(lines, line); ++records)
        EXPECT_NE(line.find("\terror\t\tlibd2result.so: cannot open shared object file"), std::string::npos) << line;
    EXPECT_EQ(records, 2150u);
}

bool IsHourly(const GombrelData &item) { return item.iD2ResFileType >= 3 && item.iD2ResFileType <= 5; }

bool StartsWith(const char *pszText, const char *pszPrefix)
{
    return pszText && std::string(pszText).rfind(pszPrefix, 0) == 0;
}

// What a whole-year read of the record fetches, as text.
std::string SeriesOf(const GombrelData &item)
{
    std::ostringstream series;
    series << item.iD2ResFileType << '|' << item.iNHRListID << '|' << item.iNHRListID_Special << '|'
           << item.psReportKey << '|' << item.psRowKey << '|' << item.psSimResPathFile << '|'
           << (item.psItemString ? item.psItemString : "");
    return series.str();
}

// Library calls a round over the tables should make when every read
// succeeds: one whole-year read per series, however the records of a series
// alternate with others (three for a relative humidity), one filtered read
// per month statistic, one non-hourly read per other record.
struct ExpectedCalls {
    size_t nHourly = 0;
    size_t nFiltered = 0;
    size_t nNonHourly = 0;
};

ExpectedCalls ExpectedSampleCalls()
{
    ExpectedCalls expected;
    std::set<std::string> series;
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item) {
            if (item->iAction != GOMBREL_ACTION_NUMBER && item->iAction != GOMBREL_ACTION_TEXT)
                continue;
            if (!IsHourly(*item)) {
                ++expected.nNonHourly;
            } else if (StartsWith(item->psSpecialProcessing, "Month")) {
                ++expected.nFiltered;
            } else if (series.insert(SeriesOf(*item)).second) {
                expected.nHourly += StartsWith(item->psItemString, "ZoneRelHumid") ? 3 : 1;
            }
        }
    return expected;
}

TEST_F(Values, SampleEvaluatesWithoutErrorReadingEachSeriesOnce)
{
    const ScratchFolder sample;
    std::string failure;
    ASSERT_TRUE(WriteSampleResults(sample.Path(), failure)) << failure;
    std::unique_ptr<ResultLibrary> bound = BindResultLibrary(sample / "no-doe2-files/", failure);
    ASSERT_TRUE(bound) << failure;
    CountingResultLibrary counting(*bound);
    ResultAccess countingAccess(&counting, NoPause);
    std::ostringstream out;
    for (const MappingTable &table : g_aMappingTables)
        PrintTableValues(countingAccess, table, sample / "no-doe2-files/", sample.Path(), out);
    EXPECT_EQ(out.str().find("\terror\t"), std::string::npos) << out.str().substr(out.str().find("\terror\t"), 400);
    EXPECT_EQ(Lines(out.str()), 1580u + 570u);
    const ExpectedCalls expected = ExpectedSampleCalls();
    EXPECT_EQ(counting.HourlyReads(), expected.nHourly);
    EXPECT_EQ(counting.nFilteredCalls, expected.nFiltered);
    EXPECT_EQ(counting.nMultipleResultCalls, expected.nNonHourly);
    std::cout << "sample: " << counting.Calls() << " library calls, " << counting.HourlyReads()
              << " whole-year reads, " << counting.nFilteredCalls << " filtered, " << counting.nMultipleResultCalls
              << " non-hourly\n";
}

TEST_F(Values, ResultsFolderTypedWithABackslashFindsItsStores)
{
    // The folder check accepts "DIR\\"; the stores must then be looked for in
    // the same folder, not under "DIR\\/Sec5-4".
    const ScratchFolder sample;
    std::string failure;
    ASSERT_TRUE(WriteSampleResults(sample.Path(), failure)) << failure;
    std::ostringstream out, err;
    const int status = RunValuesCommandWith(
        {"--doe2", sample.Path(), "--results", sample.Path() + "\\", "--table", "Std140Sec5_4Items"}, out, err,
        BindResultLibrary, NoPause);
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_EQ(Lines(out.str()), 1u + 37u);
    EXPECT_EQ(out.str().find("\terror\t"), std::string::npos) << out.str();
}

}  // namespace
