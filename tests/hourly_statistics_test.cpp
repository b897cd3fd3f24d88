#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "FakeResultLibrary.h"
#include "HourlyStatistics.h"

namespace {

int g_iPauses = 0;
int g_iPausedMilliseconds = 0;

void CountPause(int iMilliseconds)
{
    ++g_iPauses;
    g_iPausedMilliseconds += iMilliseconds;
}

std::vector<float> Constant(float fValue) { return std::vector<float>(kHoursPerYear, fValue); }

// Hour h holds fStart + h * fStep.
std::vector<float> Ramp(float fStart, float fStep)
{
    std::vector<float> series(kHoursPerYear);
    for (int hour = 0; hour < kHoursPerYear; ++hour)
        series[hour] = fStart + hour * fStep;
    return series;
}

HourlySeries HourlyItem(int32_t iVariable, const char *pszItemString = nullptr)
{
    HourlySeries series;
    series.iFileType = 4;
    series.iListId = 2010;
    series.iVariable = iVariable;
    series.pszReportKey = "SHOEBOX-ZONE";
    series.pszItemString = pszItemString;
    return series;
}

// Reads through a fresh fake with a counting pause.
class StatisticsTest : public ::testing::Test {
protected:
    FakeResultLibrary library;
    ResultAccess access{&library, CountPause};
    std::string strProject;

    void SetUp() override
    {
        g_iPauses = 0;
        g_iPausedMilliseconds = 0;
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        strProject = std::string("/results/") + info->test_suite_name() + "." + info->name();
    }

    bool Load(const HourlySeries &series) { return LoadHourlyYear(access, "/doe2/", strProject.c_str(), &series); }

    float *Year() { return access.afHourlyYear.data(); }

