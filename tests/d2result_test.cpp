// The result library called through its public header, as any caller would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "StoreWriter.h"
#include "d2result.h"

namespace {

constexpr int kHours = D2R_HOURS_PER_YEAR;
constexpr float kUntouched = 12345.0f;
constexpr int kList = 2010;

// A series whose hour h holds base + h: every hour tells where it came from.
std::vector<float> Ramp(float base)
{
    std::vector<float> hours(kHours);
    for (int hour = 0; hour < kHours; ++hour)
        hours[hour] = base + static_cast<float>(hour);
    return hours;
}

D2R_ResultRequest ResultRequest(int32_t iResultId, const char *pszReportKey, const char *pszRowKey = "")
{
    D2R_ResultRequest request = {};
    request.iResultId = iResultId;
    std::strncpy(request.szReportKey, pszReportKey, D2R_KEY_SIZE - 1);
    std::strncpy(request.szRowKey, pszRowKey, D2R_KEY_SIZE - 1);
    return request;
}

D2R_HourlyRequest HourlyRequest(int32_t iListId, int32_t iVariable, const char *pszReportKey)
{
    D2R_HourlyRequest request = {};
    request.iListId = iListId;
    request.iVariable = iVariable;
    std::strncpy(request.szReportKey, pszReportKey, D2R_KEY_SIZE - 1);
    return request;
}

// A filter over 0-based (month, day, hour) to (month, day, hour).
D2R_HourlyFilter Filter(int32_t iStatistic, int32_t m0, int32_t d0, int32_t h0, int32_t m1, int32_t d1, int32_t h1)
{
    D2R_HourlyFilter filter = {};
    filter.iKind = 1;
    filter.iStartMonth = m0;
    filter.iStartDay = d0;
    filter.iStartHour = h0;
    filter.iEndMonth = m1;
    filter.iEndDay = d1;
    filter.iEndHour = h1;
    filter.iStatistic = iStatistic;
    return filter;
}

void RunSql(const std::string &strPath, const std::string &strSql)
{
    sqlite3 *pDatabase = nullptr;
    ASSERT_EQ(sqlite3_open(strPath.c_str(), &pDatabase), SQLITE_OK);
    char *pszError = nullptr;
    int status = sqlite3_exec(pDatabase, strSql.c_str(), nullptr, nullptr, &pszError);
    std::string error = pszError ? pszError : "";
    sqlite3_free(pszError);
    sqlite3_close(pDatabase);
    ASSERT_EQ(status, SQLITE_OK) << error;
}

class D2ResultTest : public ::testing::Test {
protected:

    std::string StorePath() const { return m_strProject + ".d2r"; }

    // The store every test starts from: a plain and a monthly result, three
    // series, and a series with missing hours in February.
    void WriteStandardStore(float fPlain = -4.25f)
    {
        StoreWriter writer;
        std::string failure;
        ASSERT_TRUE(writer.Create(StorePath(), failure)) << failure;
        std::vector<float> months(12), days(12);
        for (int month = 0; month < 12; ++month) {
            months[month] = -1.0f - month;
            days[month] = 10.0f + month;
        }
        ASSERT_TRUE(writer.AddResult(1, 2101002, "SYSTEM-SUM", "", {fPlain}, failure)) << failure;
        ASSERT_TRUE(writer.AddResult(1, 2101011, "SYSTEM-SUM", "", months, failure)) << failure;
        ASSERT_TRUE(writer.AddResult(1, 2101017, "SYSTEM-SUM", "", days, failure)) << failure;
        ASSERT_TRUE(writer.AddResult(1, 2108028, "SYSTEM-1", "FEB", {321.5f}, failure)) << failure;
        ASSERT_TRUE(writer.AddResult(1, 2305010, "", "", {7.0f, 8.0f}, failure)) << failure;
        ASSERT_TRUE(writer.AddHourly(4, kList, 47, "SYSTEM-1", Ramp(0.0f), failure)) << failure;
        ASSERT_TRUE(writer.AddHourly(4, kList, 49, "SYSTEM-1", Ramp(10000.0f), failure)) << failure;
        ASSERT_TRUE(writer.AddHourly(4, kList, 69, "SYSTEM-1", Ramp(20000.0f), failure)) << failure;
        ASSERT_TRUE(writer.AddHourly(3, 1114, 4, "", Ramp(-50.0f), failure)) << failure;
        std::vector<float> february = Ramp(0.0f);
        for (int hour = 744; hour < 744 + 48; ++hour)   // 1 and 2 February missing
            february[hour] = D2R_MISSING_VALUE;
        ASSERT_TRUE(writer.AddHourly(4, 2019, 31, "HVBT-ZONE", february, failure)) << failure;
        ASSERT_TRUE(writer.Commit(failure)) << failure;
    }

