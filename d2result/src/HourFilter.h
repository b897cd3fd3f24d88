// Reducing a range of hours of one series to one value, as the hourly
// filter asks.
#pragma once

#include <cstdint>

#include "d2result.h"

namespace d2r {

// Hour index (0 .. 8759) of a 0-based month, day and hour of the 365-day
// year, or -1 when any of them lies outside the calendar.
int32_t HourIndex(int32_t iMonth, int32_t iDay, int32_t iHour);

// Applies the filter's statistic to the hours of its range that are not
// missing.  False when the range is outside the calendar or ends before it
// starts, the statistic is not one of 13 to 16, or no hour has a value.
bool ReduceFilteredHours(const float *pfHours, const D2R_HourlyFilter &filter, float &fValue);

}  // namespace d2r
