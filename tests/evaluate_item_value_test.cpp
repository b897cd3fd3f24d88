#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "EvaluateItemValue.h"
#include "FakeResultLibrary.h"
#include "HourlyStatistics.h"
#include "MappingTables.h"
#include "Paths.h"

namespace {

constexpr int32_t kList = 2010;
constexpr int32_t kVariable = 15;
constexpr int32_t kResult = 2101002;
constexpr int32_t kSecondResult = 2101013;

void NoPause(int) {}

std::vector<float> Constant(float fValue) { return std::vector<float>(kHoursPerYear, fValue); }

// Each hour holds its own index.
std::vector<float> HourIndexes()
{
    std::vector<float> series(kHoursPerYear);
    for (int hour = 0; hour < kHoursPerYear; ++hour)
        series[hour] = static_cast<float>(hour);
    return series;
}

GombrelData Record(const char *pszKey, int32_t iFileType, int32_t iAction = GOMBREL_ACTION_NUMBER)
{
    GombrelData item = kDefaultGombrelData;
    item.psCol = "C";
    item.iRow = 65;
    item.iAction = iAction;
    item.iNHRListID = iFileType == 1 ? kResult : kList;
    item.psReportKey = "SYSTEM-SUM";
    item.iD2ResFileType = iFileType;
    item.psSpecialProcessing = pszKey;
    item.iNHRListID_Special = iFileType == 1 ? kSecondResult : kVariable;
    item.psSimResPathFile = "\\Sec5-2\\600-Zv\\600-Zv - Baseline Design";
    return item;
}

GombrelData HourlyRecord(const char *pszKey, int32_t iAction = GOMBREL_ACTION_NUMBER)
{
    return Record(pszKey, 4, iAction);
}

std::string Described(const char *pszMessage, const GombrelData &item)
{
    std::string description;
    DescribeGombrelData(item, description);
    return pszMessage + description;
}

struct Evaluation {
    std::string strError;
    ItemValue value;
};

// Reads through a fresh fake.
class EvaluateItemValueTest : public ::testing::Test {
protected:
    FakeResultLibrary library;
    ResultAccess access{&library, NoPause};
    std::string strResults = "/results";

    Evaluation Evaluate(const GombrelData &item)
    {
        Evaluation evaluation;
        EvaluateItemValue(access, item, "/doe2/", strResults, evaluation.strError, evaluation.value);
        return evaluation;
    }