    int32_t Plain(float &fValue, int32_t iResultId = 2101002, const char *pszReportKey = "SYSTEM-SUM")
    {
        D2R_ResultRequest request = ResultRequest(iResultId, pszReportKey);
        return D2R_GetMultipleResult("/opt/doe22/", m_strProject.c_str(), 1, &fValue, 1, 1, &request);
    }

    int32_t Series(std::vector<float> &hours, int32_t iVariable = 47, const char *pszReportKey = "SYSTEM-1")
    {
        hours.assign(kHours, kUntouched);
        return D2R_GetSingleHourlyResult("/opt/doe22/", m_strProject.c_str(), 4, kList, iVariable, hours.data(),
                                         kHours, pszReportKey, nullptr, 0);
    }

    int32_t Filtered(const D2R_HourlyFilter &filter, float &fValue)
    {
        return D2R_GetSingleHourlyResult("", m_strProject.c_str(), 4, 2019, 31, &fValue, 1, "HVBT-ZONE", &filter, 0);
    }

    ScratchFolder m_folder;
    std::string m_strProject = m_folder / "600-Zv - Baseline Design";
};

TEST_F(D2ResultTest, PlainResultIsSeqZero)
{
    WriteStandardStore();
    float value = kUntouched;
    EXPECT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, -4.25f);
}

TEST_F(D2ResultTest, PlainResultOfAnAbsentStoreIsNothing)
{
    float value = kUntouched;
    EXPECT_EQ(Plain(value), 0);
    EXPECT_EQ(value, kUntouched);
}

TEST_F(D2ResultTest, MonthlyRequestsFillTwelvePlacesEach)
{
    WriteStandardStore();
    D2R_ResultRequest requests[2] = {ResultRequest(2101011, "SYSTEM-SUM"), ResultRequest(2101017, "SYSTEM-SUM")};
    float values[24];
    ASSERT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, values, 24, 2, requests), 24);
    for (int month = 0; month < 12; ++month) {
        EXPECT_FLOAT_EQ(values[month], -1.0f - month) << month;
        EXPECT_FLOAT_EQ(values[12 + month], 10.0f + month) << month;
    }
}

TEST_F(D2ResultTest, PlacesWithoutARowGetTheMissingMark)
{
    WriteStandardStore();
    D2R_ResultRequest requests[2] = {ResultRequest(2305010, ""), ResultRequest(2999999, "")};
    float values[8];
    ASSERT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, values, 8, 2, requests), 8);
    EXPECT_THAT(values, ::testing::ElementsAre(7.0f, 8.0f, D2R_MISSING_VALUE, D2R_MISSING_VALUE, D2R_MISSING_VALUE,
                                               D2R_MISSING_VALUE, D2R_MISSING_VALUE, D2R_MISSING_VALUE));
}

TEST_F(D2ResultTest, KeysCompareWithoutLetterCase)
{
    WriteStandardStore();
    D2R_ResultRequest request = ResultRequest(2108028, "system-1", "feb");
    float value = kUntouched;
    ASSERT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, &value, 1, 1, &request), 1);
    EXPECT_FLOAT_EQ(value, 321.5f);
    std::vector<float> hours;
    EXPECT_EQ(Series(hours, 47, "System-1"), kHours);
}

TEST_F(D2ResultTest, KeysDifferingInMoreThanCaseDoNotMatch)
{
    WriteStandardStore();
    D2R_ResultRequest request = ResultRequest(2108028, "SYSTEM-1", "MAR");
    float value = kUntouched;
    ASSERT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, &value, 1, 1, &request), 1);
    EXPECT_EQ(value, D2R_MISSING_VALUE);
    std::vector<float> hours;
    EXPECT_EQ(Series(hours, 47, "SYSTEM-2"), 0);
}

struct CountCase {
    const char *pszName;
    int32_t iValueCount;
    int32_t iRequestCount;
};

class D2ResultCountTest : public D2ResultTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(D2ResultCountTest, CountsThatDoNotFitGiveNothing)
{
    WriteStandardStore();
    D2R_ResultRequest requests[2] = {ResultRequest(2101011, "SYSTEM-SUM"), ResultRequest(2101017, "SYSTEM-SUM")};
    std::vector<float> values(30, kUntouched);
    EXPECT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, values.data(), GetParam().iValueCount,
                                    GetParam().iRequestCount, requests),
              0);
    EXPECT_THAT(values, ::testing::Each(kUntouched));
}

