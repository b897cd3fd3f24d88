// Everything between a record's evaluation and the result library: the
// 365-day calendar, a whole year of hourly values for a record (derived
// quantities included), temperature-bin counts, the one-month hourly
// filter and non-hourly reads with retries.
//
// The year buffer, the bin counts and the two one-entry caches are
// process-wide and never cleared, so a run of records on one series reads
// it once.  Not reentrant: single-threaded use only.
#pragma once

#include <cstdint>

#include "GombrelData.h"
#include "d2result.h"

constexpr float MISSING_VALUE = D2R_MISSING_VALUE;

constexpr int kMonthsPerYear = 12;
constexpr int kHoursPerDay = 24;
constexpr int kHoursPerYear = D2R_HOURS_PER_YEAR;
constexpr int kHourlySeriesCount = 3;
constexpr int kTempBinCount = 149;

// The 365-day calendar, January first.  Days before month m (0-based) are
// 0 for January and g_aiDaysThroughMonth[m - 1] otherwise.
extern const int32_t g_aiDaysInMonth[kMonthsPerYear];
extern const int32_t g_aiDaysThroughMonth[kMonthsPerYear];
extern const char *const g_apszMonthAbbrev[kMonthsPerYear];
extern const char *const g_apszMonthName[kMonthsPerYear];

// Three series of one year each, in hour-index order; series 1 (places 0 to
// 8759) holds the last loaded record's result, series 2 and 3 intermediates.
extern float g_afHourlyYear[kHourlySeriesCount * kHoursPerYear];

// Hours counted per temperature bin, bin 1 at index 0.
extern int32_t g_aiTempBinCounts[kTempBinCount];

// Days before iMonth (0 to 11).
int32_t DaysBeforeMonth(int iMonth);

// Hour index of (month, day, hour), each counted from 1.
int32_t HourIndex(int iMonth, int iDay, int iHour);

// True when series 1 of the year buffer holds pItem's hourly result for
// the year (from the cache or freshly read).  False for a missing argument,
// a key longer than the library's 39 characters, or a failed read; after a
// failed read the cache claims no series.
bool LoadHourlyYear(const char *pszDoe2Folder, const char *pszProjectPath, const GombrelData *pItem);

// True when g_aiTempBinCounts holds the counts of series 1, which the
// caller has loaded for pItem; false only for a missing argument.
bool CountCelsiusTempBins(const char *pszProjectPath, const GombrelData *pItem);

// 0 to 11 for a text equal, ignoring case, to "Jan" ... "Dec"; else -1.
int GetMonthIndex(const char *pszText);

// Writes the library's default filter (padding left as it is).
void InitHourlyFilter(D2R_HourlyFilter *pFilter);

// Writes the filter for one statistic ("MonthSum", "MonthAvg", "MonthMax",
// "MonthMin", exact case) over one month (abbreviation, any case).  False,
// with the filter untouched, for any other key or month.
bool SetMonthFilter(D2R_HourlyFilter *pFilter, const char *pszKey, const char *pszMonth);

// Reads iValueCount non-hourly values for iIdCount result identifiers,
// retrying an empty or all-missing answer up to 30 times with pauses of
// 500 ms.  True when exactly iValueCount values arrived (copied to
// pfValues); otherwise pfValues holds 0.0 everywhere.  Keys longer than 39
// characters fail without calling the library.
bool GetMultipleResults(int32_t iValueCount, int32_t iIdCount, const int32_t *piIds, const char *pszRowKey,
                        const char *pszReportKey, int32_t iFileType, const char *pszDoe2Folder,
                        const char *pszProjectPath, float *pfValues);
