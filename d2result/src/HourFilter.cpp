#include "HourFilter.h"

#include <algorithm>

namespace d2r {

namespace {

constexpr int32_t kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int32_t DaysBeforeMonth(int32_t iMonth)
{
    int32_t days = 0;
    for (int32_t month = 0; month < iMonth; ++month)
        days += kDaysInMonth[month];
    return days;
}

struct Accumulator {
    double dSum = 0.0;
    float fMaximum = 0.0f;
    float fMinimum = 0.0f;
    int32_t iCount = 0;

    void Add(float fValue)
    {
        fMaximum = iCount == 0 ? fValue : std::max(fMaximum, fValue);
        fMinimum = iCount == 0 ? fValue : std::min(fMinimum, fValue);
        dSum += fValue;
        ++iCount;
    }
};

bool PickStatistic(const Accumulator &hours, int32_t iStatistic, float &fValue)
{
    switch (iStatistic) {
    case D2R_STAT_SUM: fValue = static_cast<float>(hours.dSum); return true;
    case D2R_STAT_MEAN: fValue = static_cast<float>(hours.dSum / hours.iCount); return true;
    case D2R_STAT_MAXIMUM: fValue = hours.fMaximum; return true;
    case D2R_STAT_MINIMUM: fValue = hours.fMinimum; return true;
    default: return false;
    }
}

}  // namespace

int32_t HourIndex(int32_t iMonth, int32_t iDay, int32_t iHour)
{
    if (iMonth < 0 || iMonth > 11 || iDay < 0 || iDay >= kDaysInMonth[iMonth] || iHour < 0 || iHour > 23)
        return -1;
    return 24 * (DaysBeforeMonth(iMonth) + iDay) + iHour;
}

bool ReduceFilteredHours(const float *pfHours, const D2R_HourlyFilter &filter, float &fValue)
{
    int32_t first = HourIndex(filter.iStartMonth, filter.iStartDay, filter.iStartHour);
    int32_t last = HourIndex(filter.iEndMonth, filter.iEndDay, filter.iEndHour);
    if (first < 0 || last < first)
        return false;
    Accumulator hours;
    for (int32_t hour = first; hour <= last; ++hour)
        if (pfHours[hour] != D2R_MISSING_VALUE)
            hours.Add(pfHours[hour]);
    return hours.iCount > 0 && PickStatistic(hours, filter.iStatistic, fValue);
}

}  // namespace d2r