INSTANTIATE_TEST_SUITE_P(D2Result, D2ResultCountTest,
                         ::testing::Values(CountCase{"NoValues", 0, 1}, CountCase{"NegativeValues", -24, 2},
                                           CountCase{"NoRequests", 24, 0}, CountCase{"NegativeRequests", 24, -2},
                                           CountCase{"NotAMultiple", 23, 2}),
                         [](const auto &info) { return std::string(info.param.pszName); });

TEST_F(D2ResultTest, ValuesBeyondTheCountAreNeverWritten)
{
    WriteStandardStore();
    D2R_ResultRequest request = ResultRequest(2101011, "SYSTEM-SUM");
    std::vector<float> values(20, kUntouched);
    ASSERT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, values.data(), 5, 1, &request), 5);
    EXPECT_FLOAT_EQ(values[4], -5.0f);
    EXPECT_EQ(values[5], kUntouched);
    std::vector<float> hours(kHours + 10, kUntouched);
    ASSERT_EQ(D2R_GetSingleHourlyResult("", m_strProject.c_str(), 4, kList, 47, hours.data(), kHours, "SYSTEM-1",
                                        nullptr, 0),
              kHours);
    EXPECT_EQ(hours[kHours], kUntouched);
}

TEST_F(D2ResultTest, NullReportKeyCountsAsEmpty)
{
    WriteStandardStore();
    std::vector<float> hours(kHours, kUntouched);
    EXPECT_EQ(D2R_GetSingleHourlyResult("", m_strProject.c_str(), 3, 1114, 4, hours.data(), kHours, nullptr,
                                        nullptr, 0),
              kHours);
    EXPECT_FLOAT_EQ(hours[0], -50.0f);
}

TEST_F(D2ResultTest, KeysWithoutRoomForTheirEndGiveNothing)
{
    WriteStandardStore();
    D2R_ResultRequest request = ResultRequest(2101002, "SYSTEM-SUM");
    std::memset(request.szRowKey, 'A', D2R_KEY_SIZE);   // no NUL inside the field
    float value = kUntouched;
    EXPECT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, &value, 1, 1, &request), 0);
    D2R_HourlyRequest hourly = HourlyRequest(kList, 47, "");
    std::memset(hourly.szReportKey, 'B', D2R_KEY_SIZE);
    std::vector<float> hours(kHours, kUntouched);
    EXPECT_EQ(D2R_GetMultipleHourlyResult("", m_strProject.c_str(), 4, hours.data(), kHours, 1, &hourly, 0, 0), 0);
    std::string longKey(40, 'C');
    EXPECT_EQ(D2R_GetSingleHourlyResult("", m_strProject.c_str(), 4, kList, 47, hours.data(), kHours,
                                        longKey.c_str(), nullptr, 0),
              0);
    EXPECT_EQ(value, kUntouched);
    EXPECT_THAT(hours, ::testing::Each(kUntouched));
}

TEST_F(D2ResultTest, KeyOfThirtyNineCharactersIsRead)
{
    StoreWriter writer;
    std::string failure, key(39, 'K');
    ASSERT_TRUE(writer.Create(StorePath(), failure));
    ASSERT_TRUE(writer.AddResult(1, 2101001, key, key, {2.5f}, failure));
    ASSERT_TRUE(writer.Commit(failure));
    D2R_ResultRequest request = ResultRequest(2101001, key.c_str(), key.c_str());
    float value = kUntouched;
    EXPECT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, &value, 1, 1, &request), 1);
    EXPECT_FLOAT_EQ(value, 2.5f);
}

TEST_F(D2ResultTest, NullPointersGiveNothing)
{
    WriteStandardStore();
    D2R_ResultRequest request = ResultRequest(2101002, "SYSTEM-SUM");
    D2R_HourlyRequest hourly = HourlyRequest(kList, 47, "SYSTEM-1");
    float value = kUntouched;
    std::vector<float> hours(kHours, kUntouched);
    EXPECT_EQ(D2R_GetMultipleResult("", nullptr, 1, &value, 1, 1, &request), 0);
    EXPECT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, nullptr, 1, 1, &request), 0);
    EXPECT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, &value, 1, 1, nullptr), 0);
    EXPECT_EQ(D2R_GetMultipleHourlyResult("", nullptr, 4, hours.data(), kHours, 1, &hourly, 0, 0), 0);
    EXPECT_EQ(D2R_GetMultipleHourlyResult("", m_strProject.c_str(), 4, nullptr, kHours, 1, &hourly, 0, 0), 0);
    EXPECT_EQ(D2R_GetMultipleHourlyResult("", m_strProject.c_str(), 4, hours.data(), kHours, 1, nullptr, 0, 0), 0);
    EXPECT_EQ(D2R_GetSingleHourlyResult("", nullptr, 4, kList, 47, hours.data(), kHours, "SYSTEM-1", nullptr, 0), 0);
    EXPECT_EQ(D2R_GetSingleHourlyResult("", m_strProject.c_str(), 4, kList, 47, nullptr, kHours, "SYSTEM-1",
                                        nullptr, 0),
              0);
    EXPECT_EQ(value, kUntouched);
    EXPECT_THAT(hours, ::testing::Each(kUntouched));
}

