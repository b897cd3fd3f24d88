// The sample results: what the tables need, the model of the cases, and the
// stores, read back through the result library's header like any caller.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "MappingTables.h"
#include "Paths.h"
#include "ResultNeeds.h"
#include "SampleModel.h"
#include "SampleResults.h"
#include "ScratchFolder.h"
#include "StoreListing.h"
#include "TemporaryFolder.h"
#include "d2result.h"

namespace {

constexpr int kHours = D2R_HOURS_PER_YEAR;
constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

GombrelData Record(int32_t iFileType, int32_t iListId, int32_t iSpecial, const char *pszKey,
                   const char *pszItem = nullptr, const char *pszRowKey = "")
{
    GombrelData item = kDefaultGombrelData;
    item.psCol = "C";
    item.iRow = 10;
    item.iNHRListID = iListId;
    item.psRowKey = pszRowKey;
    item.psReportKey = "SYSTEM-1";
    item.iD2ResFileType = iFileType;
    item.psSpecialProcessing = pszKey;
    item.iNHRListID_Special = iSpecial;
    item.psSimResPathFile = "\\Sec5-3B\\ce300-Zv\\ce300-Zv - Baseline Design";
    item.psItemString = pszItem;
    return item;
}

struct NeedsCase {
    const char *pszName;
    GombrelData item;
    std::vector<ResultNeed> results;
    std::vector<SeriesNeed> series;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const NeedsCase &needsCase, std::ostream *out) { *out << needsCase.pszName; }

class ResultNeedsTest : public ::testing::TestWithParam<NeedsCase> {};

TEST_P(ResultNeedsTest, RecordAsksForWhatItsRouteReads)
{
    ProjectNeeds needs;
    AddRecordNeeds(GetParam().item, needs);
    EXPECT_EQ(std::vector<ResultNeed>(needs.results.begin(), needs.results.end()).size(),
              GetParam().results.size());
    for (const ResultNeed &need : GetParam().results)
        EXPECT_EQ(needs.results.count(need), 1u) << need.iResultId;
    EXPECT_EQ(needs.series.size(), GetParam().series.size());
    for (const SeriesNeed &need : GetParam().series)
        EXPECT_EQ(needs.series.count(need), 1u) << need.iListId << " " << need.iVariable << " " << need.strReportKey;
}

INSTANTIATE_TEST_SUITE_P(
    ResultNeeds, ResultNeedsTest,
    ::testing::Values(
        NeedsCase{"PlainResult", Record(1, 2101001, 0, nullptr), {{1, 2101001, "SYSTEM-1", "", 1}}, {}},
        NeedsCase{"FormulaResult", Record(1, 2305010, 0, "= %.0f + D146"), {{1, 2305010, "SYSTEM-1", "", 1}}, {}},
        NeedsCase{"MonthlyPeakAndItsDays",
                  Record(1, 2101011, 2101017, "MonthDateOfPosMax"),
                  {{1, 2101011, "SYSTEM-1", "", 12}, {1, 2101017, "SYSTEM-1", "", 12}},
                  {}},
        NeedsCase{"SingleSeries", Record(4, 2010, 35, "AnnualAvg"), {}, {{4, 2010, 35, "SYSTEM-1"}}},
        NeedsCase{"MonthFilterSeries", Record(4, 2010, 6, "MonthSum", nullptr, "FEB"), {}, {{4, 2010, 6, "SYSTEM-1"}}},
        NeedsCase{"ThreePackedSeries",
                  Record(4, 2010, 69049047, "AnnualMax"),
                  {},
                  {{4, 2010, 47, "SYSTEM-1"}, {4, 2010, 49, "SYSTEM-1"}, {4, 2010, 69, "SYSTEM-1"}}},
        NeedsCase{"DifferenceOfTwoSeries",
                  Record(4, 2010, -48006, "AnnualMax"),
                  {},
                  {{4, 2010, 6, "SYSTEM-1"}, {4, 2010, 48, "SYSTEM-1"}}},
        NeedsCase{"CopInputs",
                  Record(4, 2010, 6047, "MoFebAvg", "COP_OBtuh_IkW"),
                  {},
                  {{4, 2010, 47, "SYSTEM-1"}, {4, 2010, 6, "SYSTEM-1"}}},
        NeedsCase{"RelativeHumidityInputs",
                  Record(4, 2010, 5031035, "AnnualAvg", "ZoneRelHumid", "HVBT-ZONE"),
                  {},
                  {{4, 2010, 35, "SYSTEM-1"}, {4, 2019, 31, "HVBT-ZONE"}, {3, 1114, 5, ""}}}),
    [](const auto &info) { return std::string(info.param.pszName); });

TEST(ResultNeeds, RecordWithoutAProjectAsksForNothing)
{
    GombrelData item = Record(1, 2101001, 0, nullptr);
    item.psSimResPathFile = nullptr;
    ProjectNeeds needs;
    AddRecordNeeds(item, needs);
    EXPECT_TRUE(needs.results.empty());
    EXPECT_TRUE(needs.series.empty());
}

TEST(ResultNeeds, EveryProjectOfTheTablesIsCollected)
{
    std::map<std::string, int> projects;
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item)
            if (item->psSimResPathFile)
                ++projects[item->psSimResPathFile];
    std::map<std::string, ProjectNeeds> needs = CollectResultNeeds();
    EXPECT_EQ(needs.size(), projects.size());
    for (const auto &[project, count] : projects)
        EXPECT_EQ(needs.count(project), 1u) << project << " (" << count << " records)";
}

