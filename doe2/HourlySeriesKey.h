// Everything that tells one hourly series from another.  The caches of a
// run key on all of it, the row key and the item string included, so that
// no two different series can ever share an entry.
#pragma once

#include <cstdint>
#include <string>

struct HourlySeriesKey {
    int32_t iFileType;
    int32_t iListId;
    int32_t iVariable;
    std::string strReportKey;
    std::string strRowKey;
    std::string strProjectPath;
    std::string strItemString;

    bool operator==(const HourlySeriesKey &other) const;
    bool operator<(const HourlySeriesKey &other) const;
};