TEST_F(D2ResultTest, SingleSeriesIsTheWholeYear)
{
    WriteStandardStore();
    std::vector<float> hours;
    ASSERT_EQ(Series(hours), kHours);
    EXPECT_EQ(hours, Ramp(0.0f));
}

TEST_F(D2ResultTest, SingleSeriesWithoutARowOrWithAnotherCountIsNothing)
{
    WriteStandardStore();
    std::vector<float> hours;
    EXPECT_EQ(Series(hours, 48), 0);
    EXPECT_THAT(hours, ::testing::Each(kUntouched));
    EXPECT_EQ(D2R_GetSingleHourlyResult("", m_strProject.c_str(), 4, kList, 47, hours.data(), kHours - 1,
                                        "SYSTEM-1", nullptr, 0),
              0);
    EXPECT_THAT(hours, ::testing::Each(kUntouched));
}

TEST_F(D2ResultTest, MultipleSeriesComeOneAfterAnother)
{
    WriteStandardStore();
    for (int32_t count : {2, 3}) {
        D2R_HourlyRequest requests[3] = {HourlyRequest(kList, 47, "SYSTEM-1"), HourlyRequest(kList, 49, "SYSTEM-1"),
                                         HourlyRequest(kList, 69, "SYSTEM-1")};
        std::vector<float> hours(3 * kHours, kUntouched);
        ASSERT_EQ(D2R_GetMultipleHourlyResult("", m_strProject.c_str(), 4, hours.data(), count * kHours, count,
                                              requests, 0, 0),
                  count * kHours);
        for (int32_t series = 0; series < count; ++series)
            EXPECT_FLOAT_EQ(hours[series * kHours + 7], 10000.0f * series + 7.0f) << count << " " << series;
    }
}

// A store of a real run holds many series over many pages of its table:
// each is found by its whole key (file type, list, variable, report key in
// any case) and by nothing less.
TEST_F(D2ResultTest, EachOfManySeriesIsFoundByItsWholeKey)
{
    StoreWriter writer;
    std::string failure;
    ASSERT_TRUE(writer.Create(StorePath(), failure)) << failure;
    const char *const zones[] = {"ZONE-A", "ZONE-B", "SYSTEM-1"};
    for (int variable = 1; variable <= 20; ++variable)
        for (int zone = 0; zone < 3; ++zone)
            ASSERT_TRUE(writer.AddHourly(4, kList, variable, zones[zone], Ramp(1000.0f * (10 * variable + zone)),
                                         failure))
                << failure;
    ASSERT_TRUE(writer.AddHourly(5, kList, 7, "ZONE-B", Ramp(-3.0f), failure)) << failure;
    ASSERT_TRUE(writer.Commit(failure)) << failure;

    std::vector<float> hours;
    for (int variable = 20; variable >= 1; --variable) {
        ASSERT_EQ(Series(hours, variable, "zone-b"), kHours) << variable;
        EXPECT_EQ(hours[0], 1000.0f * (10 * variable + 1)) << variable;
        EXPECT_EQ(hours[kHours - 1], 1000.0f * (10 * variable + 1) + (kHours - 1)) << variable;
    }
    const D2R_HourlyFilter firstHour = Filter(D2R_STAT_MINIMUM, 0, 0, 0, 0, 0, 0);
    float value = kUntouched;
    EXPECT_EQ(D2R_GetSingleHourlyResult("", m_strProject.c_str(), 5, kList, 7, &value, 1, "Zone-B", &firstHour, 0), 1);
    EXPECT_EQ(value, -3.0f);
    EXPECT_EQ(Series(hours, 21, "ZONE-B"), 0);
    EXPECT_EQ(Series(hours, 7, "ZONE-"), 0);
    EXPECT_EQ(hours[0], kUntouched);
}