    size_t Reads() const { return library.calls.size(); }
};

using Calendar = StatisticsTest;
using HourlyLoad = StatisticsTest;
using DerivedSeries = StatisticsTest;
using TempBins = StatisticsTest;
using MonthFilter = StatisticsTest;
using MultipleResults = StatisticsTest;

TEST_F(Calendar, DaysThroughMonthAccumulateDaysInMonth)
{
    int days = 0;
    for (int month = 0; month < kMonthsPerYear; ++month) {
        EXPECT_EQ(DaysBeforeMonth(month), days) << month;
        days += g_aiDaysInMonth[month];
        EXPECT_EQ(g_aiDaysThroughMonth[month], days) << month;
    }
    EXPECT_EQ(days * kHoursPerDay, kHoursPerYear);
    EXPECT_STREQ(g_apszMonthAbbrev[1], "Feb");
    EXPECT_STREQ(g_apszMonthName[8], "September");
}

TEST_F(Calendar, HourIndexCountsFromFirstJanuaryHourOne)
{
    const struct {
        const char *pszName;
        int iMonth, iDay, iHour, iIndex;
    } cases[] = {{"first hour", 1, 1, 1, 0},        {"4 January hour 1", 1, 4, 1, 72},
                 {"28 June hour 1", 6, 28, 1, 4272}, {"27 July hour 10", 7, 27, 10, 4977},
                 {"30 April hour 1", 4, 30, 1, 2856}, {"last hour", 12, 31, 24, 8759}};
    for (const auto &c : cases)
        EXPECT_EQ(HourIndex(c.iMonth, c.iDay, c.iHour), c.iIndex) << c.pszName;
}

TEST_F(Calendar, MonthIndexIgnoresCaseButNotLength)
{
    const struct {
        const char *pszText;
        int iIndex;
    } cases[] = {{"jan", 0}, {"JAN", 0}, {"Jan", 0}, {"fEb", 1}, {"Dec", 11}, {"Jun ", -1},
                 {"Ju", -1}, {"", -1},   {"January", -1}, {"Jax", -1}, {nullptr, -1}};
    for (const auto &c : cases)
        EXPECT_EQ(GetMonthIndex(c.pszText), c.iIndex) << (c.pszText ? c.pszText : "(null)");
}

TEST_F(HourlyLoad, ReadsSingleSeriesWithTheRecordsKeys)
{
    library.SetHourlySeries(2010, 15, Ramp(1.0f, 0.5f));
    ASSERT_TRUE(Load(HourlyItem(15)));
    ASSERT_EQ(Reads(), 1u);
    const FakeLibraryCall &call = library.calls[0];
    EXPECT_EQ(call.entry, FakeLibraryCall::SingleHourly);
    EXPECT_EQ(call.strDoe2Folder, "/doe2/");
    EXPECT_EQ(call.strProjectPath, strProject);
    EXPECT_EQ(call.iFileType, 4);
    EXPECT_EQ(call.iListId, 2010);
    EXPECT_EQ(call.iVariable, 15);
    EXPECT_EQ(call.iValueCount, kHoursPerYear);
    EXPECT_EQ(call.strReportKey, "SHOEBOX-ZONE");
    EXPECT_FALSE(call.bHasFilter);
    EXPECT_EQ(std::vector<float>(Year(), Year() + kHoursPerYear), Ramp(1.0f, 0.5f));
}

TEST_F(HourlyLoad, FailsWhenTheSingleSeriesIsNotDelivered)
{
    EXPECT_FALSE(Load(HourlyItem(15)));
    EXPECT_EQ(Reads(), 1u);
}

TEST_F(HourlyLoad, VariableNumber999IsASingleSeries)
{
    library.SetHourlySeries(2010, 999, Constant(3.0f));
    EXPECT_TRUE(Load(HourlyItem(999)));
    ASSERT_EQ(Reads(), 1u);
    EXPECT_EQ(library.calls[0].entry, FakeLibraryCall::SingleHourly);
}

TEST_F(HourlyLoad, UnpackableVariableNumbersFailWithoutCallingTheLibrary)
{
    for (int32_t special : {0, -5, -999}) {
        EXPECT_FALSE(Load(HourlyItem(special))) << special;
        EXPECT_EQ(Reads(), 0u) << special;
    }
}

TEST_F(HourlyLoad, UnpacksGroupsOfThreeDigitsLeastSignificantFirst)
{
    const struct {
        int32_t iSpecial;
        std::vector<int32_t> variables;
    } cases[] = {{6047, {47, 6}},
                 {5031035, {35, 31, 5}},
                 {69049047, {47, 49, 69}},
                 {-48006, {6, 48}},
                 {1000, {0, 1}}};
    for (const auto &c : cases) {
        library.calls.clear();
        for (int32_t variable : c.variables)
            library.SetHourlySeries(2010, variable, Constant(1.0f));
        ASSERT_TRUE(Load(HourlyItem(c.iSpecial))) << c.iSpecial;
        ASSERT_EQ(Reads(), 1u);
        const FakeLibraryCall &call = library.calls[0];
        EXPECT_EQ(call.entry, FakeLibraryCall::MultipleHourly);
        EXPECT_EQ(call.iValueCount, kHoursPerYear * static_cast<int32_t>(c.variables.size()));
        ASSERT_EQ(call.hourlyRequests.size(), c.variables.size()) << c.iSpecial;
        for (size_t i = 0; i < c.variables.size(); ++i) {
            EXPECT_EQ(call.hourlyRequests[i].iListId, 2010);
            EXPECT_EQ(call.hourlyRequests[i].iVariable, c.variables[i]) << c.iSpecial << " request " << i;
            EXPECT_EQ(call.hourlyRequests[i].iReserved, 0);
            EXPECT_STREQ(call.hourlyRequests[i].szReportKey, "SHOEBOX-ZONE");
        }
    }
}

TEST_F(HourlyLoad, FailsWhenPackedSeriesAreNotAllDelivered)
{
    library.SetHourlySeries(2010, 47, Constant(1.0f));
    EXPECT_FALSE(Load(HourlyItem(69049047)));
    EXPECT_EQ(Reads(), 1u);
}

// Records of one series alternate with records of others; every field of
// the key tells a series apart, and each series is read once until the
// evaluations begin afresh.
TEST_F(HourlyLoad, ReadsEachSeriesOnceHoweverRecordsAlternateUntilReadAfresh)
{
    library.SetHourlySeries(2010, 15, Constant(2.0f));
    library.SetHourlySeries(2010, 16, Constant(3.0f));
    library.SetHourlySeries(1020, 15, Constant(4.0f));
    const HourlySeries first = HourlyItem(15);
    HourlySeries others[6] = {first, first, first, first, first, first};
    others[0].pszReportKey = "SYSTEM-1";
    others[1].pszItemString = "COP_OBtuh_IkW";
    others[2].pszRowKey = "FEB";
    others[3].iFileType = 3;
    others[4].iListId = 1020;
    others[5].iVariable = 16;
    size_t expected = 1;
    for (const HourlySeries &other : others) {
        ASSERT_TRUE(Load(first));
        EXPECT_EQ(Year()[0], 2.0f);
        ASSERT_TRUE(Load(other));
        EXPECT_EQ(Reads(), ++expected);
    }
    ASSERT_TRUE(Load(first));
    ASSERT_TRUE(Load(others[5]));
    EXPECT_EQ(Year()[0], 3.0f);
    EXPECT_EQ(Reads(), expected);
    EXPECT_TRUE(LoadHourlyYear(access, "/doe2/", (strProject + "-other").c_str(), &first));
    EXPECT_EQ(Reads(), ++expected);

    ReadResultsAfresh(access);
    library.SetHourlySeries(2010, 15, Constant(5.0f));
    ASSERT_TRUE(Load(first));
    EXPECT_EQ(Reads(), ++expected);
    EXPECT_EQ(Year()[0], 5.0f);
}

// A results folder's series fill several of the blocks the run keeps them
// in: each comes back whole, none written over by the next.
TEST_F(HourlyLoad, KeepsEverySeriesWholeAcrossBlocks)
{
    const int count = 2 * static_cast<int>(SeriesShelf::kSeriesPerBlock) + 1;
    for (int variable = 1; variable <= count; ++variable) {
        library.SetHourlySeries(2010, variable, Ramp(1000.0f * variable, 0.5f));
        ASSERT_TRUE(Load(HourlyItem(variable)));
    }
    for (int variable = count; variable >= 1; --variable) {
        ASSERT_TRUE(Load(HourlyItem(variable)));
        EXPECT_EQ(Year()[0], 1000.0f * variable) << variable;
        EXPECT_EQ(Year()[kHoursPerYear - 1], 1000.0f * variable + 0.5f * (kHoursPerYear - 1)) << variable;
    }
    EXPECT_EQ(Reads(), static_cast<size_t>(count));
}

TEST_F(HourlyLoad, FailedReadLeavesNoCacheBehind)
{
    library.SetHourlySeries(2010, 15, Constant(2.0f));
    library.SetHourlySeries(2010, 47, Constant(9.0f));
    ASSERT_TRUE(Load(HourlyItem(15)));
    EXPECT_FALSE(Load(HourlyItem(69049047)));
    ASSERT_TRUE(Load(HourlyItem(15)));
    EXPECT_EQ(Year()[0], 2.0f);
    EXPECT_FALSE(Load(HourlyItem(69049047)));
    EXPECT_EQ(Reads(), 3u);
}

TEST_F(HourlyLoad, RefusesKeysLongerThanTheLibrarysField)
{
    library.SetHourlySeries(2010, 15, Constant(2.0f));
    const std::string fits(39, 'K'), tooLong(40, 'K');
    HourlySeries item = HourlyItem(15);
    item.pszReportKey = fits.c_str();
    EXPECT_TRUE(Load(item));
    item.pszReportKey = tooLong.c_str();
    EXPECT_FALSE(Load(item));
    item = HourlyItem(15);
    item.pszRowKey = tooLong.c_str();
    EXPECT_FALSE(Load(item));
    EXPECT_EQ(Reads(), 1u);
}

TEST_F(HourlyLoad, FailsForMissingArguments)
{
    const HourlySeries item = HourlyItem(15);
    EXPECT_FALSE(LoadHourlyYear(access, nullptr, "p", &item));
    EXPECT_FALSE(LoadHourlyYear(access, "/doe2/", nullptr, &item));
    EXPECT_FALSE(LoadHourlyYear(access, "/doe2/", "p", nullptr));
    EXPECT_EQ(Reads(), 0u);
}

TEST_F(DerivedSeries, PositivePackingAddsTheSeriesInSinglePrecision)
{
    library.SetHourlySeries(2010, 47, Ramp(0.1f, 0.25f));
    library.SetHourlySeries(2010, 49, Constant(1.0e7f));
    library.SetHourlySeries(2010, 69, Ramp(-3.3f, 0.125f));
    ASSERT_TRUE(Load(HourlyItem(69049047)));
    for (int hour : {0, 1, 4000, 8759}) {
        const float expected = (0.1f + hour * 0.25f + 1.0e7f) + (-3.3f + hour * 0.125f);
        EXPECT_EQ(Year()[hour], expected) << hour;
    }
}

TEST_F(DerivedSeries, NegativePackingSubtractsTheLaterSeries)
{
    library.SetHourlySeries(2010, 6, Constant(10.5f));
    library.SetHourlySeries(2010, 48, Ramp(0.0f, 1.0f));
    ASSERT_TRUE(Load(HourlyItem(-48006)));
    EXPECT_EQ(Year()[0], 10.5f);
    EXPECT_EQ(Year()[20], 10.5f - 20.0f);
}

TEST_F(DerivedSeries, CombinationWithAMissingComponentIsMissing)
{
    std::vector<float> gaps = Constant(4.0f);
    gaps[3] = MISSING_VALUE;
    library.SetHourlySeries(2010, 6, Constant(10.0f));
    library.SetHourlySeries(2010, 48, gaps);
    ASSERT_TRUE(Load(HourlyItem(-48006)));
    EXPECT_EQ(Year()[2], 6.0f);
    EXPECT_EQ(Year()[3], MISSING_VALUE);
}

TEST_F(DerivedSeries, EfficiencyDividesOutputByInput)
{
    std::vector<float> input = Constant(5.0f), output = Constant(34120.0f);
    input[1] = 0.0f;     // no input
    output[2] = 0.0f;    // no output
    input[3] = MISSING_VALUE;
    output[4] = MISSING_VALUE;
    library.SetHourlySeries(2010, 47, input);
    library.SetHourlySeries(2010, 6, output);
    ASSERT_TRUE(Load(HourlyItem(6047, "COP_OBtuh_IkW")));
    EXPECT_EQ(Year()[0], static_cast<float>(34120.0f * 0.2931 / (5.0f * 1000)));
    EXPECT_NEAR(Year()[0], 2.0, 0.001);
    for (int hour : {1, 2, 3, 4})
        EXPECT_EQ(Year()[hour], MISSING_VALUE) << hour;
}

TEST_F(DerivedSeries, EfficiencyOfThreeSeriesDividesTwice)
{
    library.SetHourlySeries(2010, 1, Constant(2.0f));
    library.SetHourlySeries(2010, 2, Constant(8000.0f));
    library.SetHourlySeries(2010, 3, Constant(3000.0f));
    ASSERT_TRUE(Load(HourlyItem(3002001, "COP_OBtuh_IkW")));
    const float first = static_cast<float>(8000.0f * 0.2931 / (2.0f * 1000));
    EXPECT_EQ(Year()[0], static_cast<float>(3000.0f * 0.2931 / (first * 1000)));
}

// Saturation pressure in inches of mercury after Buck (1981), an
// independent approximation of the Goff-Gratch values within 0.1 %.
double BuckOverWater(double dCelsius)
{
    return 6.1121 * std::exp((18.678 - dCelsius / 234.5) * (dCelsius / (257.14 + dCelsius))) / 33.8639;
}
double BuckOverIce(double dCelsius)
{
    return 6.1115 * std::exp((23.036 - dCelsius / 333.7) * (dCelsius / (279.82 + dCelsius))) / 33.8639;
}

class RelativeHumidityTest : public StatisticsTest {
protected:
    static constexpr float kPressure = 29.0f;