    // Evaluates an hourly key over the series, read afresh.
    Evaluation EvaluateOver(const std::vector<float> &series, const GombrelData &item)
    {
        library.SetHourlySeries(kList, kVariable, series);
        access = ResultAccess(&library, NoPause);
        return Evaluate(item);
    }
};

using RouteChoice = EvaluateItemValueTest;
using WholeYear = EvaluateItemValueTest;
using MonthFilterRoute = EvaluateItemValueTest;
using NonHourly = EvaluateItemValueTest;
using FinalValue = EvaluateItemValueTest;

TEST_F(RouteChoice, WholeYearKeyWithNonHourlyFileTypeIsUnknown)
{
    const Evaluation run = Evaluate(Record("AnnualAvg", 1));
    EXPECT_EQ(run.strError, "Encountered unrecognized special processing key: 'AnnualAvg'");
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(RouteChoice, HourlyRecordWithoutKeyTakesTheMonthFilterAndFails)
{
    const GombrelData item = HourlyRecord(nullptr);
    const Evaluation run = Evaluate(item);
    EXPECT_EQ(run.strError, Described("Error initializing hourly results filter for ", item));
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(RouteChoice, HourlyTextRecordWithoutWholeYearKeyIsNonHourly)
{
    const Evaluation run = Evaluate(HourlyRecord("MonthSum", GOMBREL_ACTION_TEXT));
    EXPECT_EQ(run.strError, "Encountered unrecognized special processing key: 'MonthSum'");
}

TEST_F(RouteChoice, ProjectPathIsTheResultsFolderFollowedByTheProject)
{
    library.SetResult(kResult, {1.0f});
    ASSERT_TRUE(Evaluate(Record(nullptr, 1)).strError.empty());
    ASSERT_EQ(library.calls.size(), 1u);
    EXPECT_EQ(library.calls[0].strProjectPath, strResults + NativePath("\\Sec5-2\\600-Zv\\600-Zv - Baseline Design"));
    EXPECT_EQ(library.calls[0].strDoe2Folder, "/doe2/");
}

TEST_F(WholeYear, RecordsThatDifferOnlyOutsideTheSeriesReadItOnce)
{
    library.SetHourlySeries(kList, kVariable, Constant(2.0f));
    const GombrelData first = HourlyRecord("AnnualSum");
    GombrelData others[6] = {first, first, first, first, first, first};
    others[0].psCol = "D";
    others[1].iRow = 99;
    others[2].iAction = GOMBREL_ACTION_TEXT;
    others[3].iDecimalPlaces = 3;
    others[4].fMultiplier = -1.0f;
    others[5].psSpecialProcessing = "DateOfAnnualMax";
    EXPECT_EQ(Evaluate(first).strError, "");
    for (const GombrelData &other : others)
        EXPECT_EQ(Evaluate(other).strError, "");
    EXPECT_EQ(library.calls.size(), 1u);
}

// A peak's value, date and hour are found once for the series loaded, and
// only for it: another stretch, the other extreme, another series or the
// same series read afresh each have their own.
TEST_F(WholeYear, PeaksBelongToTheirSeriesStretchAndExtreme)
{
    std::vector<float> first = Constant(1.0f), second = Constant(1.0f);
    first[HourIndex(3, 4, 17)] = 40.0f;
    first[HourIndex(2, 10, 3)] = 30.0f;
    first[HourIndex(2, 11, 5)] = -6.0f;
    second[HourIndex(7, 1, 9)] = 50.0f;
    library.SetHourlySeries(kList, kVariable, first);
    library.SetHourlySeries(kList, kVariable + 1, second);
    GombrelData ofSecond = HourlyRecord("DateOfAnnualMax", GOMBREL_ACTION_TEXT);
    ofSecond.iNHRListID_Special = kVariable + 1;

    EXPECT_EQ(Evaluate(HourlyRecord("DateOfAnnualMax", GOMBREL_ACTION_TEXT)).value.strText, "3/4");
    const Evaluation february = Evaluate(HourlyRecord("MoFebMax"));
    EXPECT_EQ(february.value.dNumber, 30.0);
    EXPECT_EQ(february.value.strText, "3");
    EXPECT_EQ(Evaluate(HourlyRecord("DateOfAnnualMin", GOMBREL_ACTION_TEXT)).value.strText, "2/11");
    EXPECT_EQ(Evaluate(ofSecond).value.strText, "7/1");
    EXPECT_EQ(Evaluate(HourlyRecord("DayHourOfAnnualMax")).value.strText, "17");
    EXPECT_EQ(Evaluate(HourlyRecord("AnnualMax")).value.dNumber, 40.0);

    ReadResultsAfresh(access);
    first[HourIndex(12, 31, 24)] = 45.0f;
    library.SetHourlySeries(kList, kVariable, first);
    EXPECT_EQ(Evaluate(HourlyRecord("DateOfAnnualMax", GOMBREL_ACTION_TEXT)).value.strText, "12/31");
}

// The numbers of a run of single-hour records that alternate between two
// series, so that the year buffer is loaded again and again.
std::vector<double> SingleHourRun(ResultAccess &access)
{
    std::vector<double> numbers;
    for (int i = 0; i < 400; ++i) {
        GombrelData item = HourlyRecord(i % 3 ? "SingleHour- 1 4 1" : "SingleHour- 72710");
        item.iNHRListID_Special = kVariable + i % 2;
        ItemValue value;
        std::string error;
        EvaluateItemValue(access, item, "/doe2/", "/results", error, value);
        numbers.push_back(error.empty() ? value.dNumber : -1.0);
    }
    return numbers;
}

TEST(ResultAccessPerRun, TwoRunsOnTwoThreadsGiveWhatEachGivesAlone)
{
    // Two results folders evaluated at once must not see each other's
    // year buffer or caches.
    FakeResultLibrary first, second;
    first.SetHourlySeries(kList, kVariable, HourIndexes());
    first.SetHourlySeries(kList, kVariable + 1, Constant(7.0f));
    second.SetHourlySeries(kList, kVariable, Constant(-3.0f));
    second.SetHourlySeries(kList, kVariable + 1, HourIndexes());
    ResultAccess firstAlone(&first, NoPause), secondAlone(&second, NoPause);
    const std::vector<double> expectedFirst = SingleHourRun(firstAlone);
    const std::vector<double> expectedSecond = SingleHourRun(secondAlone);
    ASSERT_NE(expectedFirst, expectedSecond);

    ResultAccess firstRun(&first, NoPause), secondRun(&second, NoPause);
    std::vector<double> firstNumbers, secondNumbers;
    std::thread other([&] { secondNumbers = SingleHourRun(secondRun); });
    firstNumbers = SingleHourRun(firstRun);
    other.join();
    EXPECT_EQ(firstNumbers, expectedFirst);
    EXPECT_EQ(secondNumbers, expectedSecond);
}

TEST_F(WholeYear, LoadFailureNamesTheRecord)
{
    const GombrelData item = HourlyRecord("AnnualSum");
    EXPECT_EQ(Evaluate(item).strError, Described("Error retrieving entire year of hourly results for ", item));
}

TEST_F(WholeYear, SingleHourReadsItsCalendarIndex)
{
    const struct {
        const char *pszKey;
        int iIndex;
    } cases[] = {{"SingleHour- 1 4 1", 72},    {"SingleHour- 628 1", 4272}, {"SingleHour- 72710", 4977},
                 {"SingleHour- 1 1 1", 0},     {"SingleHour-123124", 8759}, {"SingleHour-1231 1", 8736}};
    for (const auto &c : cases) {
        const Evaluation run = EvaluateOver(HourIndexes(), HourlyRecord(c.pszKey));
        EXPECT_EQ(run.strError, "") << c.pszKey;
        EXPECT_EQ(run.value.dNumber, c.iIndex) << c.pszKey;
    }
}

TEST_F(WholeYear, SingleHourOfAMissingHourIsTheMissingMark)
{
    std::vector<float> series = HourIndexes();
    series[72] = MISSING_VALUE;
    EXPECT_EQ(EvaluateOver(series, HourlyRecord("SingleHour- 1 4 1")).value.dNumber, MISSING_VALUE);
}

TEST_F(WholeYear, DateOutsideTheCalendarFailsOnItsPart)
{
    const struct {
        const char *pszKey;
        const char *pszMessage;
    } cases[] = {{"SingleHour- 230 1", "Error parsing day number from psSpecialProcessing for "},
                 {"SingleHour-13 1 1", "Error parsing month number from psSpecialProcessing for "},
                 {"SingleHour- 1 125", "Error parsing hour number from psSpecialProcessing for "},
                 {"SingleHour- 0 1 1", "Error parsing month number from psSpecialProcessing for "},
                 {"SingleHour- 1 0 1", "Error parsing day number from psSpecialProcessing for "},
                 {"SingleHour- 1 1 0", "Error parsing hour number from psSpecialProcessing for "},
                 {"SingleHour-", "Error parsing month number from psSpecialProcessing for "},
                 {"SingleDay-1301", "Error parsing month number from psSpecialProcessing for "},
                 {"SingleDay- 431", "Error parsing day number from psSpecialProcessing for "}};
    library.SetHourlySeries(kList, kVariable, HourIndexes());
    for (const auto &c : cases) {
        const GombrelData item = HourlyRecord(c.pszKey);
        EXPECT_EQ(Evaluate(item).strError, Described(c.pszMessage, item)) << c.pszKey;
    }
}

TEST_F(WholeYear, SingleDaySumsAndAveragesItsTwentyFourHours)
{
    // 30 April is hours 2856 to 2879, 25 June hours 4200 to 4223.
    EXPECT_EQ(EvaluateOver(HourIndexes(), HourlyRecord("SingleDay- 430")).value.dNumber, 24 * 2856 + 276);
    EXPECT_EQ(EvaluateOver(HourIndexes(), HourlyRecord("SingleDayAvg- 625")).value.dNumber, 4200 + 11.5);
}

TEST_F(WholeYear, SingleDayLeavesMissingHoursOut)
{
    std::vector<float> series = Constant(2.0f);
    for (int hour = 2856; hour < 2856 + 20; ++hour)
        series[hour] = MISSING_VALUE;
    series[2879] = 6.0f;
    EXPECT_EQ(EvaluateOver(series, HourlyRecord("SingleDay- 430")).value.dNumber, 12.0);
    EXPECT_EQ(EvaluateOver(series, HourlyRecord("SingleDayAvg- 430")).value.dNumber, 3.0);
}

TEST_F(WholeYear, AllMissingDayGivesZeroForSumAndMean)
{
    const std::vector<float> series = Constant(MISSING_VALUE);
    for (const char *key : {"SingleDay- 430", "SingleDayAvg- 430"}) {
        const Evaluation run = EvaluateOver(series, HourlyRecord(key));
        EXPECT_EQ(run.strError, "") << key;
        EXPECT_EQ(run.value.dNumber, 0.0) << key;
    }
}

TEST_F(WholeYear, TemperatureBinGivesItsCountOfHours)
{
    std::vector<float> series = Constant(32.0f);  // 0 C, top edge of bin 50
    series[0] = 30.0f;
    library.SetHourlySeries(kList, kVariable, series);
    const struct {
        const char *pszKey;
        double dCount;
    } cases[] = {{"CelsiusTempBin 50", 8759}, {"CelsiusTempBin 51", 0}, {"CelsiusTempBin 49", 1},
                 {"CelsiusTempBin149", 0},    {"CelsiusTempBin  1", 0}};
    for (const auto &c : cases) {
        const Evaluation run = Evaluate(HourlyRecord(c.pszKey));
        EXPECT_EQ(run.strError, "") << c.pszKey;
        EXPECT_EQ(run.value.dNumber, c.dCount) << c.pszKey;
    }
    EXPECT_EQ(library.calls.size(), 1u);
}

TEST_F(WholeYear, TemperatureBinOutsideOneTo149Fails)
{
    library.SetHourlySeries(kList, kVariable, Constant(32.0f));
    for (const char *key : {"CelsiusTempBin  0", "CelsiusTempBin150", "CelsiusTempBin", "CelsiusTempBin -1"}) {
        const GombrelData item = HourlyRecord(key);
        EXPECT_EQ(Evaluate(item).strError,
                  Described("Error parsing temperature bin number from psSpecialProcessing for ", item))
            << key;
    }
}

TEST_F(WholeYear, AnnualMeanDividesByTheHoursPresent)
{
    std::vector<float> series = Constant(2.0f);
    for (int hour = 0; hour < 10; ++hour)
        series[hour * 800] = MISSING_VALUE;
    series[1] = 8752.0f;  // the other 8749 hours add 17498: 26250 / 8750
    EXPECT_EQ(EvaluateOver(series, HourlyRecord("AnnualAvg")).value.dNumber, 3.0);
}

TEST_F(WholeYear, AnnualSumAddsInSinglePrecision)
{
    float expected = 0.0f;
    double exact = 0.0;
    for (int hour = 0; hour < kHoursPerYear; ++hour) {
        expected += 0.1f;
        exact += 0.1f;
    }
    ASSERT_NE(static_cast<double>(expected), exact);
    EXPECT_EQ(EvaluateOver(Constant(0.1f), HourlyRecord("AnnualSum")).value.dNumber, expected);
}

TEST_F(WholeYear, AllMissingYearMeanIsZero)
{
    EXPECT_EQ(EvaluateOver(Constant(MISSING_VALUE), HourlyRecord("AnnualAvg")).value.dNumber, 0.0);
}

TEST_F(WholeYear, FebruaryKeysCoverHours744To1415)
{
    library.SetHourlySeries(kList, kVariable, HourIndexes());
    const Evaluation mean = Evaluate(HourlyRecord("MoFebAvg"));
    const Evaluation maximum = Evaluate(HourlyRecord("MoFebMax"));
    const Evaluation minimum = Evaluate(HourlyRecord("MoFebMin"));
    EXPECT_EQ(mean.value.dNumber, (744 + 1415) / 2.0);
    EXPECT_EQ(maximum.value.dNumber, 1415);
    EXPECT_EQ(maximum.value.strText, "24");
    EXPECT_EQ(minimum.value.dNumber, 744);
    EXPECT_EQ(minimum.value.strText, "1");
    EXPECT_EQ(EvaluateOver(HourIndexes(), HourlyRecord("MoFebSum")).value.dNumber, (744 + 1415) / 2.0 * 672);
}

TEST_F(WholeYear, ExtremeGivesItsDateOrHour)
{
    std::vector<float> series = Constant(5.0f);
    series[HourIndex(1, 4, 17)] = 40.0f;
    series[HourIndex(8, 9, 3)] = -7.0f;
    library.SetHourlySeries(kList, kVariable, series);
    const struct {
        const char *pszKey;
        double dNumber;
        const char *pszText;
    } cases[] = {{"AnnualMax", 40.0, ""},          {"AnnualMin", -7.0, ""},
                 {"DateOfAnnualMax", 40.0, "1/4"}, {"DayHourOfAnnualMax", 40.0, "17"},
                 {"DateOfAnnualMin", -7.0, "8/9"}, {"DayHourOfAnnualMin", -7.0, "3"}};
    for (const auto &c : cases) {
        const Evaluation run = Evaluate(HourlyRecord(c.pszKey, GOMBREL_ACTION_TEXT));
        EXPECT_EQ(run.strError, "") << c.pszKey;
        EXPECT_EQ(run.value.dNumber, c.dNumber) << c.pszKey;
        EXPECT_EQ(run.value.strText, c.pszText) << c.pszKey;
        EXPECT_FALSE(run.value.bIsString) << c.pszKey;
    }
}

TEST_F(WholeYear, EarliestOfEqualExtremesWins)
{
    std::vector<float> series = Constant(1.0f);
    series[HourIndex(3, 2, 5)] = series[HourIndex(9, 1, 1)] = 9.0f;
    series[HourIndex(4, 6, 7)] = series[HourIndex(5, 1, 1)] = -9.0f;
    library.SetHourlySeries(kList, kVariable, series);
    EXPECT_EQ(Evaluate(HourlyRecord("DateOfAnnualMax")).value.strText, "3/2");
    EXPECT_EQ(Evaluate(HourlyRecord("DayHourOfAnnualMax")).value.strText, "5");
    EXPECT_EQ(Evaluate(HourlyRecord("DateOfAnnualMin")).value.strText, "4/6");
}

TEST_F(WholeYear, AllMissingYearGivesTheStartValueAndNoDate)
{
    library.SetHourlySeries(kList, kVariable, Constant(MISSING_VALUE));
    EXPECT_EQ(Evaluate(HourlyRecord("AnnualMax")).value.dNumber, static_cast<float>(-99999999.0));
    EXPECT_EQ(Evaluate(HourlyRecord("AnnualMin")).value.dNumber, static_cast<float>(99999999.0));
    EXPECT_EQ(Evaluate(HourlyRecord("DateOfAnnualMax")).value.strText, "-1/-1");
    EXPECT_EQ(Evaluate(HourlyRecord("DayHourOfAnnualMax")).value.strText, "-1");
}

TEST_F(WholeYear, MissingFirstHourStillFindsTheExtreme)
{
    std::vector<float> series = Constant(-500.0f);
    series[0] = MISSING_VALUE;
    series[HourIndex(2, 1, 2)] = -400.0f;
    EXPECT_EQ(EvaluateOver(series, HourlyRecord("DateOfAnnualMax")).value.strText, "2/1");
}

TEST_F(WholeYear, LargeFirstHourIsItsOwnExtremeWithItsDate)
{
    std::vector<float> series = Constant(1.0f);
    series[0] = 3.0e8f;  // a float cannot hold 3e8 - 1 apart from 3e8
    const Evaluation run = EvaluateOver(series, HourlyRecord("DateOfAnnualMax"));
    EXPECT_EQ(run.value.dNumber, 3.0e8);
    EXPECT_EQ(run.value.strText, "1/1");
}

TEST_F(WholeYear, MaxAtTheStartOfTheKeySearchesTheMinimum)
{
    std::vector<float> series = Constant(4.0f);
    series[10] = 1.0f;
    EXPECT_EQ(EvaluateOver(series, HourlyRecord("MaxAnnual")).value.dNumber, 1.0);
}

TEST_F(MonthFilterRoute, AsksTheLibraryForTheFilteredMonth)
{
    library.SetFilteredResult(kList, kVariable, 321.5f);
    for (const char *month : {"feb", "Feb", "FEB"}) {
        library.calls.clear();
        GombrelData item = HourlyRecord("MonthMax");
        item.psRowKey = month;
        const Evaluation run = Evaluate(item);
        EXPECT_EQ(run.strError, "") << month;
        EXPECT_EQ(run.value.dNumber, 321.5) << month;
        ASSERT_EQ(library.calls.size(), 1u);
        const FakeLibraryCall &call = library.calls[0];
        EXPECT_EQ(call.entry, FakeLibraryCall::SingleHourly);
        EXPECT_EQ(call.iFileType, 4);
        EXPECT_EQ(call.iListId, kList);
        EXPECT_EQ(call.iVariable, kVariable);
        EXPECT_EQ(call.iValueCount, 1);
        EXPECT_EQ(call.strReportKey, "SYSTEM-SUM");
        ASSERT_TRUE(call.bHasFilter);
        EXPECT_EQ(call.filter.iStartMonth, 1) << month;
        EXPECT_EQ(call.filter.iStatistic, D2R_STAT_MAXIMUM);
    }
}

TEST_F(MonthFilterRoute, UnansweredFilterFails)
{
    GombrelData item = HourlyRecord("MonthSum");
    item.psRowKey = "FEB";
    EXPECT_EQ(Evaluate(item).strError, Described("Error retrieving filtered hourly results for ", item));
}

TEST_F(MonthFilterRoute, LongReportKeyFailsWithoutCallingTheLibrary)
{
    library.SetFilteredResult(kList, kVariable, 1.0f);
    const std::string tooLong(40, 'Z');
    GombrelData item = HourlyRecord("MonthSum");
    item.psRowKey = "FEB";
    item.psReportKey = tooLong.c_str();
    EXPECT_EQ(Evaluate(item).strError, Described("Error retrieving filtered hourly results for ", item));
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(NonHourly, PlainResultIsMultipliedAndRounded)
{
    library.SetResult(kResult, {1234.5678f});
    GombrelData item = Record(nullptr, 1);
    item.fMultiplier = -1.0f;
    item.iDecimalPlaces = 3;
    const Evaluation run = Evaluate(item);
    EXPECT_EQ(run.strError, "");
    EXPECT_EQ(run.value.dNumber, -1234.568);
    EXPECT_FALSE(run.value.bIsString);
    EXPECT_EQ(library.calls[0].resultRequests[0].iResultId, kResult);
    EXPECT_STREQ(library.calls[0].resultRequests[0].szReportKey, "SYSTEM-SUM");
}

TEST_F(NonHourly, UnreadPlainResultFails)
{
    library.answer = FakeResultLibrary::Answer::AllMissing;
    const GombrelData item = Record("", 1);
    EXPECT_EQ(Evaluate(item).strError, Described("Error retriving results for ", item));
    EXPECT_EQ(library.calls.size(), 30u);
}

TEST_F(NonHourly, FormulaFormatsTheResultAsRead)
{
    library.SetResult(kResult, {1234.6f});
    GombrelData item = Record("= %.0f + D146", 1);
    item.iDecimalPlaces = 2;
    item.fMultiplier = 1000.0f;
    const Evaluation run = Evaluate(item);
    EXPECT_EQ(run.value.strText, "= 1235 + D146");
    EXPECT_TRUE(run.value.bIsString);
    EXPECT_EQ(run.value.dNumber, static_cast<double>(1234.6f) * 1000.0);
}

TEST_F(NonHourly, FormulaWithoutConversionIsItsOwnText)
{
    library.SetResult(kResult, {5.0f});
    const Evaluation run = Evaluate(Record("= D146 + 1", 1));
    EXPECT_EQ(run.value.strText, "= D146 + 1");
    EXPECT_TRUE(run.value.bIsString);
}

TEST_F(NonHourly, FormulaWithAnUnsafeConversionIsRefused)
{
    library.SetResult(kResult, {5.0f});
    for (const char *key : {"= %s + D1", "= %.0f + %.0f", "= %d", "= %*f", "= %lf", "= %n", "= 100%"}) {
        const Evaluation run = Evaluate(Record(key, 1));
        EXPECT_EQ(run.strError, std::string("Encountered unrecognized special processing key: '") + key + "'");
    }
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(NonHourly, FormulaTemplateCheckAcceptsOneFloatingConversion)
{
    for (const char *text : {"= %.0f + D146", "%g", "= %-+ #08.3e%%", "%% %F %%", "%%", "=100%%", ""})
        EXPECT_TRUE(IsSafeFormulaTemplate(text)) << text;
    for (const char *text : {"%", "%5", "%.2", "%f%f", "%ls", "%Lf", "%p"})
        EXPECT_FALSE(IsSafeFormulaTemplate(text)) << text;
}

TEST_F(NonHourly, EveryFormulaTemplateOfTheTablesIsAccepted)
{
    size_t templates = 0;
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item) {
            const char *key = item->psSpecialProcessing;
            if (!key || key[0] != '=')
                continue;
            ++templates;
            EXPECT_TRUE(IsSafeFormulaTemplate(key)) << table.pszName << " " << key;
        }
    EXPECT_EQ(templates, 21u);
}

// Twelve monthly values, then twelve days or hours.
void SetMonthly(FakeResultLibrary &library, std::vector<float> values, std::vector<float> when)
{
    library.SetResult(kResult, std::move(values));
    library.SetResult(kSecondResult, std::move(when));
}

TEST_F(NonHourly, PositiveMaximumDateCountsDecember)
{
    SetMonthly(library, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 19.9f});
    const Evaluation run = Evaluate(Record("MonthDateOfPosMax", 1, GOMBREL_ACTION_TEXT));
    EXPECT_EQ(run.strError, "");
    EXPECT_EQ(run.value.strText, "12/19");
    EXPECT_FALSE(run.value.bSkip);
    ASSERT_EQ(library.calls[0].resultRequests.size(), 2u);
    EXPECT_EQ(library.calls[0].resultRequests[1].iResultId, kSecondResult);
    EXPECT_EQ(library.calls[0].iValueCount, 24);
}

TEST_F(NonHourly, PositiveMaximumHourWithNegativeMultiplierFindsTheMostNegativeMonth)
{
    SetMonthly(library, {-1, -5, -30, 2, 0, 0, 0, 0, 0, 0, 0, -30}, {1, 2, 17, 4, 5, 6, 7, 8, 9, 10, 11, 23});
    GombrelData item = Record("MonthHourOfPosMax", 1);
    item.fMultiplier = -1.0f;
    const Evaluation run = Evaluate(item);
    EXPECT_EQ(run.strError, "");
    EXPECT_EQ(run.value.dNumber, 17.0);
}

TEST_F(NonHourly, MonthsWithoutValuesNeverWinTheSearch)
{
    // Times -1 the missing mark would be the largest value of the year.
    SetMonthly(library, {-1, MISSING_VALUE, -3, -2, 0, 0, 0, 0, 0, 0, -2.5f, 0},
               {1, 2, 14, 4, 5, 6, 7, 8, 9, 10, MISSING_VALUE, 12});
    GombrelData item = Record("MonthDateOfPosMax", 1, GOMBREL_ACTION_TEXT);
    item.fMultiplier = -1.0f;
    EXPECT_EQ(Evaluate(item).value.strText, "3/14");
}

TEST_F(NonHourly, WinningMonthWithoutItsDayOrHourIsSkippedByBothCells)
{
    // The date and the hour of one peak come from different companion
    // lists: January's missing day must not hand the date to February
    // while the hour cell still reports January's hour.
    library.SetResult(kResult, {-500, -100, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10});
    library.SetResult(kSecondResult, {MISSING_VALUE, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3});
    GombrelData date = Record("MonthDateOfPosMax", 1, GOMBREL_ACTION_TEXT);
    date.fMultiplier = -1.0f;
    const Evaluation dateRun = Evaluate(date);
    EXPECT_EQ(dateRun.strError, "");
    EXPECT_TRUE(dateRun.value.bSkip);
    EXPECT_EQ(dateRun.value.strText, "");

    GombrelData hour = Record("MonthHourOfPosMax", 1);
    hour.fMultiplier = -1.0f;
    library.SetResult(kSecondResult, {17, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5});
    EXPECT_EQ(Evaluate(hour).value.dNumber, 17.0);
    library.SetResult(kSecondResult, {MISSING_VALUE, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5});
    const Evaluation hourRun = Evaluate(hour);
    EXPECT_EQ(hourRun.strError, "");
    EXPECT_TRUE(hourRun.value.bSkip);
}

TEST_F(NonHourly, AYearOfMissingMonthsIsSkipped)
{
    SetMonthly(library, std::vector<float>(12, MISSING_VALUE), std::vector<float>(12, 3.0f));
    library.SetResult(kResult, {MISSING_VALUE, MISSING_VALUE, MISSING_VALUE, MISSING_VALUE, MISSING_VALUE,
                                MISSING_VALUE, MISSING_VALUE, MISSING_VALUE, MISSING_VALUE, MISSING_VALUE,
                                MISSING_VALUE, MISSING_VALUE});
    GombrelData item = Record("MonthHourOfPosMax", 1);
    item.fMultiplier = -1.0f;
    const Evaluation run = Evaluate(item);
    EXPECT_EQ(run.strError, "");
    EXPECT_TRUE(run.value.bSkip);
}

TEST_F(NonHourly, NoPositiveMonthIsSkippedWithoutError)
{
    SetMonthly(library, {0, -1, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0}, std::vector<float>(12, 3.0f));
    for (const char *key : {"MonthDateOfPosMax", "MonthHourOfPosMax"}) {
        const Evaluation run = Evaluate(Record(key, 1));
        EXPECT_EQ(run.strError, "") << key;
        EXPECT_TRUE(run.value.bSkip) << key;
        EXPECT_EQ(run.value.strText, "") << key;
        EXPECT_EQ(run.value.dNumber, 0.0) << key;
    }
}

TEST_F(NonHourly, PlainMaximumSearchesBelowZeroToo)
{
    SetMonthly(library, {-9, -8, -7, -6, -5, -4, -3, -2, -1.5f, -2, -3, -4}, {1, 2, 3, 4, 5, 6, 7, 8, 21, 1, 1, 1});
    EXPECT_EQ(Evaluate(Record("MonthDateOfMax", 1, GOMBREL_ACTION_TEXT)).value.strText, "9/21");
    EXPECT_EQ(Evaluate(Record("MonthHourOfMax", 1)).value.dNumber, 21.0);
}

TEST_F(NonHourly, UnreadMonthlyListsFail)
{
    library.SetResult(kResult, std::vector<float>(12, 1.0f));
    const GombrelData item = Record("MonthDateOfPosMax", 1, GOMBREL_ACTION_TEXT);
    EXPECT_EQ(Evaluate(item).strError, Described("Error retrieving results for ", item));
}

TEST_F(NonHourly, UnknownKeyIsNamedWithoutTheRecord)
{
    const Evaluation run = Evaluate(Record("MonthDateOfMin", 1));
    EXPECT_EQ(run.strError, "Encountered unrecognized special processing key: 'MonthDateOfMin'");
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(FinalValue, MultiplierOfOneWithinTolerancesLeavesTheNumber)
{
    library.SetResult(kResult, {1.1f});
    const struct {
        float fMultiplier;
        double dExpected;
    } cases[] = {{1.00005f, 1.1f},
                 {0.99995f, 1.1f},
                 {1.0001f, static_cast<double>(1.1f) * 1.0001f},
                 {0.293f, static_cast<double>(1.1f) * 0.293f},
                 {-1.0f, -1.1f},
                 {1000.0f, static_cast<double>(1.1f) * 1000.0}};
    for (const auto &c : cases) {
        GombrelData item = Record(nullptr, 1);
        item.fMultiplier = c.fMultiplier;
        EXPECT_EQ(Evaluate(item).value.dNumber, c.dExpected) << c.fMultiplier;
    }
}

TEST_F(FinalValue, RoundsHalvesAwayFromZero)
{
    const struct {
        float fNumber;
        int iPlaces;
        double dExpected;
    } cases[] = {{2.5f, 0, 3.0},        {-2.5f, 0, -3.0},          {12.25f, 1, 12.3},      {-12.25f, 1, -12.3},
                 {2.5f, -1, 2.5},       {3.0e9f, 2, 3.0e9},        {-3.0e9f, 0, -3.0e9},   {1.0e15f, 3, 1.0e15f},
                 {0.123456f, 5, 0.12346}};
    for (const auto &c : cases) {
        library.SetResult(kResult, {c.fNumber});
        GombrelData item = Record(nullptr, 1);
        item.iDecimalPlaces = c.iPlaces;
        EXPECT_EQ(Evaluate(item).value.dNumber, c.dExpected) << c.fNumber << " to " << c.iPlaces;
    }
}

TEST_F(FinalValue, SmallNegativeRoundsToPlainZero)
{
    library.SetResult(kResult, {-0.4f});
    GombrelData item = Record(nullptr, 1);
    item.iDecimalPlaces = 0;
    const double number = Evaluate(item).value.dNumber;
    EXPECT_EQ(number, 0.0);
    EXPECT_FALSE(std::signbit(number));
}

TEST_F(FinalValue, TextRecordsAreNeitherMultipliedNorRounded)
{
    std::vector<float> series = Constant(1.0f);
    series[50] = 12.25f;
    GombrelData item = HourlyRecord("DateOfAnnualMax", GOMBREL_ACTION_TEXT);
    item.fMultiplier = -1.0f;
    item.iDecimalPlaces = 1;
    const Evaluation run = EvaluateOver(series, item);
    EXPECT_EQ(run.value.dNumber, 12.25);
    EXPECT_EQ(run.value.strText, "1/3");
}

}  // namespace