TEST_F(D2ResultTest, MultipleSeriesStopAtTheFirstWithoutARow)
{
    WriteStandardStore();
    D2R_HourlyRequest requests[3] = {HourlyRequest(kList, 47, "SYSTEM-1"), HourlyRequest(kList, 48, "SYSTEM-1"),
                                     HourlyRequest(kList, 69, "SYSTEM-1")};
    std::vector<float> hours(3 * kHours, kUntouched);
    ASSERT_EQ(D2R_GetMultipleHourlyResult("", m_strProject.c_str(), 4, hours.data(), 3 * kHours, 3, requests, 0, 0),
              kHours);
    EXPECT_FLOAT_EQ(hours[5], 5.0f);
    EXPECT_EQ(hours[kHours], kUntouched);
    EXPECT_EQ(hours[2 * kHours], kUntouched);
}

TEST_F(D2ResultTest, MultipleSeriesNeedExactlyAYearPerRequest)
{
    WriteStandardStore();
    D2R_HourlyRequest requests[2] = {HourlyRequest(kList, 47, "SYSTEM-1"), HourlyRequest(kList, 49, "SYSTEM-1")};
    std::vector<float> hours(3 * kHours, kUntouched);
    EXPECT_EQ(D2R_GetMultipleHourlyResult("", m_strProject.c_str(), 4, hours.data(), 3 * kHours, 2, requests, 0, 0),
              0);
    EXPECT_EQ(D2R_GetMultipleHourlyResult("", m_strProject.c_str(), 4, hours.data(), 0, 0, requests, 0, 0), 0);
    EXPECT_THAT(hours, ::testing::Each(kUntouched));
}

// February of the store's zone series: hour index h holds h, and 1 and 2
// February (indexes 744 to 791) are missing.
struct StatisticCase {
    const char *pszName;
    int32_t iStatistic;
    double dExpected;
};

class D2ResultStatisticTest : public D2ResultTest, public ::testing::WithParamInterface<StatisticCase> {};

TEST_P(D2ResultStatisticTest, FebruaryWithMissingHours)
{
    WriteStandardStore();
    double sum = 0.0;
    for (int hour = 792; hour <= 1415; ++hour)
        sum += hour;
    double expected = GetParam().iStatistic == D2R_STAT_SUM    ? sum
                      : GetParam().iStatistic == D2R_STAT_MEAN ? sum / (1416 - 792)
                                                               : GetParam().dExpected;
    float value = kUntouched;
    ASSERT_EQ(Filtered(Filter(GetParam().iStatistic, 1, 0, 0, 1, 27, 23), value), 1);
    EXPECT_NEAR(value, expected, expected * 1e-6);
}

INSTANTIATE_TEST_SUITE_P(D2Result, D2ResultStatisticTest,
                         ::testing::Values(StatisticCase{"Sum", D2R_STAT_SUM, 0.0},
                                           StatisticCase{"Mean", D2R_STAT_MEAN, 0.0},
                                           StatisticCase{"Maximum", D2R_STAT_MAXIMUM, 1415.0},
                                           StatisticCase{"Minimum", D2R_STAT_MINIMUM, 792.0}),
                         [](const auto &info) { return std::string(info.param.pszName); });

TEST_F(D2ResultTest, FilterRangeIncludesBothEnds)
{
    WriteStandardStore();
    float value = kUntouched;
    ASSERT_EQ(Filtered(Filter(D2R_STAT_SUM, 0, 0, 5, 0, 0, 7), value), 1);
    EXPECT_FLOAT_EQ(value, 5.0f + 6.0f + 7.0f);
    ASSERT_EQ(Filtered(Filter(D2R_STAT_MAXIMUM, 11, 30, 23, 11, 30, 23), value), 1);
    EXPECT_FLOAT_EQ(value, 8759.0f);
}

struct BadFilterCase {
    const char *pszName;
    D2R_HourlyFilter filter;
};

class D2ResultBadFilterTest : public D2ResultTest, public ::testing::WithParamInterface<BadFilterCase> {};

TEST_P(D2ResultBadFilterTest, GivesNothing)
{
    WriteStandardStore();
    float value = kUntouched;
    EXPECT_EQ(Filtered(GetParam().filter, value), 0);
    EXPECT_EQ(value, kUntouched);
}

