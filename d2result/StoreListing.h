// What a result store holds, for people looking into one (gombrel-cli
// store) and for answering reads without the store (gombrel-cli check): the
// results with their values, the series with their hours and a summary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d2result.h"

struct StoreResult {
    int32_t iFileType = 0;
    int32_t iResultId = 0;
    std::string strReportKey;
    std::string strRowKey;
    std::vector<double> values;  // by seq; a gap in the seqs is filled with -99999
};

struct StoreSeries {
    int32_t iFileType = 0;
    int32_t iListId = 0;
    int32_t iVariable = 0;
    std::string strReportKey;
    int32_t iBlobBytes = 0;       // 35040 for a readable series
    std::vector<float> hours;     // the year as the library reads it; empty when it cannot
    int32_t iHoursWithValue = 0;  // hours not marked missing
    double dMinimum = 0.0;        // over the hours with a value
    double dMaximum = 0.0;
    double dMean = 0.0;
};

struct StoreContents {
    int64_t iApplicationId = 0;
    int64_t iUserVersion = 0;
    std::vector<StoreResult> results;
    std::vector<StoreSeries> series;
};

// True when strStorePath is a result store the library can read, with its
// contents in key order.  Otherwise strFailure says why (missing, not
// SQLite, other marks, tables without the expected columns).
bool ListStore(const std::string &strStorePath, StoreContents &contents, std::string &strFailure);

// The one value the library gives for a listed series under an hourly
// filter, by the library's own reduction; false when it gives none (no hour
// of the filter's range has a value, or the series cannot be read).
bool ReduceSeriesHours(const StoreSeries &series, const D2R_HourlyFilter &filter, float &fValue);