    // Loads a humidity series with the humidity ratio that saturates air
    // of fSaturation at every hour, the temperature tF and the pressure.
    bool LoadSaturated(float fTemperatureF, double dSaturation)
    {
        const float ratio = static_cast<float>(0.622 * dSaturation / (kPressure - dSaturation));
        library.SetHourlySeries(2010, 35, Constant(ratio));
        library.SetHourlySeries(2019, 31, Constant(fTemperatureF));
        library.SetHourlySeries(1114, 5, Constant(kPressure));
        HourlySeries item = HourlyItem(5031035, "ZoneRelHumid");
        item.pszRowKey = "HVBT-ZONE";
        return Load(item);
    }
};

TEST_F(RelativeHumidityTest, ReadsRatioZoneTemperatureAndPressure)
{
    ASSERT_TRUE(LoadSaturated(70.0f, BuckOverWater((70.0 - 32) / 1.8)));
    ASSERT_EQ(Reads(), 3u);
    const FakeLibraryCall &ratio = library.calls[0], &temperature = library.calls[1], &pressure = library.calls[2];
    EXPECT_EQ(ratio.iFileType, 4);
    EXPECT_EQ(ratio.iListId, 2010);
    EXPECT_EQ(ratio.iVariable, 35);
    EXPECT_EQ(ratio.strReportKey, "SHOEBOX-ZONE");
    EXPECT_EQ(temperature.iFileType, 4);
    EXPECT_EQ(temperature.iListId, 2019);
    EXPECT_EQ(temperature.iVariable, 31);
    EXPECT_EQ(temperature.strReportKey, "HVBT-ZONE");
    EXPECT_EQ(pressure.iFileType, 3);
    EXPECT_EQ(pressure.iListId, 1114);
    EXPECT_EQ(pressure.iVariable, 5);
    EXPECT_FALSE(pressure.bHasReportKey);
    EXPECT_NEAR(Year()[100], 100.0, 0.2);
}

TEST_F(RelativeHumidityTest, Uses33FOverWaterAnd31FOverIce)
{
    const double above = (33.0 - 32) / 1.8, below = (31.0 - 32) / 1.8;
    ASSERT_TRUE(LoadSaturated(33.0f, BuckOverWater(above)));
    EXPECT_NEAR(Year()[0], 100.0, 0.15);
    strProject += "-ice";
    ASSERT_TRUE(LoadSaturated(31.0f, BuckOverIce(below)));
    EXPECT_NEAR(Year()[0], 100.0, 0.15);
    // Over water the same air would read half a percent drier.
    EXPECT_GT(100.0 * BuckOverWater(below) / BuckOverIce(below) - 100.0, 0.4);
}

TEST_F(RelativeHumidityTest, MissingInputHourIsMissing)
{
    std::vector<float> temperature = Constant(70.0f), pressure = Constant(kPressure), ratio = Constant(0.01f);
    temperature[1] = MISSING_VALUE;
    pressure[2] = MISSING_VALUE;
    ratio[3] = MISSING_VALUE;
    library.SetHourlySeries(2010, 35, ratio);
    library.SetHourlySeries(2019, 31, temperature);
    library.SetHourlySeries(1114, 5, pressure);
    HourlySeries item = HourlyItem(5031035, "ZoneRelHumid");
    item.pszRowKey = "HVBT-ZONE";
    ASSERT_TRUE(Load(item));
    EXPECT_GT(Year()[0], 0.0f);
    EXPECT_LT(Year()[0], 100.0f);
    for (int hour : {1, 2, 3})
        EXPECT_EQ(Year()[hour], MISSING_VALUE) << hour;
}

TEST_F(RelativeHumidityTest, MakesAllThreeReadsEvenWhenTheFirstFails)
{
    library.SetHourlySeries(2019, 31, Constant(70.0f));
    library.SetHourlySeries(1114, 5, Constant(kPressure));
    HourlySeries item = HourlyItem(5031035, "ZoneRelHumid");
    item.pszRowKey = "HVBT-ZONE";
    EXPECT_FALSE(Load(item));
    EXPECT_EQ(library.CountCalls(FakeLibraryCall::SingleHourly), 3u);
}

TEST_F(RelativeHumidityTest, TwoVariablesAreAnOrdinarySum)
{
    library.SetHourlySeries(2010, 35, Constant(1.0f));
    library.SetHourlySeries(2010, 31, Constant(2.0f));
    HourlySeries item = HourlyItem(31035, "ZoneRelHumid");
    item.pszRowKey = "HVBT-ZONE";
    ASSERT_TRUE(Load(item));
    EXPECT_EQ(library.CountCalls(FakeLibraryCall::MultipleHourly), 1u);
    EXPECT_EQ(Year()[0], 3.0f);
}

// Fills series 1 with filler that falls in no bin, then the given values.
void FillSeries(ResultAccess &access, const std::vector<float> &values)
{
    std::fill(access.afHourlyYear.begin(), access.afHourlyYear.begin() + kHoursPerYear, 1000.0f);
    std::copy(values.begin(), values.end(), access.afHourlyYear.begin());
}

TEST_F(TempBins, CountsEachValueIntoTheBinOfItsEdges)
{
    FillSeries(access, {-58.0f, -57.9f, 208.4f, 208.5f, MISSING_VALUE, 32.0f, 32.01f, 206.5f, NAN});
    const HourlySeries item = HourlyItem(15);
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &item));
    std::vector<int32_t> expected(kTempBinCount, 0);
    expected[0] = 1;    // -57.9
    expected[49] = 1;   // 32.0 = 0 C, the top edge of bin 50
    expected[50] = 1;   // 32.01
    expected[146] = 1;  // 206.5, below the top edge of bin 147
    expected[147] = 1;  // 208.4
    EXPECT_EQ(std::vector<int32_t>(access.aiTempBinCounts.begin(), access.aiTempBinCounts.end()), expected);
}