INSTANTIATE_TEST_SUITE_P(
    D2Result, D2ResultBadFilterTest,
    ::testing::Values(BadFilterCase{"MonthTwelve", Filter(D2R_STAT_SUM, 12, 0, 0, 12, 0, 23)},
                      BadFilterCase{"NegativeMonth", Filter(D2R_STAT_SUM, -1, 0, 0, 0, 0, 23)},
                      BadFilterCase{"TwentyNinthOfFebruary", Filter(D2R_STAT_SUM, 1, 0, 0, 1, 28, 23)},
                      BadFilterCase{"HourTwentyFour", Filter(D2R_STAT_SUM, 2, 0, 0, 2, 0, 24)},
                      BadFilterCase{"EndBeforeStart", Filter(D2R_STAT_SUM, 3, 5, 0, 3, 4, 23)},
                      BadFilterCase{"StatisticTwelve", Filter(12, 1, 0, 0, 1, 27, 23)},
                      BadFilterCase{"StatisticSeventeen", Filter(17, 1, 0, 0, 1, 27, 23)},
                      BadFilterCase{"OnlyMissingHours", Filter(D2R_STAT_MEAN, 1, 0, 0, 1, 1, 23)}),
    [](const auto &info) { return std::string(info.param.pszName); });

TEST_F(D2ResultTest, FilterNeedsExactlyOneValue)
{
    WriteStandardStore();
    D2R_HourlyFilter filter = Filter(D2R_STAT_SUM, 1, 0, 0, 1, 27, 23);
    float values[2] = {kUntouched, kUntouched};
    EXPECT_EQ(D2R_GetSingleHourlyResult("", m_strProject.c_str(), 4, 2019, 31, values, 2, "HVBT-ZONE", &filter, 0),
              0);
    EXPECT_EQ(values[0], kUntouched);
}

TEST_F(D2ResultTest, ReopensAStoreWrittenAgain)
{
    WriteStandardStore(-4.25f);
    float value = kUntouched;
    ASSERT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, -4.25f);
    WriteStandardStore(-7.5f);
    ASSERT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, -7.5f);
}

TEST_F(D2ResultTest, NoticesAStoreRemovedOrChangedInPlace)
{
    WriteStandardStore(-4.25f);
    float value = kUntouched;
    ASSERT_EQ(Plain(value), 1);
    RunSql(StorePath(), "UPDATE result SET value = 3.0 WHERE result_id = 2101002");
    ASSERT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, 3.0f);
    ASSERT_EQ(std::remove(StorePath().c_str()), 0);
    value = kUntouched;
    EXPECT_EQ(Plain(value), 0);
    EXPECT_EQ(value, kUntouched);
}

// A writer that keeps the store's size, within one tick of the file
// system's clock, leaves the file's identity as it was: what was read
// before must still not be answered.
TEST_F(D2ResultTest, NoticesAStoreChangedInPlaceWithItsSizeAndTimeKept)
{
    WriteStandardStore(-4.25f);
    float value = kUntouched;
    ASSERT_EQ(Plain(value), 1);
    const auto size = std::filesystem::file_size(StorePath());
    const auto written = std::filesystem::last_write_time(StorePath());
    RunSql(StorePath(), "UPDATE result SET value = 3.0 WHERE result_id = 2101002");
    std::filesystem::last_write_time(StorePath(), written);
    ASSERT_EQ(std::filesystem::file_size(StorePath()), size);
    ASSERT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, 3.0f);
}

