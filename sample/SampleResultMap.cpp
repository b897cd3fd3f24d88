#include "SampleResultMap.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>

#include "SampleWeather.h"

namespace {

constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

enum class Quantity {
    OutdoorDryBulb, OutdoorHumidity, Pressure, HorizontalSolar, WallSolar, WindowSolar, ZoneTemperature,
    EnvelopeTotal, EnvelopeSensible, Heating, CoolingTotal, CoolingSensible, NetLoad, SystemHumidity,
    Compressor, IndoorFan, OutdoorFan,
};

// What DOE-2 reports as variable iVariable of hourly list iListId.
const std::map<std::pair<int32_t, int32_t>, Quantity> &HourlyQuantities()
{
    static const std::map<std::pair<int32_t, int32_t>, Quantity> quantities = {
        {{1114, 4}, Quantity::OutdoorDryBulb},   {{1114, 5}, Quantity::Pressure},
        {{1114, 10}, Quantity::OutdoorHumidity}, {{1114, 15}, Quantity::HorizontalSolar},
        {{1020, 1}, Quantity::WallSolar},        {{1050, 13}, Quantity::WindowSolar},
        {{2019, 2}, Quantity::EnvelopeSensible}, {{2019, 6}, Quantity::ZoneTemperature},
        {{2019, 8}, Quantity::EnvelopeTotal},    {{2019, 31}, Quantity::ZoneTemperature},
        {{2010, 3}, Quantity::ZoneTemperature},  {{2010, 5}, Quantity::Heating},
        {{2010, 6}, Quantity::CoolingTotal},     {{2010, 7}, Quantity::NetLoad},
        {{2010, 35}, Quantity::SystemHumidity},  {{2010, 47}, Quantity::Compressor},
        {{2010, 48}, Quantity::CoolingSensible}, {{2010, 49}, Quantity::IndoorFan},
        {{2010, 69}, Quantity::OutdoorFan},
    };
    return quantities;
}

// The facade a wall or window report key names by its first letter
// ("W-WINDOW", "S-WALL-EXT"); south when there is none.
char Facing(const std::string &strReportKey) { return strReportKey.empty() ? 'S' : strReportKey[0]; }

double QuantityOf(Quantity quantity, const std::string &strReportKey, const SampleHour &hour, double dWindowArea)
{
    switch (quantity) {
    case Quantity::OutdoorDryBulb: return hour.dOutdoorF;
    case Quantity::OutdoorHumidity: return hour.dOutdoorHumidity;
    case Quantity::Pressure: return hour.dPressureInHg;
    case Quantity::HorizontalSolar: return HorizontalIncident(hour);
    case Quantity::WallSolar: return WallIncident(hour, Facing(strReportKey));
    case Quantity::WindowSolar: return 0.78 * dWindowArea * WallIncident(hour, Facing(strReportKey));
    case Quantity::ZoneTemperature:
        return strReportKey.find("SUNSPACE") != std::string::npos ? hour.dFreeFloatF : hour.dZoneF;
    case Quantity::EnvelopeTotal: return hour.dEnvelopeSensible + hour.dEnvelopeLatent;
    case Quantity::EnvelopeSensible: return hour.dEnvelopeSensible;
    case Quantity::Heating: return -hour.dHeating;
    case Quantity::CoolingTotal: return hour.dSensibleCooling + hour.dLatentCooling;
    case Quantity::CoolingSensible: return hour.dSensibleCooling;
    case Quantity::NetLoad: return hour.dSensibleCooling + hour.dLatentCooling - hour.dHeating;
    case Quantity::SystemHumidity: return hour.dZoneHumidity;
    case Quantity::Compressor: return hour.dCompressorKW;
    case Quantity::IndoorFan: return hour.dIndoorFanKW;
    case Quantity::OutdoorFan: return hour.dOutdoorFanKW;
    }
    return 0.0;
}

// The hours of month iMonth (0-based), or of the whole year for -1.
std::pair<int, int> HourRange(int iMonth)
{
    if (iMonth < 0)
        return {0, kHoursPerYear};
    int first = 0;
    for (int month = 0; month < iMonth; ++month)
        first += 24 * kDaysInMonth[month];
    return {first, first + 24 * kDaysInMonth[iMonth]};
}

template <class Value>
double SumOver(const std::vector<SampleHour> &hours, int iMonth, Value value)
{
    auto range = HourRange(iMonth);
    double sum = 0.0;
    for (int index = range.first; index < range.second; ++index)
        sum += value(hours[index]);
    return sum;
}

// The largest value of a month with its day (1-based) and hour (1 to 24);
// of equal values the first.  A month without any load gives 0 on day 1,
// hour 1, as a report of "no peak" does.
struct Peak {
    double dValue = 0.0;
    int iDay = 1;
    int iHour = 1;
};

template <class Value>
Peak PeakOver(const std::vector<SampleHour> &hours, int iMonth, Value value)
{
    auto range = HourRange(iMonth);
    Peak peak;
    for (int index = range.first; index < range.second; ++index)
        if (value(hours[index]) > peak.dValue) {
            peak.dValue = value(hours[index]);
            peak.iDay = (index - range.first) / 24 + 1;
            peak.iHour = index % 24 + 1;
        }
    return peak;
}

int MonthOfRowKey(const std::string &strRowKey)
{
    static const char *const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    std::string upper = strRowKey;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    for (int month = 0; month < 12; ++month)
        if (upper == kMonths[month])
            return month;
    return -1;
}

double Cooling(const SampleHour &hour) { return hour.dSensibleCooling + hour.dLatentCooling; }
double Heating(const SampleHour &hour) { return hour.dHeating; }
double Electricity(const SampleHour &hour)
{
    return hour.dCompressorKW + hour.dIndoorFanKW + hour.dOutdoorFanKW;
}

}  // namespace