TEST_F(TempBins, LastBinIsNeverCounted)
{
    FillSeries(access, Ramp(-60.0f, 0.035f));
    const HourlySeries item = HourlyItem(15);
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &item));
    EXPECT_EQ(access.aiTempBinCounts[kTempBinCount - 1], 0);
    EXPECT_EQ(std::accumulate(access.aiTempBinCounts.begin(), access.aiTempBinCounts.end(), 0),
              std::count_if(Year(), Year() + kHoursPerYear,
                            [](float v) { return v > -58.0f && v <= 208.4f; }));
}

TEST_F(TempBins, CountsOncePerSeries)
{
    FillSeries(access, {32.0f});
    const HourlySeries item = HourlyItem(15);
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &item));
    const int32_t before = access.aiTempBinCounts[49];
    FillSeries(access, {32.0f, 32.0f});
    HourlySeries sameSeries = item;
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &sameSeries));
    EXPECT_EQ(access.aiTempBinCounts[49], before);
    ASSERT_TRUE(CountCelsiusTempBins(access, (strProject + "-other").c_str(), &sameSeries));
    EXPECT_EQ(access.aiTempBinCounts[49], before + 1);
}

TEST_F(TempBins, CountsAgainForAnotherRowKeyOrItemString)
{
    FillSeries(access, {32.0f});
    const HourlySeries item = HourlyItem(15);
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &item));
    const int32_t before = access.aiTempBinCounts[49];
    HourlySeries otherRow = item, otherItem = item;
    otherRow.pszRowKey = "HVBT-ZONE";
    otherItem.pszItemString = "ZoneRelHumid";
    FillSeries(access, {32.0f, 32.0f});
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &otherRow));
    EXPECT_EQ(access.aiTempBinCounts[49], before + 1);
    FillSeries(access, {32.0f, 32.0f, 32.0f});
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &otherItem));
    EXPECT_EQ(access.aiTempBinCounts[49], before + 2);
}

