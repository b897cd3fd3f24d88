#include "HourlyStatistics.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "TextMatch.h"

const int32_t g_aiDaysInMonth[kMonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const int32_t g_aiDaysThroughMonth[kMonthsPerYear] = {31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
const char *const g_apszMonthAbbrev[kMonthsPerYear] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char *const g_apszMonthName[kMonthsPerYear] = {"January", "February", "March",     "April",
                                                     "May",     "June",     "July",      "August",
                                                     "September", "October", "November", "December"};

namespace {

constexpr int kMaxKeyLength = D2R_KEY_SIZE - 1;
constexpr int kRetryAttempts = 30;
constexpr int kRetryPauseMilliseconds = 500;

// The fixed inputs of the zone relative humidity besides the record's own
// humidity ratio: the zone temperature list and the weather pressure list.
constexpr int32_t kZoneTemperatureListId = 2019;
constexpr int32_t kWeatherListId = 1114;
constexpr int32_t kWeatherFileType = 3;

const char kRelativeHumidityItem[] = "ZoneRelHumid";
const char kEfficiencyItem[] = "COP_OBtuh_IkW";

// Up to three variable numbers packed in groups of three decimal digits,
// least significant group first.
struct PackedVariables {
    int iCount = 0;
    int32_t aiVariable[kHourlySeriesCount] = {};
};

std::string TextOrEmpty(const char *psText) { return psText ? psText : ""; }

HourlySeriesKey KeyOf(const char *pszProjectPath, const HourlySeries &series)
{
    return {series.iFileType,
            series.iListId,
            series.iVariable,
            TextOrEmpty(series.pszReportKey),
            TextOrEmpty(series.pszRowKey),
            pszProjectPath,
            TextOrEmpty(series.pszItemString)};
}

// A null text fits; the library's key fields hold 39 characters and a NUL.
bool FitsKeyField(const char *psText) { return !psText || std::strlen(psText) <= kMaxKeyLength; }

void CopyKey(char (&acField)[D2R_KEY_SIZE], const char *psText)
{
    std::memset(acField, 0, sizeof acField);
    if (psText)
        std::memcpy(acField, psText, std::strlen(psText));
}

bool IsItem(const HourlySeries &series, const char *pszName)
{
    return series.pszItemString && std::strcmp(series.pszItemString, pszName) == 0;
}

float *Series(ResultAccess &access, int iSeries) { return access.afHourlyYear.data() + iSeries * kHoursPerYear; }

// False for magnitudes below 1000, which pack no combination.
bool UnpackVariables(int32_t iSpecial, PackedVariables &packed)
{
    const long long magnitude = std::llabs(static_cast<long long>(iSpecial));
    if (magnitude < 1000)
        return false;
    packed.iCount = magnitude >= 1000000 ? 3 : 2;
    packed.aiVariable[0] = static_cast<int32_t>(magnitude % 1000);
    packed.aiVariable[1] = static_cast<int32_t>((magnitude / 1000) % 1000);
    packed.aiVariable[2] = packed.iCount == 3 ? static_cast<int32_t>(magnitude / 1000000) : 0;
    return true;
}

bool ReadSingleSeries(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                      const HourlySeries &series)
{
    return CallGetSingleHourlyResult(access, pszDoe2Folder, pszProjectPath, series.iFileType, series.iListId,
                                     series.iVariable, Series(access, 0), kHoursPerYear, series.pszReportKey,
                                     nullptr) == kHoursPerYear;
}

// The Goff-Gratch saturation pressure (inches of mercury) at tF degrees F,
// over water or, below the triple point, over ice.
double SaturationPressure(float tF)
{
    const double kelvin = (tF + 459.688) * 0.5555555555555556;
    double z;
    if (kelvin >= 273.16) {
        const double u = 373.16 / kelvin;
        z = -7.90298 * (u - 1) + 5.02808 * std::log10(u) - 1.3816e-7 * (std::pow(10.0, 11.344 * (1 - 1 / u)) - 1) +
            0.0081328 * (std::pow(10.0, -3.49149 * (u - 1)) - 1);
    } else {
        const double u = 273.16 / kelvin;
        z = -9.09718 * (u - 1) - 3.56654 * std::log10(u) + 0.876793 * (1 - 1 / u) + std::log10(0.006027);
    }
    return 29.921 * std::pow(10.0, z);
}

// The saturation pressure of the last temperature asked for, kept: a zone
// holds its thermostat's setting for hours on end, and the pressure costs
// four powers and logarithms.
class SaturationOfLastTemperature {
public:
    double At(float tF)
    {
        if (!m_bKnown || tF != m_fTemperature) {
            m_fTemperature = tF;
            m_dPressure = SaturationPressure(tF);
            m_bKnown = true;
        }
        return m_dPressure;
    }

private:
    bool m_bKnown = false;
    float m_fTemperature = 0.0f;
    double m_dPressure = 0.0;
};

// Relative humidity in percent from the humidity ratio w, the dry-bulb
// temperature tF (F) and the pressure p (inches of mercury), with the
// saturation pressure at tF.  Missing when an input is missing or no
// finite value results.
float RelativeHumidity(float w, float tF, float p, SaturationOfLastTemperature &saturation)
{
    if (w == MISSING_VALUE || tF == MISSING_VALUE || p == MISSING_VALUE)
        return MISSING_VALUE;
    const double humidity = w * p / (saturation.At(tF) * (w + 0.622) * 0.01);
    return std::isfinite(humidity) ? static_cast<float>(humidity) : MISSING_VALUE;
}

// The three input series are read whatever the earlier reads answer; each
// must deliver the whole year.
bool ReadRelativeHumidity(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                          const HourlySeries &series, const PackedVariables &packed)
{
    float *ratio = Series(access, 0), *temperature = Series(access, 1), *pressure = Series(access, 2);
    const bool bRatio = CallGetSingleHourlyResult(access, pszDoe2Folder, pszProjectPath, series.iFileType,
                                                  series.iListId, packed.aiVariable[0], ratio, kHoursPerYear,
                                                  series.pszReportKey, nullptr) == kHoursPerYear;
    const bool bTemperature =
        CallGetSingleHourlyResult(access, pszDoe2Folder, pszProjectPath, series.iFileType, kZoneTemperatureListId,
                                  packed.aiVariable[1], temperature, kHoursPerYear, series.pszRowKey,
                                  nullptr) == kHoursPerYear;
    const bool bPressure = CallGetSingleHourlyResult(access, pszDoe2Folder, pszProjectPath, kWeatherFileType,
                                                     kWeatherListId, packed.aiVariable[2], pressure, kHoursPerYear,
                                                     nullptr, nullptr) == kHoursPerYear;
    if (!(bRatio && bTemperature && bPressure))
        return false;
    SaturationOfLastTemperature saturation;
    for (int hour = 0; hour < kHoursPerYear; ++hour)
        ratio[hour] = RelativeHumidity(ratio[hour], temperature[hour], pressure[hour], saturation);
    return true;
}

// Series 1 becomes output (each further series in turn) over input: Btu/h
// over kW as a ratio of watts; missing where either side is about zero.
void DeriveEfficiency(ResultAccess &access, int iSeriesCount)
{
    for (int series = 1; series < iSeriesCount; ++series)
        for (int hour = 0; hour < kHoursPerYear; ++hour) {
            const float x = Series(access, series)[hour];
            const float y = Series(access, 0)[hour];
            Series(access, 0)[hour] = (x > 0.0001 && y > 0.00001) ? static_cast<float>(x * 0.2931 / (y * 1000))
                                                          : MISSING_VALUE;
        }
}

// Series 1 becomes the sum (or, for bSubtract, the difference) of the
// series in single precision; missing when any component is missing.
void CombineSeries(ResultAccess &access, int iSeriesCount, bool bSubtract)
{
    for (int hour = 0; hour < kHoursPerYear; ++hour) {
        float combined = Series(access, 0)[hour];
        for (int series = 1; series < iSeriesCount && combined != MISSING_VALUE; ++series) {
            const float value = Series(access, series)[hour];
            combined = value == MISSING_VALUE ? MISSING_VALUE : bSubtract ? combined - value : combined + value;
        }
        Series(access, 0)[hour] = combined;
    }
}

bool ReadCombinedSeries(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                        const HourlySeries &series, const PackedVariables &packed)
{
    D2R_HourlyRequest requests[kHourlySeriesCount] = {};
    for (int i = 0; i < packed.iCount; ++i) {
        requests[i].iListId = series.iListId;
        requests[i].iVariable = packed.aiVariable[i];
        CopyKey(requests[i].szReportKey, series.pszReportKey);
    }
    const int32_t expected = kHoursPerYear * packed.iCount;
    if (CallGetMultipleHourlyResult(access, pszDoe2Folder, pszProjectPath, series.iFileType,
                                    access.afHourlyYear.data(), expected, packed.iCount, requests) != expected)
        return false;
    if (IsItem(series, kEfficiencyItem))
        DeriveEfficiency(access, packed.iCount);
    else
        CombineSeries(access, packed.iCount, series.iVariable < 0);
    return true;
}

// Reads the record's series (single, derived or combined) into the year
// buffer; false when the library does not deliver it.
bool ReadSeries(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                const HourlySeries &series)
{
    const int32_t variable = series.iVariable;
    if (variable >= 1 && variable <= 999 && ReadSingleSeries(access, pszDoe2Folder, pszProjectPath, series))
        return true;
    PackedVariables packed;
    if (!UnpackVariables(variable, packed))
        return false;
    if (IsItem(series, kRelativeHumidityItem) && packed.iCount == 3 && series.pszRowKey)
        return ReadRelativeHumidity(access, pszDoe2Folder, pszProjectPath, series, packed);
    return ReadCombinedSeries(access, pszDoe2Folder, pszProjectPath, series, packed);
}

// Bin edges in F: -50 C to 98 C in steps of 1 C, each the double nearest
// the decimal value (an integer divided by ten is rounded correctly).
std::array<double, kTempBinCount> MakeTempBinEdges()
{
    std::array<double, kTempBinCount> edges{};
    for (int k = 0; k < kTempBinCount; ++k)
        edges[k] = (18 * k - 580) / 10.0;
    return edges;
}

// Bin 1 to 148 for edge i-1 < v <= edge i; 0 for a value outside all
// bins (a missing or non-finite one included).
int TempBinOf(float fValue)
{
    static const std::array<double, kTempBinCount> edges = MakeTempBinEdges();
    const double value = fValue;
    if (!(value > edges.front() && value <= edges.back()))
        return 0;
    return static_cast<int>(std::lower_bound(edges.begin() + 1, edges.end(), value) - edges.begin());
}

// The statistic code of a month-filter key, or 0 for any other key.
int32_t MonthStatistic(const char *pszKey)
{
    static const struct {
        const char *pszKey;
        int32_t iStatistic;
    } kStatistics[] = {{"MonthSum", D2R_STAT_SUM},
                       {"MonthAvg", D2R_STAT_MEAN},
                       {"MonthMax", D2R_STAT_MAXIMUM},
                       {"MonthMin", D2R_STAT_MINIMUM}};
    for (const auto &entry : kStatistics)
        if (std::strcmp(pszKey, entry.pszKey) == 0)
            return entry.iStatistic;
    return 0;
}

// True when the answer holds no value: nothing returned, or only missing
// values among those returned.
bool IsEmptyAnswer(const std::vector<float> &buffer, int32_t iReturned)
{
    if (iReturned <= 0)
        return true;
    const auto end = buffer.begin() + std::min<size_t>(static_cast<size_t>(iReturned), buffer.size());
    return std::all_of(buffer.begin(), end, [](float value) { return value == MISSING_VALUE; });
}

std::vector<D2R_ResultRequest> MakeResultRequests(int32_t iIdCount, const int32_t *piIds, const char *pszRowKey,
                                                  const char *pszReportKey)
{
    std::vector<D2R_ResultRequest> requests(static_cast<size_t>(iIdCount));
    for (int32_t i = 0; i < iIdCount; ++i) {
        requests[i].iResultId = piIds[i];
        requests[i].iReserved = 0;
        CopyKey(requests[i].szReportKey, pszReportKey);
        CopyKey(requests[i].szRowKey, pszRowKey);
    }
    return requests;
}

}  // namespace

int32_t DaysBeforeMonth(int iMonth) { return iMonth == 0 ? 0 : g_aiDaysThroughMonth[iMonth - 1]; }

int32_t HourIndex(int iMonth, int iDay, int iHour)
{
    return kHoursPerDay * (DaysBeforeMonth(iMonth - 1) + iDay - 1) + iHour - 1;
}

bool LoadHourlyYear(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                    const HourlySeries *pSeries)
{
    if (!pszDoe2Folder || !pszProjectPath || !pSeries)
        return false;
    if (!FitsKeyField(pSeries->pszRowKey) || !FitsKeyField(pSeries->pszReportKey))
        return false;
    HourlySeriesKey key = KeyOf(pszProjectPath, *pSeries);
    if (access.loadedSeries && *access.loadedSeries == key)
        return true;
    // The buffer is about to be overwritten: a read that fails half way
    // must not leave the cache vouching for it, and counts and extremes
    // taken from the old contents no longer describe it (the same series
    // read again, after its project was simulated anew, is counted anew).
    access.loadedSeries.reset();
    access.countedSeries.reset();
    access.spanExtremes.clear();
    if (const float *pfKept = access.readSeries.Find(key)) {
        std::copy(pfKept, pfKept + kHoursPerYear, Series(access, 0));
    } else {
        if (!ReadSeries(access, pszDoe2Folder, pszProjectPath, *pSeries))
            return false;
        // Without memory to keep it, the series is only read again later.
        access.readSeries.Put(key, Series(access, 0));
    }
    access.loadedSeries = std::move(key);
    return true;
}

bool CountCelsiusTempBins(ResultAccess &access, const char *pszProjectPath, const HourlySeries *pSeries)
{
    if (!pszProjectPath || !pSeries)
        return false;
    HourlySeriesKey key = KeyOf(pszProjectPath, *pSeries);
    if (access.countedSeries && *access.countedSeries == key)
        return true;
    access.aiTempBinCounts.fill(0);
    for (int hour = 0; hour < kHoursPerYear; ++hour) {
        const int bin = TempBinOf(Series(access, 0)[hour]);
        if (bin > 0)
            ++access.aiTempBinCounts[bin - 1];
    }
    access.countedSeries = std::move(key);
    return true;
}

int GetMonthIndex(const char *pszText)
{
    if (!pszText)
        return -1;
    for (int month = 0; month < kMonthsPerYear; ++month)
        if (EqualsIgnoringCase(pszText, g_apszMonthAbbrev[month]))
            return month;
    return -1;
}

void InitHourlyFilter(D2R_HourlyFilter *pFilter)
{
    pFilter->iKind = 1;
    std::memset(pFilter->szName, 0, sizeof pFilter->szName);
    std::fill(std::begin(pFilter->aiOptions), std::end(pFilter->aiOptions), 0);
    pFilter->iPeriodMonth = 0;
    std::fill(std::begin(pFilter->aiReserved), std::end(pFilter->aiReserved), 0);
    std::fill(std::begin(pFilter->aiSelectionA), std::end(pFilter->aiSelectionA), 1);
    pFilter->iFirstHourA = 0;
    pFilter->iLastHourA = 23;
    pFilter->iStartMonth = 0;
    pFilter->iStartDay = 0;
    pFilter->iStartHour = 0;
    pFilter->iEndMonth = 11;
    pFilter->iEndDay = 30;
    pFilter->iEndHour = 23;
    pFilter->iStatistic = 0;
    std::fill(std::begin(pFilter->aiSelectionB), std::end(pFilter->aiSelectionB), 1);
    pFilter->aiRangeB[0] = 0;
    pFilter->aiRangeB[1] = 23;
    pFilter->aiRangeB[2] = 0;
    std::fill(std::begin(pFilter->aiSelectionC), std::end(pFilter->aiSelectionC), 1);
    pFilter->aiRangeC[0] = 0;
    pFilter->aiRangeC[1] = 23;
    pFilter->aiRangeC[2] = 0;
}

bool SetMonthFilter(D2R_HourlyFilter *pFilter, const char *pszKey, const char *pszMonth)
{
    if (!pFilter || !pszKey)
        return false;
    const int32_t statistic = MonthStatistic(pszKey);
    const int month = GetMonthIndex(pszMonth);
    if (statistic == 0 || month < 0)
        return false;
    InitHourlyFilter(pFilter);
    std::snprintf(pFilter->szName, sizeof pFilter->szName, "%s Sum (all hours)", g_apszMonthName[month]);
    pFilter->aiOptions[0] = 2;
    pFilter->aiOptions[1] = 2;
    pFilter->aiOptions[2] = 1;
    pFilter->iPeriodMonth = month;
    pFilter->iStartMonth = month;
    pFilter->iEndMonth = month;
    pFilter->iEndDay = g_aiDaysInMonth[month] - 1;
    pFilter->iStatistic = statistic;
    return true;
}

bool GetMultipleResults(ResultAccess &access, int32_t iValueCount, int32_t iIdCount, const int32_t *piIds, const char *pszRowKey,
                        const char *pszReportKey, int32_t iFileType, const char *pszDoe2Folder,
                        const char *pszProjectPath, float *pfValues)
{
    if (iValueCount <= 0 || !pfValues)
        return false;
    std::fill(pfValues, pfValues + iValueCount, 0.0f);
    if (iIdCount <= 0 || !piIds || !FitsKeyField(pszRowKey) || !FitsKeyField(pszReportKey))
        return false;
    const std::vector<D2R_ResultRequest> requests = MakeResultRequests(iIdCount, piIds, pszRowKey, pszReportKey);
    std::vector<float> buffer(static_cast<size_t>(iValueCount), 0.0f);
    int32_t returned = 0;
    for (int attempt = 1; attempt <= kRetryAttempts; ++attempt) {
        returned = CallGetMultipleResult(access, pszDoe2Folder, pszProjectPath, iFileType, buffer.data(),
                                         iValueCount, iIdCount, requests.data());
        if (!IsEmptyAnswer(buffer, returned))
            break;
        returned = 0;
        if (attempt < kRetryAttempts)
            access.retryPause(kRetryPauseMilliseconds);
    }
    if (returned != iValueCount)
        return false;
    std::copy(buffer.begin(), buffer.end(), pfValues);
    return true;
}
