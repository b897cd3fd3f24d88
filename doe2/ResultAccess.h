// What the evaluations of one run share: the result library they read
// through, the pause between retries of an empty answer, the year buffer,
// the bin counts, what those two hold, and every hourly series read since
// the evaluations last began afresh.  Each run has its own, so two runs
// (two results folders, two threads) never see each other's series; tests
// hand in a fake library and a pause that only counts.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "HourlySeriesKey.h"
#include "ResultLibrary.h"
#include "SeriesShelf.h"

constexpr float MISSING_VALUE = D2R_MISSING_VALUE;

constexpr int kMonthsPerYear = 12;
constexpr int kHoursPerDay = 24;
constexpr int kHoursPerYear = D2R_HOURS_PER_YEAR;
constexpr int kHourlySeriesCount = 3;
constexpr int kTempBinCount = 149;

// Waits the milliseconds given before an empty answer is asked again.
using RetryPause = std::function<void(int iMilliseconds)>;

// The calling thread sleeps.
void SleepBeforeRetry(int iMilliseconds);

// The largest or smallest hour of series 1 over a stretch of whole months
// (0 to 11), as an evaluation found it: the value and its month, day and
// hour (all -1 when no hour has a value).
struct SpanExtreme {
    int iFirstMonth;
    int iLastMonth;
    bool bMaximum;
    double dValue;
    int iMonth;
    int iDay;
    int iHour;
};

struct ResultAccess {
    // pLibrary is not owned; null: every read answers nothing.
    explicit ResultAccess(ResultLibrary *pLibrary = nullptr, RetryPause retryPause = SleepBeforeRetry);

    ResultLibrary *pLibrary;
    RetryPause retryPause;
    // Three series of one year each, in hour-index order; series 1 (places
    // 0 to 8759) holds the last loaded result, series 2 and 3 intermediates.
    std::vector<float> afHourlyYear;
    // Hours counted per temperature bin, bin 1 at index 0.
    std::array<int32_t, kTempBinCount> aiTempBinCounts{};
    // What series 1 holds, and what the bin counts were taken from; empty
    // when nothing (valid) is held.
    std::optional<HourlySeriesKey> loadedSeries;
    std::optional<HourlySeriesKey> countedSeries;
    // The extremes found in series 1 since it was loaded: the records of
    // one peak (its value, date and hour) scan the year once.
    std::vector<SpanExtreme> spanExtremes;
    // Series 1 of every series read since ReadResultsAfresh.
    SeriesShelf readSeries;
};

// Forgets every series read: the evaluations after it read the result
// library again.  A checking round begins with it, so that it compares the
// cells with what the results hold now, not with what a round before read.
void ReadResultsAfresh(ResultAccess &access);

// The three entries, forwarded to the access's library; 0 when it has none.
int32_t CallGetMultipleResult(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                              int32_t iFileType, float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests);
int32_t CallGetMultipleHourlyResult(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                                    int32_t iFileType, float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests);
int32_t CallGetSingleHourlyResult(ResultAccess &access, const char *pszDoe2Folder, const char *pszProjectPath,
                                  int32_t iFileType, int32_t iListId, int32_t iVariable, float *pfValues,
                                  int32_t iValueCount, const char *pszReportKey, const D2R_HourlyFilter *pFilter);