TEST_F(TempBins, SeriesReadAgainIsCountedAgain)
{
    const HourlySeries binItem = HourlyItem(15);
    library.SetHourlySeries(2010, 15, Constant(32.0f));
    library.SetHourlySeries(2010, 16, Constant(0.0f));
    ASSERT_TRUE(Load(binItem));
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &binItem));
    EXPECT_EQ(access.aiTempBinCounts[49], kHoursPerYear);

    // The project's results change between two rounds; another series is
    // read in between, and the second round reads the first one again.
    library.SetHourlySeries(2010, 15, Constant(33.0f));
    ASSERT_TRUE(Load(HourlyItem(16)));
    ReadResultsAfresh(access);
    ASSERT_TRUE(Load(binItem));
    ASSERT_TRUE(CountCelsiusTempBins(access, strProject.c_str(), &binItem));
    EXPECT_EQ(access.aiTempBinCounts[49], 0);
    EXPECT_EQ(access.aiTempBinCounts[50], kHoursPerYear);
}

TEST_F(TempBins, FailsOnlyForMissingArguments)
{
    const HourlySeries item = HourlyItem(15);
    EXPECT_FALSE(CountCelsiusTempBins(access, nullptr, &item));
    EXPECT_FALSE(CountCelsiusTempBins(access, strProject.c_str(), nullptr));
}

