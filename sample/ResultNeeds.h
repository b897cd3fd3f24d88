// What the mapping tables ask the result library for, project by project:
// read from the records themselves, so a store made from these needs holds
// every value the tables read.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "GombrelData.h"

// A non-hourly result: one value, or twelve monthly values.
struct ResultNeed {
    int32_t iFileType;
    int32_t iResultId;
    std::string strReportKey;
    std::string strRowKey;
    int32_t iValueCount;

    bool operator<(const ResultNeed &other) const
    {
        return std::tie(iFileType, iResultId, strReportKey, strRowKey, iValueCount) <
               std::tie(other.iFileType, other.iResultId, other.strReportKey, other.strRowKey, other.iValueCount);
    }
};

// A whole-year hourly series.
struct SeriesNeed {
    int32_t iFileType;
    int32_t iListId;
    int32_t iVariable;
    std::string strReportKey;

    bool operator<(const SeriesNeed &other) const
    {
        return std::tie(iFileType, iListId, iVariable, strReportKey) <
               std::tie(other.iFileType, other.iListId, other.iVariable, other.strReportKey);
    }
};

struct ProjectNeeds {
    std::set<ResultNeed> results;
    std::set<SeriesNeed> series;
};

// The list, file type and fixed inputs of the derived relative humidity:
// its pressure series comes from the weather list whatever the record says.
constexpr int32_t kWeatherFileType = 3;
constexpr int32_t kWeatherListId = 1114;
constexpr int32_t kZoneListId = 2019;

// Adds what item reads to needs.  Records without a project (worksheet
// selections) add nothing.
void AddRecordNeeds(const GombrelData &item, ProjectNeeds &needs);

// The needs of every record of the four tables, by project text
// (psSimResPathFile, as the tables hold it).
std::map<std::string, ProjectNeeds> CollectResultNeeds();