TEST(ProjectCase, ReadsTheCaseFolder)
{
    EXPECT_EQ(ProjectCase("\\Sec5-2\\600ff-Zv\\600ff-Zv - Baseline Design"), "600ff");
    EXPECT_EQ(ProjectCase("\\Sec5-4\\HE100-Zv\\HE100_psz_inf22-Zv - Baseline Design"), "HE100");
    EXPECT_EQ(ProjectSection("\\Sec5-3B\\ce300-Zv\\ce300-Zv - Baseline Design"), "Sec5-3B");
}

TEST(ProjectCase, TextWithoutACaseFolderHasNoCase)
{
    EXPECT_EQ(ProjectCase("\\Sec5-2\\600"), "");
    EXPECT_EQ(ProjectCase(""), "");
    EXPECT_EQ(ProjectSection("Sec5-2"), "");
}

TEST(SampleModel, UnknownSectionOrQuantityIsRefused)
{
    SampleModel model;
    std::string failure;
    EXPECT_FALSE(model.Build("\\Sec9-9\\x-Zv\\x-Zv - Baseline Design", failure));
    EXPECT_THAT(failure, ::testing::HasSubstr("Sec9-9"));
    ASSERT_TRUE(model.Build("\\Sec5-2\\600-Zv\\600-Zv - Baseline Design", failure)) << failure;
    std::vector<float> values;
    EXPECT_FALSE(model.Series({4, 2010, 999, "SYSTEM-1"}, values, failure));
    EXPECT_THAT(failure, ::testing::HasSubstr("999"));
    EXPECT_FALSE(model.Result({1, 2199999, "SYSTEM-1", "", 1}, values, failure));
    EXPECT_THAT(failure, ::testing::HasSubstr("2199999"));
}

TEST(SampleModel, FreeFloatingZoneSwingsMoreThanAHeavyOne)
{
    SampleModel light, heavy;
    std::string failure;
    ASSERT_TRUE(light.Build("\\Sec5-2\\600ff-Zv\\600ff-Zv - Baseline Design", failure));
    ASSERT_TRUE(heavy.Build("\\Sec5-2\\900ff-Zv\\900ff-Zv - Baseline Design", failure));
    auto range = [](const SampleModel &model) {
        auto [low, high] = std::minmax_element(model.Hours().begin(), model.Hours().end(),
                                               [](const auto &a, const auto &b) { return a.dZoneF < b.dZoneF; });
        return high->dZoneF - low->dZoneF;
    };
    EXPECT_GT(range(light), range(heavy) + 20.0);
    EXPECT_GT(range(heavy), 30.0);
}

TEST(SampleModel, ConditionedZoneStaysWithinItsSetPoints)
{
    SampleModel model;
    std::string failure;
    ASSERT_TRUE(model.Build("\\Sec5-2\\600-Zv\\600-Zv - Baseline Design", failure));
    for (const SampleModel::Hour &hour : model.Hours()) {
        ASSERT_GE(hour.dZoneF, 68.0 - 1e-6);
        ASSERT_LE(hour.dZoneF, 80.6 + 1e-6);
        ASSERT_FALSE(hour.dHeating > 0 && hour.dSensibleCooling > 0);
    }
}