// The 244 bytes of a filter as the library reads them.
std::vector<unsigned char> Bytes(const D2R_HourlyFilter &filter)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(&filter);
    return std::vector<unsigned char>(bytes, bytes + sizeof filter);
}

void PutInt(std::vector<unsigned char> &bytes, size_t iOffset, int32_t iValue)
{
    for (int i = 0; i < 4; ++i)
        bytes[iOffset + i] = static_cast<unsigned char>(static_cast<uint32_t>(iValue) >> (8 * i));
}

// The default filter's bytes, with the padding at 53 to 55 as given.
std::vector<unsigned char> DefaultFilterBytes(unsigned char cPadding)
{
    std::vector<unsigned char> bytes(244, 0);
    PutInt(bytes, 0, 1);
    bytes[53] = bytes[54] = bytes[55] = cPadding;
    for (size_t offset : {88, 156, 200})
        for (size_t i = 0; i < 8; ++i)
            PutInt(bytes, offset + 4 * i, 1);
    PutInt(bytes, 124, 23);
    PutInt(bytes, 140, 11);
    PutInt(bytes, 144, 30);
    PutInt(bytes, 148, 23);
    PutInt(bytes, 192, 23);
    PutInt(bytes, 236, 23);
    return bytes;
}

D2R_HourlyFilter Scribbled()
{
    D2R_HourlyFilter filter;
    std::memset(&filter, 0xAB, sizeof filter);
    return filter;
}