bool SampleSeries(const std::vector<SampleHour> &year, double dWindowArea, const SeriesNeed &need,
                  std::vector<float> &hours, std::string &strFailure)
{
    auto found = HourlyQuantities().find({need.iListId, need.iVariable});
    if (found == HourlyQuantities().end()) {
        strFailure = "no sample quantity for hourly list " + std::to_string(need.iListId) + " variable " +
                     std::to_string(need.iVariable);
        return false;
    }
    hours.resize(kHoursPerYear);
    for (int index = 0; index < kHoursPerYear; ++index)
        hours[index] = static_cast<float>(QuantityOf(found->second, need.strReportKey, year[index], dWindowArea));
    return true;
}

bool SampleResult(const std::vector<SampleHour> &year, double dFurnaceEfficiency, const ResultNeed &need,
                  std::vector<float> &values, std::string &strFailure)
{
    const int month = MonthOfRowKey(need.strRowKey);
    const double toMWh = kKilowattsPerBtuh / 1000.0;
    auto monthly = [&](auto pick) {
        values.resize(12);
        for (int m = 0; m < 12; ++m)
            values[m] = static_cast<float>(pick(m));
    };
    auto single = [&](double value) { values.assign(1, static_cast<float>(value)); };
    switch (need.iResultId) {
    case 2101001: single(SumOver(year, month, Cooling) * toMWh); break;
    case 2101002: single(-SumOver(year, month, Heating) * toMWh); break;
    case 2101004: single(PeakOver(year, -1, Cooling).dValue * kKilowattsPerBtuh); break;
    case 2101005: single(-PeakOver(year, -1, Heating).dValue * kKilowattsPerBtuh); break;
    case 2101010: monthly([&](int m) { return PeakOver(year, m, Cooling).dValue * kKilowattsPerBtuh; }); break;
    case 2101013: monthly([&](int m) { return PeakOver(year, m, Cooling).iDay; }); break;
    case 2101014: monthly([&](int m) { return PeakOver(year, m, Cooling).iHour; }); break;
    case 2101011: monthly([&](int m) { return -PeakOver(year, m, Heating).dValue * kKilowattsPerBtuh; }); break;
    case 2101017: monthly([&](int m) { return PeakOver(year, m, Heating).iDay; }); break;
    case 2101018: monthly([&](int m) { return PeakOver(year, m, Heating).iHour; }); break;
    case 2108004: single(SumOver(year, month, Heating) * toMWh / dFurnaceEfficiency); break;
    case 2108028: single(SumOver(year, month, Electricity)); break;
    case 2112012:
        single(SumOver(year, month, [](const SampleHour &hour) { return hour.dCompressorKW; }));
        break;
    case 2109002:
        single(SumOver(year, month, [](const SampleHour &hour) { return hour.dSensibleCooling; }) * toMWh);
        break;
    case 2305001:
    case 2305011: single(SumOver(year, month, [](const SampleHour &hour) { return hour.dIndoorFanKW; })); break;
    case 2305010: single(SumOver(year, month, [](const SampleHour &hour) { return hour.dCompressorKW; })); break;
    case 2305013: single(SumOver(year, month, [](const SampleHour &hour) { return hour.dOutdoorFanKW; })); break;
    default:
        strFailure = "no sample value for result " + std::to_string(need.iResultId);
        return false;
    }
    if (static_cast<int32_t>(values.size()) != need.iValueCount) {
        strFailure = "result " + std::to_string(need.iResultId) + " is asked for with " +
                     std::to_string(need.iValueCount) + " values; the sample has " + std::to_string(values.size());
        return false;
    }
    return true;
}