// ---- the sample folder, read back through the library -------------------

class SampleStores : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string failure;
        s_strFolder = MakeTemporaryFolder("sample_test", failure);
        ASSERT_FALSE(s_strFolder.empty()) << failure;
        ASSERT_TRUE(WriteSampleResults(s_strFolder, failure)) << failure;
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(s_strFolder); }

    static std::string ProjectPath(const GombrelData &item) { return NativePath(s_strFolder + item.psSimResPathFile); }

    static std::string s_strFolder;
};

std::string SampleStores::s_strFolder;

// One whole-year series, or nothing when the library has none.
std::vector<float> Series(const std::string &strProject, int32_t iFileType, int32_t iListId, int32_t iVariable,
                          const char *pszReportKey)
{
    std::vector<float> hours(kHours);
    int32_t count = D2R_GetSingleHourlyResult("", strProject.c_str(), iFileType, iListId, iVariable, hours.data(),
                                              kHours, pszReportKey, nullptr, 0);
    return count == kHours ? hours : std::vector<float>();
}

bool IsHourly(const GombrelData &item) { return item.iD2ResFileType >= 3 && item.iD2ResFileType <= 5; }

// The values of a non-hourly record: one, or twelve of each identifier.
std::vector<float> NonHourlyValues(const std::string &strProject, const GombrelData &item)
{
    const bool monthly = item.psSpecialProcessing && std::strncmp(item.psSpecialProcessing, "Month", 5) == 0;
    D2R_ResultRequest requests[2] = {};
    requests[0].iResultId = item.iNHRListID;
    requests[1].iResultId = item.iNHRListID_Special;
    for (D2R_ResultRequest &request : requests) {
        std::strcpy(request.szReportKey, item.psReportKey);
        std::strcpy(request.szRowKey, item.psRowKey);
    }
    std::vector<float> values(monthly ? 24 : 1);
    int32_t count = D2R_GetMultipleResult("", strProject.c_str(), item.iD2ResFileType, values.data(),
                                          static_cast<int32_t>(values.size()), monthly ? 2 : 1, requests);
    return count == static_cast<int32_t>(values.size()) ? values : std::vector<float>();
}

int32_t FebruarySum(const std::string &strProject, const GombrelData &item, float &fValue)
{
    D2R_HourlyFilter filter = {};
    filter.iStartMonth = filter.iEndMonth = 1;
    filter.iEndDay = 27;
    filter.iEndHour = 23;
    filter.iStatistic = D2R_STAT_SUM;
    return D2R_GetSingleHourlyResult("", strProject.c_str(), item.iD2ResFileType, item.iNHRListID,
                                     item.iNHRListID_Special, &fValue, 1, item.psReportKey, &filter, 0);
}

// Every series a whole-year record reads, as the hourly statistics read it.
void ExpectHourlyRecordServed(const std::string &strProject, const GombrelData &item)
{
    const int32_t special = item.iNHRListID_Special;
    if (special >= 1 && special <= 999) {
        EXPECT_EQ(Series(strProject, item.iD2ResFileType, item.iNHRListID, special, item.psReportKey).size(),
                  size_t(kHours));
        return;
    }
    int32_t packed = std::abs(special);
    std::vector<D2R_HourlyRequest> requests;
    for (int32_t rest = packed, group = 0; group < (packed >= 1000000 ? 3 : 2); ++group, rest /= 1000) {
        D2R_HourlyRequest request = {item.iNHRListID, rest % 1000, 0, {}};
        std::strcpy(request.szReportKey, item.psReportKey);
        requests.push_back(request);
    }
    const int32_t count = static_cast<int32_t>(requests.size());
    std::vector<float> hours(kHours * requests.size());
    EXPECT_EQ(D2R_GetMultipleHourlyResult("", strProject.c_str(), item.iD2ResFileType, hours.data(), kHours * count,
                                          count, requests.data(), 0, 0),
              kHours * count);
}