TEST_F(MonthFilter, DefaultsByteForByteLeavingThePadding)
{
    D2R_HourlyFilter filter = Scribbled();
    InitHourlyFilter(&filter);
    EXPECT_EQ(Bytes(filter), DefaultFilterBytes(0xAB));
}

TEST_F(MonthFilter, FebruarySumByteForByte)
{
    D2R_HourlyFilter filter = Scribbled();
    ASSERT_TRUE(SetMonthFilter(&filter, "MonthSum", "FEB"));
    std::vector<unsigned char> expected = DefaultFilterBytes(0xAB);
    const char name[] = "February Sum (all hours)";
    std::memcpy(&expected[4], name, sizeof name - 1);
    PutInt(expected, 56, 2);
    PutInt(expected, 60, 2);
    PutInt(expected, 64, 1);
    PutInt(expected, 72, 1);
    PutInt(expected, 128, 1);
    PutInt(expected, 140, 1);
    PutInt(expected, 144, 27);
    PutInt(expected, 152, 15);
    EXPECT_EQ(Bytes(filter), expected);
}

TEST_F(MonthFilter, StatisticFollowsTheKeyAndTheNameStaysSum)
{
    const struct {
        const char *pszKey;
        int32_t iStatistic;
    } cases[] = {{"MonthSum", 15}, {"MonthAvg", 16}, {"MonthMax", 13}, {"MonthMin", 14}};
    for (const auto &c : cases) {
        D2R_HourlyFilter filter{};
        ASSERT_TRUE(SetMonthFilter(&filter, c.pszKey, "dec")) << c.pszKey;
        EXPECT_EQ(filter.iStatistic, c.iStatistic) << c.pszKey;
        EXPECT_STREQ(filter.szName, "December Sum (all hours)");
        EXPECT_EQ(filter.iEndDay, 30);
        EXPECT_EQ(filter.iPeriodMonth, 11);
    }
}

TEST_F(MonthFilter, MonthInAnyCaseSelectsTheSameMonth)
{
    for (const char *month : {"feb", "Feb", "FEB"}) {
        D2R_HourlyFilter filter{};
        ASSERT_TRUE(SetMonthFilter(&filter, "MonthAvg", month)) << month;
        EXPECT_EQ(filter.iStartMonth, 1) << month;
    }
}

TEST_F(MonthFilter, RefusesOtherKeysAndMonthsLeavingTheFilter)
{
    const struct {
        const char *pszKey;
        const char *pszMonth;
    } cases[] = {{"monthsum", "Feb"}, {"AnnualSum", "Feb"}, {"", "Feb"}, {nullptr, "Feb"},
                 {"MonthSum", "Febr"}, {"MonthSum", ""},       {"MonthSum", nullptr}};
    for (const auto &c : cases) {
        D2R_HourlyFilter filter = Scribbled();
        EXPECT_FALSE(SetMonthFilter(&filter, c.pszKey, c.pszMonth));
        EXPECT_EQ(Bytes(filter), Bytes(Scribbled()));
    }
}

TEST_F(MultipleResults, ReadsOnePlainResult)
{
    library.SetResult(2101002, {12.5f});
    const int32_t id = 2101002;
    float value = -1.0f;
    ASSERT_TRUE(GetMultipleResults(access, 1, 1, &id, "", "SYSTEM-SUM", 1, "/doe2/", strProject.c_str(), &value));
    EXPECT_EQ(value, 12.5f);
    ASSERT_EQ(Reads(), 1u);
    const FakeLibraryCall &call = library.calls[0];
    EXPECT_EQ(call.strDoe2Folder, "/doe2/");
    EXPECT_EQ(call.strProjectPath, strProject);
    EXPECT_EQ(call.iFileType, 1);
    EXPECT_EQ(call.iValueCount, 1);
    ASSERT_EQ(call.resultRequests.size(), 1u);
    D2R_ResultRequest expected{};
    expected.iResultId = 2101002;
    std::strcpy(expected.szReportKey, "SYSTEM-SUM");
    EXPECT_EQ(std::memcmp(&call.resultRequests[0], &expected, sizeof expected), 0);
    EXPECT_EQ(g_iPauses, 0);
}

