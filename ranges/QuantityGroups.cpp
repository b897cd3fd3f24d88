#include "QuantityGroups.h"

#include <cctype>
#include <cstdlib>
#include <map>

namespace {

// The title of each quantity (for the hourly series without the hour, for
// the days of CE500 and CE530 without the day).
const std::map<std::string, std::string> kTitles = {
    {"annual_heating_MWh", "Annual heating"},
    {"annual_cooling_MWh", "Annual sensible cooling"},
    {"peak_heating_kW", "Peak heating"},
    {"peak_cooling_kW", "Peak sensible cooling"},
    {"ff", "Free-float temperatures: annual maximum, minimum and mean"},
    {"solar", "Annual incident and transmitted solar radiation"},
    {"hourly_incident_solar_south_Mar05_Wh_m2", "Incident solar radiation, south, 5 March"},
    {"hourly_incident_solar_west_Mar05_Wh_m2", "Incident solar radiation, west, 5 March"},
    {"hourly_incident_solar_south_Jul27_Wh_m2", "Incident solar radiation, south, 27 July"},
    {"hourly_incident_solar_west_Jul27_Wh_m2", "Incident solar radiation, west, 27 July"},
    {"hourly_ff_temp_Jan04_C", "Free-float temperature, 4 January"},
    {"hourly_ff_temp_Jul27_C", "Free-float temperature, 27 July"},
    {"ff_temp_bin_hours", "Hours in each 1-degree bin of free-float temperature"},
    {"feb_total_consumption_kWh", "February total electricity (compressor and both fans)"},
    {"feb_compressor_kWh", "February compressor electricity"},
    {"feb_supply_fan_kWh", "February indoor (supply) fan electricity"},
    {"feb_condenser_fan_kWh", "February outdoor (condenser) fan electricity"},
    {"feb_coil_load_total_kWh", "February total coil load"},
    {"feb_coil_load_sensible_kWh", "February sensible coil load"},
    {"feb_coil_load_latent_kWh", "February latent coil load"},
    {"feb_zone_load_total_kWh", "February total zone load"},
    {"feb_zone_load_sensible_kWh", "February sensible zone load"},
    {"feb_zone_load_latent_kWh", "February latent zone load"},
    {"feb_mean_COP", "February mean COP"},
    {"feb_max_COP", "February maximum COP"},
    {"feb_min_COP", "February minimum COP"},
    {"feb_mean_IDB_C", "February mean indoor dry-bulb temperature"},
    {"feb_max_IDB_C", "February maximum indoor dry-bulb temperature"},
    {"feb_min_IDB_C", "February minimum indoor dry-bulb temperature"},
    {"feb_mean_humidity_ratio", "February mean zone humidity ratio"},
    {"feb_max_humidity_ratio", "February maximum zone humidity ratio"},
    {"feb_min_humidity_ratio", "February minimum zone humidity ratio"},
    {"annual_total_consumption_kWh", "Annual total electricity (compressor and both fans)"},
    {"annual_compressor_kWh", "Annual compressor electricity"},
    {"annual_condenser_fan_kWh", "Annual outdoor (condenser) fan electricity"},
    {"annual_indoor_fan_kWh", "Annual indoor fan electricity"},
    {"annual_coil_load_total_kWh", "Annual total coil load"},
    {"annual_coil_load_sensible_kWh", "Annual sensible coil load"},
    {"annual_coil_load_latent_kWh", "Annual latent coil load"},
    {"annual_mean_COP2", "Annual mean COP2"},
    {"annual_mean_IDB_C", "Annual mean indoor dry-bulb temperature"},
    {"annual_mean_zone_humidity_ratio", "Annual mean zone humidity ratio"},
    {"annual_mean_zone_RH_pct", "Annual mean zone relative humidity"},
    {"annual_mean_ODB_C", "Annual mean outdoor dry-bulb temperature"},
    {"annual_mean_outdoor_humidity_ratio", "Annual mean outdoor humidity ratio"},
    {"max_hourly_consumption_compr_both_fans_Wh", "Maximum hourly electricity (compressor and both fans)"},
    {"max_hourly_coil_load_sensible_Wh", "Maximum hourly sensible coil load"},
    {"max_hourly_coil_load_latent_Wh", "Maximum hourly latent coil load"},
    {"max_hourly_coil_load_total_Wh", "Maximum hourly total coil load"},
    {"max_hourly_ODB_C", "Maximum hourly outdoor dry-bulb temperature"},
    {"max_hourly_outdoor_humidity_ratio", "Maximum hourly outdoor humidity ratio"},
    {"max_hourly_COP2", "Maximum hourly COP2"},
    {"min_hourly_COP2", "Minimum hourly COP2"},
    {"max_hourly_IDB_C", "Maximum hourly indoor dry-bulb temperature"},
    {"min_hourly_IDB_C", "Minimum hourly indoor dry-bulb temperature"},
    {"max_hourly_zone_humidity_ratio", "Maximum hourly zone humidity ratio"},
    {"min_hourly_zone_humidity_ratio", "Minimum hourly zone humidity ratio"},
    {"max_hourly_zone_RH_pct", "Maximum hourly zone relative humidity"},
    {"min_hourly_zone_RH_pct", "Minimum hourly zone relative humidity"},
    {"day_avg_total_consumption_Wh", "Mean hourly total electricity of one day"},
    {"day_avg_compressor_Wh", "Mean hourly compressor electricity of one day"},
    {"day_avg_condenser_fan_Wh", "Mean hourly outdoor fan electricity of one day"},
    {"day_avg_indoor_fan_Wh", "Mean hourly indoor fan electricity of one day"},
    {"day_avg_coil_load_total_Wh", "Mean hourly total coil load of one day"},
    {"day_avg_coil_load_sensible_Wh", "Mean hourly sensible coil load of one day"},
    {"day_avg_coil_load_latent_Wh", "Mean hourly latent coil load of one day"},
    {"day_avg_zone_humidity_ratio", "Mean zone humidity ratio of one day"},
    {"day_avg_COP2", "Mean COP2 of one day"},
    {"day_avg_ODB_C", "Mean outdoor dry-bulb temperature of one day"},
    {"day_avg_EDB_C", "Mean entering dry-bulb temperature of one day"},
    {"Jun28_compressor_Wh", "Compressor electricity, 28 June"},
    {"Jun28_condenser_fan_Wh", "Outdoor fan electricity, 28 June"},
    {"Jun28_coil_load_total_Wh", "Total coil load, 28 June"},
    {"Jun28_coil_load_sensible_Wh", "Sensible coil load, 28 June"},
    {"Jun28_coil_load_latent_Wh", "Latent coil load, 28 June"},
    {"Jun28_zone_humidity_ratio", "Zone humidity ratio, 28 June"},
    {"Jun28_COP2", "COP2, 28 June"},
    {"Jun28_ODB_C", "Outdoor dry-bulb temperature, 28 June"},
    {"Jun28_EDB_C", "Entering dry-bulb temperature, 28 June"},
    {"Jun28_EWB_C", "Entering wet-bulb temperature, 28 June"},
    {"Jun28_outdoor_humidity_ratio", "Outdoor humidity ratio, 28 June"},
    {"furnace_load_GJ", "Annual furnace load"},
    {"furnace_input_GJ", "Annual furnace input"},
    {"fuel_consumption_m3_per_s", "Average fuel consumption"},
    {"fan_energy_both_fans_kWh", "Annual fan electricity (both fans)"},
    {"mean_zone_temp_C", "Annual mean zone temperature"},
    {"max_zone_temp_C", "Annual maximum zone temperature"},
    {"min_zone_temp_C", "Annual minimum zone temperature"},
};

bool StartsWith(const std::string &strText, const char *pszStart) { return strText.rfind(pszStart, 0) == 0; }

// Where a row goes: its group's key (also the title's key), its category
// or its place on the x axis.
struct Placement {
    std::string strKey;
    std::string strTitleKey;
    ChartKind kind = ChartKind::Range;
    std::string strLabel;
    double x = 0.0;
};

// The hour of an hourly quantity ("..._h05..." gives 5, the key without it).
bool HourOf(const std::string &strQuantity, std::string &strKey, double &dHour)
{
    for (size_t at = strQuantity.find("_h"); at != std::string::npos; at = strQuantity.find("_h", at + 1))
        if (at + 4 <= strQuantity.size() && std::isdigit(static_cast<unsigned char>(strQuantity[at + 2])) &&
            std::isdigit(static_cast<unsigned char>(strQuantity[at + 3]))) {
            dHour = std::atoi(strQuantity.substr(at + 2, 2).c_str());
            strKey = strQuantity.substr(0, at) + strQuantity.substr(at + 4);
            return true;
        }
    return false;
}

// The cases of high thermal mass (the 800 and 900 series), charted apart
// from the low-mass ones as the standard's figures chart them.
bool IsHighMass(const std::string &strCase) { return !strCase.empty() && (strCase[0] == '8' || strCase[0] == '9'); }

Placement Place(const ReferenceRow &row)
{
    Placement placement;
    const std::string &quantity = row.strQuantity;
    placement.strLabel = row.strCase;
    std::string key;
    double hour = 0.0;
    if (StartsWith(quantity, "ff_temp_bin_hours_")) {
        placement.kind = ChartKind::Series;
        placement.strTitleKey = "ff_temp_bin_hours";
        placement.x = std::atof(quantity.c_str() + std::string("ff_temp_bin_hours_").size());
    } else if (HourOf(quantity, key, hour)) {
        placement.kind = ChartKind::Series;
        placement.strTitleKey = key;
        placement.x = hour;
    } else if (row.strSection == "5.2" && (StartsWith(quantity, "annual_") || StartsWith(quantity, "peak_"))) {
        placement.strTitleKey = quantity;
        placement.strKey = quantity + (IsHighMass(row.strCase) ? "|high" : "|low");
    } else if (StartsWith(quantity, "ff_")) {
        placement.strTitleKey = "ff";
        placement.strLabel = row.strCase + ' ' + quantity.substr(3, quantity.find('_', 3) - 3);
    } else if (StartsWith(quantity, "incident_solar_") || StartsWith(quantity, "transmitted_solar_")) {
        placement.strTitleKey = "solar";
        const size_t first = quantity.find("_solar_") + 7;
        std::string facing = quantity.substr(first, quantity.find("_kWh") - first);
        for (char &c : facing)
            if (c == '_')
                c = ' ';
        placement.strLabel = (StartsWith(quantity, "incident") ? "incident " : "transmitted ") + facing;
    } else if (StartsWith(quantity, "Apr30_") || StartsWith(quantity, "Jun25_")) {
        placement.strTitleKey = "day_" + quantity.substr(6);
        placement.strLabel = row.strCase + (StartsWith(quantity, "Apr30_") ? " 30 Apr" : " 25 Jun");
    } else {
        placement.strTitleKey = quantity;
    }
    if (placement.strKey.empty())
        placement.strKey = placement.strTitleKey;
    if (placement.kind == ChartKind::Series)
        placement.strKey += '|' + row.strCase;
    placement.strKey = row.strSection + '|' + placement.strKey;
    return placement;
}

std::string TitleOf(const Placement &placement, const ReferenceRow &row)
{
    const auto found = kTitles.find(placement.strTitleKey);
    std::string title = found != kTitles.end() ? found->second : placement.strTitleKey;
    if (placement.kind == ChartKind::Series)
        title += ", case " + row.strCase;
    else if (placement.strKey.size() > 4 && placement.strKey.compare(placement.strKey.size() - 4, 4, "|low") == 0)
        title += ", low-mass cases";
    else if (placement.strKey.size() > 5 && placement.strKey.compare(placement.strKey.size() - 5, 5, "|high") == 0)
        title += ", high-mass cases";
    return title;
}

}  // namespace