// A store in write-ahead-log mode whose writer is still open keeps its
// latest results in the log beside the file, not in the file itself.
TEST_F(D2ResultTest, StoreInWriteAheadLogModeIsReadWithWhatItsLogHolds)
{
    WriteStandardStore(-4.25f);
    RunSql(StorePath(), "PRAGMA journal_mode = WAL");
    sqlite3 *pWriter = nullptr;
    ASSERT_EQ(sqlite3_open(StorePath().c_str(), &pWriter), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(pWriter, "PRAGMA wal_autocheckpoint = 0;"
                                    "UPDATE result SET value = 3.0 WHERE result_id = 2101002",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    float value = kUntouched;
    EXPECT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, 3.0f);
    std::vector<float> hours;
    EXPECT_EQ(Series(hours), kHours);
    EXPECT_EQ(hours, Ramp(0.0f));
    sqlite3_close(pWriter);
}

// A writer that failed half-way leaves changes in the file that its journal
// beside it still has to undo: the store must never be answered from the
// file as it lies (here the file and journal of a writer whose changes
// overflowed its cache into the file, copied before it rolled back).
TEST_F(D2ResultTest, StoreLeftHalfWrittenByAFailedWriterIsNeverReadAsItLies)
{
    WriteStandardStore(-4.25f);
    sqlite3 *pWriter = nullptr;
    ASSERT_EQ(sqlite3_open(StorePath().c_str(), &pWriter), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(pWriter, "PRAGMA cache_size = 1; BEGIN;"
                                    "UPDATE result SET value = 3.0 WHERE result_id = 2101002;"
                                    "UPDATE hourly SET hours = zeroblob(35040)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::string failed = m_folder / "610-Zv - Baseline Design";
    std::filesystem::copy_file(StorePath(), failed + ".d2r");
    std::filesystem::copy_file(StorePath() + "-journal", failed + ".d2r-journal");
    sqlite3_exec(pWriter, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(pWriter);
    m_strProject = failed;
    float value = kUntouched;
    if (Plain(value) == 1)
        EXPECT_FLOAT_EQ(value, -4.25f);
    else
        EXPECT_EQ(value, kUntouched);
    std::vector<float> hours;
    if (Series(hours) == kHours)
        EXPECT_EQ(hours, Ramp(0.0f));
    else
        EXPECT_THAT(hours, ::testing::Each(kUntouched));
}

// A run's records go from project to project and back: each project's
// store stays open beside the others, yet each is still looked at on every
// call, also one written anew while another was read.
TEST_F(D2ResultTest, StoresOfAlternatingProjectsStayApartAndEachNoticesItsRewrite)
{
    const std::string first = m_strProject;
    const std::string second = m_folder / "900-Zv - Baseline Design";
    WriteStandardStore(-4.25f);
    m_strProject = second;
    WriteStandardStore(2.0f);
    float value = kUntouched;
    for (int pass = 0; pass < 2; ++pass) {
        m_strProject = first;
        ASSERT_EQ(Plain(value), 1);
        EXPECT_FLOAT_EQ(value, -4.25f);
        m_strProject = second;
        ASSERT_EQ(Plain(value), 1);
        EXPECT_FLOAT_EQ(value, 2.0f);
    }
    m_strProject = first;
    WriteStandardStore(-7.5f);
    m_strProject = second;
    ASSERT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, 2.0f);
    m_strProject = first;
    ASSERT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, -7.5f);
}

// The hourly entries on a store whose series cannot be read: nothing,
// values untouched.
void ExpectNoSeriesFrom(const std::string &strProject)
{
    D2R_HourlyRequest hourly = HourlyRequest(kList, 47, "SYSTEM-1");
    D2R_HourlyFilter filter = Filter(D2R_STAT_SUM, 1, 0, 0, 1, 27, 23);
    float value = kUntouched;
    std::vector<float> hours(kHours, kUntouched);
    EXPECT_EQ(D2R_GetMultipleHourlyResult("", strProject.c_str(), 4, hours.data(), kHours, 1, &hourly, 0, 0), 0);
    EXPECT_EQ(D2R_GetSingleHourlyResult("", strProject.c_str(), 4, kList, 47, hours.data(), kHours, "SYSTEM-1",
                                        nullptr, 0),
              0);
    EXPECT_EQ(D2R_GetSingleHourlyResult("", strProject.c_str(), 4, kList, 47, &value, 1, "SYSTEM-1", &filter, 0), 0);
    EXPECT_EQ(value, kUntouched);
    EXPECT_THAT(hours, ::testing::Each(kUntouched));
}

// Every entry on a store that is not readable: nothing, values untouched.
void ExpectNothingFrom(const std::string &strProject)
{
    D2R_ResultRequest request = ResultRequest(2101002, "SYSTEM-SUM");
    float value = kUntouched;
    EXPECT_EQ(D2R_GetMultipleResult("", strProject.c_str(), 1, &value, 1, 1, &request), 0);
    EXPECT_EQ(value, kUntouched);
    ExpectNoSeriesFrom(strProject);
}

const char kForeignTables[] =
    "CREATE TABLE result (file_type INTEGER, result_id INTEGER, report_key TEXT, row_key TEXT, seq INTEGER,"
    " value REAL);"
    "CREATE TABLE hourly (file_type INTEGER, list_id INTEGER, variable INTEGER, report_key TEXT, hours BLOB);"
    "INSERT INTO result VALUES (1, 2101002, 'SYSTEM-SUM', '', 0, 1.0);"
    "INSERT INTO hourly VALUES (4, 2010, 47, 'SYSTEM-1', zeroblob(35040));";

TEST_F(D2ResultTest, StoreOfAnotherApplicationIsNotRead)
{
    RunSql(StorePath(), std::string("PRAGMA application_id = 7; PRAGMA user_version = 1;") + kForeignTables);
    ExpectNothingFrom(m_strProject);
}

TEST_F(D2ResultTest, StoreOfANewerVersionIsNotRead)
{
    RunSql(StorePath(), std::string("PRAGMA application_id = 1144148529; PRAGMA user_version = 2;") + kForeignTables);
    ExpectNothingFrom(m_strProject);
}

TEST_F(D2ResultTest, StoreWithTheRightMarksIsRead)
{
    RunSql(StorePath(), std::string("PRAGMA application_id = 1144148529; PRAGMA user_version = 1;") + kForeignTables);
    float value = kUntouched;
    EXPECT_EQ(Plain(value), 1);
    EXPECT_FLOAT_EQ(value, 1.0f);
}

// Stores that other tools write may give seq text affinity; the lookup then
// compares it as text, so that '100' and '1000000000' pass "seq < 12".
TEST_F(D2ResultTest, RowsPastTheRequestedPlacesAreIgnoredWhateverTheirType)
{
    RunSql(StorePath(), "PRAGMA application_id = 1144148529; PRAGMA user_version = 1;"
                        "CREATE TABLE result (file_type, result_id, report_key, row_key, seq TEXT, value);"
                        "CREATE TABLE hourly (file_type, list_id, variable, report_key, hours);"
                        "INSERT INTO result VALUES (1, 2101011, 'SYSTEM-SUM', '', '1', 5.0);"
                        "INSERT INTO result VALUES (1, 2101011, 'SYSTEM-SUM', '', '100', 6.0);"
                        "INSERT INTO result VALUES (1, 2101011, 'SYSTEM-SUM', '', '1000000000', 7.0);");
    D2R_ResultRequest request = ResultRequest(2101011, "SYSTEM-SUM");
    std::vector<float> values(12, kUntouched);
    ASSERT_EQ(D2R_GetMultipleResult("", m_strProject.c_str(), 1, values.data(), 12, 1, &request), 12);
    for (int month = 0; month < 12; ++month)
        EXPECT_EQ(values[month], month == 1 ? 5.0f : D2R_MISSING_VALUE) << month;
}

TEST_F(D2ResultTest, StoreLackingAColumnIsNotRead)
{
    RunSql(StorePath(),
           "PRAGMA application_id = 1144148529; PRAGMA user_version = 1;"
           "CREATE TABLE result (file_type INTEGER, result_id INTEGER, report_key TEXT, seq INTEGER, value REAL);"
           "CREATE TABLE hourly (file_type INTEGER, list_id INTEGER, variable INTEGER, report_key TEXT, hours BLOB);");
    ExpectNothingFrom(m_strProject);
}

TEST_F(D2ResultTest, FileThatIsNotSQLiteIsNotRead)
{
    std::ofstream(StorePath()) << "DOE-2 hourly report, not a database\n";
    ExpectNothingFrom(m_strProject);
}

TEST_F(D2ResultTest, EmptyFileIsNotRead)
{
    std::ofstream{StorePath()};
    ExpectNothingFrom(m_strProject);
}

TEST_F(D2ResultTest, FolderInPlaceOfTheStoreIsNotRead)
{
    ASSERT_TRUE(std::filesystem::create_directory(StorePath()));
    ExpectNothingFrom(m_strProject);
}

TEST_F(D2ResultTest, HoursBlobOfTheWrongSizeIsNotRead)
{
    RunSql(StorePath(), "PRAGMA application_id = 1144148529; PRAGMA user_version = 1;"
                        "CREATE TABLE result (file_type, result_id, report_key, row_key, seq, value);"
                        "CREATE TABLE hourly (file_type, list_id, variable, report_key, hours);"
                        "INSERT INTO hourly VALUES (4, 2010, 47, 'SYSTEM-1', zeroblob(35036));");
    ExpectNoSeriesFrom(m_strProject);
}

TEST_F(D2ResultTest, TruncatedStoreIsNotRead)
{
    StoreWriter writer;
    std::string failure;
    ASSERT_TRUE(writer.Create(StorePath(), failure));
    for (int variable = 1; variable <= 40; ++variable)
        ASSERT_TRUE(writer.AddHourly(4, kList, variable, "SYSTEM-0", Ramp(1.0f), failure));
    ASSERT_TRUE(writer.AddHourly(4, kList, 47, "SYSTEM-1", Ramp(1.0f), failure));
    ASSERT_TRUE(writer.AddResult(1, 2101002, "SYSTEM-SUM", "", {1.0f}, failure));
    ASSERT_TRUE(writer.Commit(failure));
    std::ifstream in(StorePath(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 200000u);
    ASSERT_EQ(truncate(StorePath().c_str(), static_cast<off_t>(bytes.size() / 3)), 0);
    ExpectNothingFrom(m_strProject);
}

}  // namespace