TEST_F(MultipleResults, ReadsTwoMonthlyListsSideBySide)
{
    std::vector<float> monthly(12), days(12);
    std::iota(monthly.begin(), monthly.end(), 1.0f);
    std::iota(days.begin(), days.end(), 10.0f);
    library.SetResult(2101010, monthly);
    library.SetResult(2101013, days);
    const int32_t ids[2] = {2101010, 2101013};
    float values[24];
    ASSERT_TRUE(GetMultipleResults(access, 24, 2, ids, "ROW", "SYSTEM-1", 1, "/doe2/", strProject.c_str(), values));
    EXPECT_EQ(values[0], 1.0f);
    EXPECT_EQ(values[11], 12.0f);
    EXPECT_EQ(values[12], 10.0f);
    EXPECT_EQ(values[23], 21.0f);
    ASSERT_EQ(library.calls[0].resultRequests.size(), 2u);
    EXPECT_STREQ(library.calls[0].resultRequests[1].szRowKey, "ROW");
    EXPECT_EQ(library.calls[0].resultRequests[1].iResultId, 2101013);
}

TEST_F(MultipleResults, GivesUpAfterThirtyMissingAnswersWithZeros)
{
    for (FakeResultLibrary::Answer answer : {FakeResultLibrary::Answer::AllMissing, FakeResultLibrary::Answer::Nothing}) {
        library.answer = answer;
        library.calls.clear();
        g_iPauses = g_iPausedMilliseconds = 0;
        const int32_t id = 2101002;
        float values[3] = {7.0f, 7.0f, 7.0f};
        EXPECT_FALSE(GetMultipleResults(access, 3, 1, &id, "", "", 1, "/doe2/", strProject.c_str(), values));
        EXPECT_EQ(Reads(), 30u);
        EXPECT_EQ(g_iPauses, 29);
        EXPECT_EQ(g_iPausedMilliseconds, 29 * 500);
        for (float value : values)
            EXPECT_EQ(value, 0.0f);
    }
}

TEST_F(MultipleResults, StopsRetryingWhenValuesArrive)
{
    library.SetResult(2101002, {4.0f});
    library.iEmptyAnswersFirst = 2;
    const int32_t id = 2101002;
    float value = 0.0f;
    ASSERT_TRUE(GetMultipleResults(access, 1, 1, &id, "", "", 1, "/doe2/", strProject.c_str(), &value));
    EXPECT_EQ(value, 4.0f);
    EXPECT_EQ(Reads(), 3u);
    EXPECT_EQ(g_iPauses, 2);
}

TEST_F(MultipleResults, WithoutALibraryEveryAttemptIsEmpty)
{
    access.pLibrary = nullptr;
    const int32_t id = 2101002;
    float value = 5.0f;
    EXPECT_FALSE(GetMultipleResults(access, 1, 1, &id, "", "", 1, "/doe2/", strProject.c_str(), &value));
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(g_iPauses, 29);
}

TEST_F(MultipleResults, RefusesLongKeysWithoutCallingTheLibrary)
{
    library.SetResult(2101002, {4.0f});
    const std::string fits(39, 'R'), tooLong(40, 'R');
    const int32_t id = 2101002;
    float value = 9.0f;
    EXPECT_TRUE(GetMultipleResults(access, 1, 1, &id, fits.c_str(), fits.c_str(), 1, "/d/", "p", &value));
    EXPECT_STREQ(library.calls[0].resultRequests[0].szRowKey, fits.c_str());
    EXPECT_FALSE(GetMultipleResults(access, 1, 1, &id, tooLong.c_str(), "", 1, "/d/", "p", &value));
    EXPECT_EQ(value, 0.0f);
    EXPECT_FALSE(GetMultipleResults(access, 1, 1, &id, "", tooLong.c_str(), 1, "/d/", "p", &value));
    EXPECT_EQ(Reads(), 1u);
}

}  // namespace