TEST_F(SampleStores, EveryRecordFindsEverythingItReads)
{
    int checked = 0;
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item) {
            if (!item->psSimResPathFile)
                continue;
            SCOPED_TRACE(std::string(table.pszName) + " " + item->psCol + std::to_string(item->iRow));
            const std::string project = ProjectPath(*item);
            ++checked;
            if (!IsHourly(*item)) {
                std::vector<float> values = NonHourlyValues(project, *item);
                ASSERT_FALSE(values.empty());
                EXPECT_FALSE(std::all_of(values.begin(), values.end(),
                                         [](float value) { return value == D2R_MISSING_VALUE; }));
                continue;
            }
            if (item->psItemString && std::strcmp(item->psItemString, "ZoneRelHumid") == 0) {
                EXPECT_EQ(Series(project, 4, 2010, 35, item->psReportKey).size(), size_t(kHours));
                EXPECT_EQ(Series(project, 4, 2019, 31, item->psRowKey).size(), size_t(kHours));
                EXPECT_EQ(Series(project, 3, 1114, 5, nullptr).size(), size_t(kHours));
                continue;
            }
            if (std::strncmp(item->psSpecialProcessing, "Month", 5) == 0) {
                float value = 0.0f;
                EXPECT_EQ(FebruarySum(project, *item, value), 1);
                continue;
            }
            ExpectHourlyRecordServed(project, *item);
        }
    EXPECT_EQ(checked, 770 + 225 + 1121 + 38 - 4);
}

// Every record of the tables with the project path of the sample folder.
template <class Visit>
void ForEachRecord(const std::string &strFolder, Visit visit)
{
    for (const MappingTable &table : g_aMappingTables)
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item)
            if (item->psSimResPathFile)
                visit(NativePath(strFolder + item->psSimResPathFile), *item);
}

bool IsCaseWithoutHeating(const std::string &strProject)
{
    return strProject.find("650-Zv") != std::string::npos || strProject.find("950-Zv") != std::string::npos;
}

TEST_F(SampleStores, MonthlyPeaksFallOnDaysOfTheirMonthAndHoursOfTheDay)
{
    ForEachRecord(s_strFolder, [](const std::string &project, const GombrelData &item) {
        const char *key = item.psSpecialProcessing;
        if (!key || std::strncmp(key, "Month", 5) != 0 || IsHourly(item))
            return;
        SCOPED_TRACE(project + " " + item.psCol + std::to_string(item.iRow));
        std::vector<float> values = NonHourlyValues(project, item);
        ASSERT_EQ(values.size(), 24u);
        const bool hours = std::strstr(key, "Hour") != nullptr;
        int positiveMonths = 0;
        for (int month = 0; month < 12; ++month) {
            if (values[month] * item.fMultiplier <= 0)
                continue;
            ++positiveMonths;
            EXPECT_GE(values[12 + month], 1.0f);
            EXPECT_LE(values[12 + month], hours ? 24.0f : static_cast<float>(kDaysInMonth[month]));
        }
        EXPECT_EQ(positiveMonths == 0, IsCaseWithoutHeating(project) && item.fMultiplier < 0);
    });
}

TEST_F(SampleStores, HeatingIsNegativeAndCoolingPositiveAsDoe2ReportsThem)
{
    ForEachRecord(s_strFolder, [](const std::string &project, const GombrelData &item) {
        if (IsHourly(item) || (item.iNHRListID != 2101001 && item.iNHRListID != 2101002))
            return;
        std::vector<float> values = NonHourlyValues(project, item);
        ASSERT_EQ(values.size(), 1u);
        if (item.iNHRListID == 2101002)
            EXPECT_LE(values[0], 0.0f) << project;
        else
            EXPECT_GT(values[0], 0.0f) << project;
    });
}

// Checks every hour of the series (list, variable) of every project that
// has one.
template <class Check>
void ForEachSeriesHour(const std::string &strFolder, int32_t iListId, int32_t iVariable, Check check)
{
    std::map<std::string, bool> seen;
    ForEachRecord(strFolder, [&](const std::string &project, const GombrelData &) {
        StoreContents contents;
        std::string failure;
        if (seen[project] || !ListStore(project + ".d2r", contents, failure))
            return;
        seen[project] = true;
        for (const StoreSeries &series : contents.series)
            if (series.iListId == iListId && series.iVariable == iVariable)
                check(project, series);
    });
}

