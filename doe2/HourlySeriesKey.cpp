#include "HourlySeriesKey.h"

#include <tuple>

bool HourlySeriesKey::operator==(const HourlySeriesKey &other) const
{
    return iFileType == other.iFileType && iListId == other.iListId && iVariable == other.iVariable &&
           strReportKey == other.strReportKey && strRowKey == other.strRowKey &&
           strProjectPath == other.strProjectPath && strItemString == other.strItemString;
}

bool HourlySeriesKey::operator<(const HourlySeriesKey &other) const
{
    return std::tie(iFileType, iListId, iVariable, strReportKey, strRowKey, strProjectPath, strItemString) <
           std::tie(other.iFileType, other.iListId, other.iVariable, other.strReportKey, other.strRowKey,
                    other.strProjectPath, other.strItemString);
}