std::vector<QuantityGroup> GroupQuantities(const std::vector<RangeRow> &rows)
{
    std::vector<QuantityGroup> groups;
    std::map<std::string, size_t> byKey;
    for (size_t index = 0; index < rows.size(); ++index) {
        const ReferenceRow &row = *rows[index].pReference;
        if (row.IsDateOrHour())
            continue;
        const Placement placement = Place(row);
        auto found = byKey.find(placement.strKey);
        if (found == byKey.end()) {
            QuantityGroup group;
            group.strSection = row.strSection;
            group.strTitle = TitleOf(placement, row);
            group.strUnit = row.strUnit;
            group.kind = placement.kind;
            if (group.kind == ChartKind::Series)
                group.strAxis = StartsWith(row.strQuantity, "ff_temp_bin_hours_") ? "degC" : "hour";
            found = byKey.emplace(placement.strKey, groups.size()).first;
            groups.push_back(std::move(group));
        }
        QuantityGroup &group = groups[found->second];
        group.rows.push_back(index);
        if (group.kind == ChartKind::Range)
            group.labels.push_back(placement.strLabel);
        else
            group.xs.push_back(placement.x);
    }
    return groups;
}

std::string SectionTitle(const std::string &strSection)
{
    if (strSection == "5.2")
        return "Section 5.2: building thermal envelope and fabric load, cases 195 to 960";
    if (strSection == "5.3")
        return "Section 5.3: space-cooling equipment, CE100 to CE200 (February results)";
    if (strSection == "5.3B")
        return "Section 5.3: space-cooling equipment, CE300 to CE545 (annual results)";
    if (strSection == "5.4")
        return "Section 5.4: heating equipment, HE100 to HE230";
    return "Section " + strSection;
}