TEST_F(SampleStores, TemperaturesHumiditiesAndPressuresHavePlausibleRanges)
{
    ForEachSeriesHour(s_strFolder, 2019, 6, [](const std::string &project, const StoreSeries &series) {
        EXPECT_GT(series.dMinimum, -20.0) << project;   // degrees F, free floating
        EXPECT_LT(series.dMaximum, 160.0) << project;
    });
    ForEachSeriesHour(s_strFolder, 2019, 31, [](const std::string &project, const StoreSeries &series) {
        EXPECT_GT(series.dMinimum, 50.0) << project;    // conditioned zones
        EXPECT_LT(series.dMaximum, 90.0) << project;
    });
    for (int32_t list : {2010, 1114})
        ForEachSeriesHour(s_strFolder, list, list == 2010 ? 35 : 10,
                          [](const std::string &project, const StoreSeries &series) {
                              EXPECT_GE(series.dMinimum, 0.0005) << project;
                              EXPECT_LE(series.dMaximum, 0.017) << project;
                          });
    ForEachSeriesHour(s_strFolder, 1114, 5, [](const std::string &project, const StoreSeries &series) {
        EXPECT_GT(series.dMinimum, 24.0) << project;    // inches of mercury
        EXPECT_LT(series.dMaximum, 31.0) << project;
    });
}

// Relative humidity from the three inputs, as the program derives it.
double RelativeHumidity(double dHumidity, double dZoneF, double dPressure)
{
    double kelvin = (dZoneF + 459.688) * 0.5555555555555556;
    double u = 373.16 / kelvin;
    double z = -7.90298 * (u - 1) + 5.02808 * std::log10(u) - 1.3816e-7 * (std::pow(10, 11.344 * (1 - 1 / u)) - 1) +
               0.0081328 * (std::pow(10, -3.49149 * (u - 1)) - 1);
    return dHumidity * dPressure / (29.921 * std::pow(10, z) * (dHumidity + 0.622) * 0.01);
}

TEST_F(SampleStores, DerivedRelativeHumidityAndCopAreSensibleEveryHour)
{
    const std::string project = NativePath(s_strFolder + "\\Sec5-3B\\ce300-Zv\\ce300-Zv - Baseline Design");
    std::vector<float> humidity = Series(project, 4, 2010, 35, "SYSTEM-1");
    std::vector<float> zone = Series(project, 4, 2019, 31, "HVBT-ZONE");
    std::vector<float> pressure = Series(project, 3, 1114, 5, nullptr);
    std::vector<float> output = Series(project, 4, 2010, 6, "SYSTEM-1");
    std::vector<float> input = Series(project, 4, 2010, 47, "SYSTEM-1");
    ASSERT_EQ(humidity.size() + zone.size() + pressure.size() + output.size() + input.size(), 5u * kHours);
    int coolingHours = 0;
    for (int hour = 0; hour < kHours; ++hour) {
        double relative = RelativeHumidity(humidity[hour], zone[hour], pressure[hour]);
        ASSERT_GT(relative, 10.0) << hour;
        ASSERT_LT(relative, 90.0) << hour;
        ASSERT_GE(output[hour], 0.0f);
        ASSERT_GE(input[hour], 0.0f);
        if (input[hour] > 0.00001 && output[hour] > 0.0001) {
            ++coolingHours;
            double cop = output[hour] * 0.2931 / (input[hour] * 1000);
            ASSERT_GT(cop, 1.5) << hour;
            ASSERT_LT(cop, 6.0) << hour;
        }
    }
    EXPECT_GT(coolingHours, 2000);
    EXPECT_LT(coolingHours, kHours);
}

TEST_F(SampleStores, WritingAgainGivesTheSameStores)
{
    ScratchFolder folder;
    std::string failure;
    ASSERT_TRUE(WriteSampleResults(folder.Path(), failure)) << failure;
    const std::string relative = "/Sec5-3/ce100-Zv/ce100-Zv - Baseline Design.d2r";
    StoreContents first, second;
    ASSERT_TRUE(ListStore(s_strFolder + relative, first, failure)) << failure;
    ASSERT_TRUE(ListStore(folder.Path() + relative, second, failure)) << failure;
    ASSERT_EQ(first.series.size(), second.series.size());
    for (size_t index = 0; index < first.series.size(); ++index)
        EXPECT_EQ(first.series[index].dMean, second.series[index].dMean);
}

TEST(SampleResults, FolderThatCannotBeMadeIsReported)
{
    ScratchFolder folder;
    WriteWholeFile(folder / "Sec5-2", "a file where a folder belongs");
    std::string failure;
    EXPECT_FALSE(WriteSampleResults(folder.Path(), failure));
    EXPECT_THAT(failure, ::testing::HasSubstr("Sec5-2"));
}

}  // namespace
