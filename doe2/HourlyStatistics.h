// Everything between a record's evaluation and the result library: the
// 365-day calendar, a whole year of hourly values for one series (derived
// quantities included), temperature-bin counts, the one-month hourly
// filter and non-hourly reads with retries.
//
// The year buffer, the bin counts and the two one-entry caches live in the
// run's ResultAccess, so a run of records on one series reads it once.
#pragma once

#include <cstdint>

#include "ResultAccess.h"
#include "d2result.h"

// The 365-day calendar, January first.  Days before month m (0-based) are
// 0 for January and g_aiDaysThroughMonth[m - 1] otherwise.
extern const int32_t g_aiDaysInMonth[kMonthsPerYear];
extern const int32_t g_aiDaysThroughMonth[kMonthsPerYear];
extern const char *const g_apszMonthAbbrev[kMonthsPerYear];
extern const char *const g_apszMonthName[kMonthsPerYear];

// One hourly series as the result library names it, with what derives a
// quantity from several.
struct HourlySeries {
    int32_t iFileType = 0;
    int32_t iListId = 0;
    // A variable number (1 to 999), or two or three packed in groups of
    // three decimal digits, least significant first, with a sign.
    int32_t iVariable = 0;
    const char *pszReportKey = nullptr;
    const char *pszRowKey = nullptr;
    // "ZoneRelHumid", "COP_OBtuh_IkW" or null.
    const char *pszItemString = nullptr;
};

// Days before iMonth (0 to 11).
int32_t DaysBeforeMonth(int iMonth);

// Hour index of (month, day, hour), each counted from 1.
int32_t HourIndex(int iMonth, int iDay, int iHour);

// True when series 1 of access's year buffer holds pSeries for the year
// (from the cache or freshly read).  False for a missing argument, a key
// longer than the library's 39 characters, or a failed read; after a
// failed read the cache claims no series.
bool LoadHourlyYear(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                    const HourlySeries *pSeries);

// True when access's bin counts hold the counts of series 1, which the
// caller has loaded for pSeries; false only for a missing argument.
bool CountCelsiusTempBins(ResultAccess &access, const char *pszProjectPath, const HourlySeries *pSeries);

// 0 to 11 for a text equal, ignoring case, to "Jan" ... "Dec"; else -1.
int GetMonthIndex(const char *pszText);

// Writes the library's default filter (padding left as it is).
void InitHourlyFilter(D2R_HourlyFilter *pFilter);

// Writes the filter for one statistic ("MonthSum", "MonthAvg", "MonthMax",
// "MonthMin", exact case) over one month (abbreviation, any case).  False,
// with the filter untouched, for any other key or month.
bool SetMonthFilter(D2R_HourlyFilter *pFilter, const char *pszKey, const char *pszMonth);

// Reads iValueCount non-hourly values for iIdCount result identifiers,
// retrying an empty or all-missing answer up to 30 times with access's
// pause of 500 ms between.  True when exactly iValueCount values arrived (copied to
// pfValues); otherwise pfValues holds 0.0 everywhere.  Keys longer than 39
// characters fail without calling the library.
bool GetMultipleResults(ResultAccess &access, int32_t iValueCount, int32_t iIdCount, const int32_t *piIds, const char *pszRowKey,
                        const char *pszReportKey, int32_t iFileType, const char *pszDoe2Folder,
                        const char *pszProjectPath, float *pfValues);
