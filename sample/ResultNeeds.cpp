#include "ResultNeeds.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "MappingTables.h"
#include "TextMatch.h"

namespace {

bool IsHourlyFileType(int32_t iFileType) { return iFileType >= 3 && iFileType <= 5; }

// The variable numbers packed in groups of three decimal digits, least
// significant first (6047 gives 47 and 6; 5031035 gives 35, 31 and 5).
std::vector<int32_t> UnpackVariables(int32_t iPacked)
{
    int32_t rest = std::abs(iPacked);
    std::vector<int32_t> variables;
    const int32_t groups = rest >= 1000000 ? 3 : 2;
    for (int32_t group = 0; group < groups; ++group, rest /= 1000)
        variables.push_back(rest % 1000);
    return variables;
}

void AddHourlyNeeds(const GombrelData &item, ProjectNeeds &needs)
{
    const int32_t special = item.iNHRListID_Special;
    const std::string reportKey = item.psReportKey;
    if (special >= 1 && special <= 999) {
        needs.series.insert({item.iD2ResFileType, item.iNHRListID, special, reportKey});
        return;
    }
    std::vector<int32_t> variables = UnpackVariables(special);
    const bool relativeHumidity = item.psItemString && std::strcmp(item.psItemString, "ZoneRelHumid") == 0 &&
                                  variables.size() == 3 && item.psRowKey;
    if (relativeHumidity) {
        needs.series.insert({item.iD2ResFileType, item.iNHRListID, variables[0], reportKey});
        needs.series.insert({item.iD2ResFileType, kZoneListId, variables[1], item.psRowKey});
        needs.series.insert({kWeatherFileType, kWeatherListId, variables[2], ""});
        return;
    }
    for (int32_t variable : variables)
        needs.series.insert({item.iD2ResFileType, item.iNHRListID, variable, reportKey});
}

void AddNonHourlyNeeds(const GombrelData &item, ProjectNeeds &needs)
{
    if (item.psSpecialProcessing && StartsWith(item.psSpecialProcessing, "Month")) {
        needs.results.insert({item.iD2ResFileType, item.iNHRListID, item.psReportKey, item.psRowKey, 12});
        needs.results.insert({item.iD2ResFileType, item.iNHRListID_Special, item.psReportKey, item.psRowKey, 12});
        return;
    }
    needs.results.insert({item.iD2ResFileType, item.iNHRListID, item.psReportKey, item.psRowKey, 1});
}

}  // namespace

void AddRecordNeeds(const GombrelData &item, ProjectNeeds &needs)
{
    if (!item.psSimResPathFile)
        return;
    if (IsHourlyFileType(item.iD2ResFileType))
        AddHourlyNeeds(item, needs);
    else
        AddNonHourlyNeeds(item, needs);
}

std::map<std::string, ProjectNeeds> CollectResultNeeds()
{
    std::map<std::string, ProjectNeeds> projects;
    for (const MappingTable &table : g_aMappingTables) {
        const GombrelData *items = table.pItems();
        for (size_t index = 0; !IsEndRecord(items[index]); ++index)
            if (items[index].psSimResPathFile)
                AddRecordNeeds(items[index], projects[items[index].psSimResPathFile]);
    }
    return projects;
}
