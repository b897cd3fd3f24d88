#include "SampleModel.h"
#include "TextMatch.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>

namespace {

constexpr int kHoursPerYear = 8760;
constexpr double kPi = 3.14159265358979323846;
constexpr double kKilowattsPerBtuh = 2.9307107e-4;
constexpr double kBtuhPerKilowatt = 3412.14;
constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// ---- weather ---------------------------------------------------------

struct Climate {
    double dLatitude = 39.8;         // degrees north
    double dMeanF = 50.0;
    double dSeasonalSwingF = 22.0;   // half the summer-winter difference
    double dDailySwingF = 13.0;      // half the day-night difference, clear day
    double dWeatherSwingF = 8.0;     // passing fronts
    double dMeanHumidity = 0.0065;
    double dHumiditySwing = 0.0035;
    double dPressureInHg = 24.7;
    bool bSteady = false;            // constant conditions, no sun (laboratory cases)
};

// A number in [0, 1) fixed by its arguments: the cloudiness of a day.
double Scatter(int iDay, double dSeed)
{
    double x = std::sin(iDay * 12.9898 + dSeed * 78.233) * 43758.5453;
    return x - std::floor(x);
}

// Passing weather in [-1, 1], smooth over days.
double Fronts(double dDays)
{
    return 0.5 * std::sin(2 * kPi * dDays / 3.7) + 0.3 * std::sin(2 * kPi * dDays / 6.3 + 1.0) +
           0.2 * std::sin(2 * kPi * dDays / 11.1 + 2.0);
}

// Humidity ratio of saturated air at dTempF and dPressureInHg.
double SaturationHumidity(double dTempF, double dPressureInHg)
{
    double celsius = (dTempF - 32.0) / 1.8;
    double vapourKPa = 0.61094 * std::exp(17.625 * celsius / (celsius + 243.04));
    double airKPa = dPressureInHg * 3.38639;
    return 0.622 * vapourKPa / std::max(airKPa - vapourKPa, 0.1);
}

void SetSun(const Climate &climate, int iDay, int iHourOfDay, double dClearness, SampleModel::Hour &hour)
{
    double latitude = climate.dLatitude * kPi / 180.0;
    double declination = 23.45 * kPi / 180.0 * std::sin(2 * kPi * (284 + iDay + 1) / 365.0);
    double hourAngle = 15.0 * kPi / 180.0 * (iHourOfDay + 0.5 - 12.0);
    hour.dSinAltitude = std::sin(latitude) * std::sin(declination) +
                        std::cos(latitude) * std::cos(declination) * std::cos(hourAngle);
    hour.dAzimuth = std::atan2(std::sin(hourAngle) * std::cos(declination),
                               std::cos(hourAngle) * std::cos(declination) * std::sin(latitude) -
                                   std::sin(declination) * std::cos(latitude));
    if (hour.dSinAltitude <= 0.02)
        return;
    hour.dBeamNormal = 330.0 * dClearness * std::pow(hour.dSinAltitude, 0.3);
    hour.dDiffuseHorizontal = (20.0 + 60.0 * (1.0 - dClearness)) * std::sqrt(hour.dSinAltitude);
}

void SetWeather(const Climate &climate, int iHour, SampleModel::Hour &hour)
{
    const int day = iHour / 24, hourOfDay = iHour % 24;
    hour.dPressureInHg = climate.dPressureInHg + 0.15 * Fronts(day / 1.3 + 0.7);
    if (climate.bSteady) {
        hour.dOutdoorF = climate.dMeanF;
        hour.dOutdoorHumidity = climate.dMeanHumidity;
        return;
    }
    double clearness = 0.35 + 0.65 * Scatter(day, climate.dLatitude);
    double days = iHour / 24.0;
    double warmestHour = 15.0 + 3.0 * (Scatter(day, 3.3) - 0.5);
    hour.dOutdoorF = climate.dMeanF - climate.dSeasonalSwingF * std::cos(2 * kPi * (days - 15.0) / 365.0) +
                     climate.dDailySwingF * (0.5 + 0.5 * clearness) *
                         std::cos(2 * kPi * (hourOfDay - warmestHour) / 24.0) +
                     climate.dWeatherSwingF * Fronts(days) + 1.2 * (Scatter(iHour, 5.1) - 0.5);
    double humidity = climate.dMeanHumidity + climate.dHumiditySwing * std::cos(2 * kPi * (days - 200.0) / 365.0) +
                      0.0008 * Fronts(days + 1.9);
    hour.dOutdoorHumidity =
        std::max(0.0006, std::min(humidity, 0.9 * SaturationHumidity(hour.dOutdoorF, hour.dPressureInHg)));
    SetSun(climate, day, hourOfDay, clearness * (0.85 + 0.15 * Scatter(iHour, 7.7)), hour);
}

// ---- zone and equipment ---------------------------------------------

struct Building {
    double dUA = 206.0;                // Btu/h.F, conduction and infiltration
    double dMassCapacity = 1000.0;     // Btu/F of walls, floor and furniture
    double dMassCoupling = 400.0;      // Btu/h.F between the mass and the air
    double dSolarToMass = 0.6;         // share of the solar gain the mass absorbs
    double dWindowArea = 129.0;        // ft2 of glazing per glazed facade
    const char *pszWindowFacing = "S"; // facades with windows
    double dInternalDay = 682.0;       // Btu/h sensible, 7:00 to 18:00
    double dInternalNight = 682.0;
    double dLatentGain = 0.0;          // Btu/h
    double dVentilationCfm = 0.0;      // outdoor air brought to the coil
    bool bHeating = true;
    bool bCooling = true;
    double dHeatingSetF = 68.0;
    double dHeatingSetbackF = 68.0;    // 23:00 to 7:00
    double dCoolingSetF = 80.6;
    bool bCoolingDaytimeOnly = false;  // 7:00 to 18:00
    double dDriedHumidity = 0.0;       // humidity ratio the coil holds; 0: no coil
    double dCoilCapacity = 0.0;        // Btu/h; 0: ideal unlimited system
    double dRatedCop = 3.5;
    double dIndoorFanKW = 0.0;
    double dOutdoorFanKW = 0.0;
    double dFurnaceCapacity = 0.0;     // Btu/h; 0: ideal heating
    double dFurnaceEfficiency = 1.0;
};

bool IsDaytime(int iHourOfDay) { return iHourOfDay >= 7 && iHourOfDay < 18; }

double WindowGain(const SampleModel &model, const Building &building, const SampleModel::Hour &hour)
{
    double gain = 0.0;
    for (const char *facing = building.pszWindowFacing; *facing; ++facing)
        gain += 0.78 * building.dWindowArea * model.WallIncident(hour, *facing);
    return gain;
}

// The heat (positive) or cooling (negative) that holds the zone within its
// set points this hour, given where the zone would float to.
double ControlLoad(const Building &building, int iHourOfDay, double dFloatF, double dConductance)
{
    double heatingSet = iHourOfDay >= 23 || iHourOfDay < 7 ? building.dHeatingSetbackF : building.dHeatingSetF;
    bool coolingOn = building.bCooling && (!building.bCoolingDaytimeOnly || IsDaytime(iHourOfDay));
    if (building.bHeating && dFloatF < heatingSet)
        return dConductance * (heatingSet - dFloatF);
    if (coolingOn && dFloatF > building.dCoolingSetF)
        return dConductance * (building.dCoolingSetF - dFloatF);
    return 0.0;
}

// The load the equipment can deliver: an undersized furnace or coil lets
// the zone drift off its set point.
double LimitToCapacity(const Building &building, double dLoad)
{
    if (dLoad > 0 && building.dFurnaceCapacity > 0)
        return std::min(dLoad, building.dFurnaceCapacity);
    if (dLoad < 0 && building.dCoilCapacity > 0)
        return std::max(dLoad, -building.dCoilCapacity);
    return dLoad;
}

// Part-load ratio of an equipment of dCapacity (0: never limiting).
double PartLoad(double dLoad, double dCapacity) { return dCapacity > 0 ? std::min(1.0, dLoad / dCapacity) : 0.0; }

void SetCooling(const Building &building, SampleModel::Hour &hour, double dRemoved)
{
    const double partLoad = PartLoad(dRemoved, building.dCoilCapacity);
    hour.dIndoorFanKW = building.dIndoorFanKW * partLoad;
    hour.dOutdoorFanKW = building.dOutdoorFanKW * partLoad;
    hour.dSensibleCooling = dRemoved + hour.dIndoorFanKW * kBtuhPerKilowatt;
    if (building.dDriedHumidity > 0) {
        hour.dZoneHumidity = std::min(hour.dOutdoorHumidity, building.dDriedHumidity);
        hour.dLatentCooling = building.dLatentGain + 4840.0 * building.dVentilationCfm *
                                                         std::max(0.0, hour.dOutdoorHumidity - hour.dZoneHumidity);
    }
    if (building.dCoilCapacity <= 0)
        return;
    double cop = building.dRatedCop * (1.0 - 0.011 * (hour.dOutdoorF - 95.0)) * (1.0 + 0.01 * (hour.dZoneF - 80.0));
    cop = std::max(1.5, std::min(cop, 6.0)) * (1.0 - 0.229 * (1.0 - partLoad));
    hour.dCompressorKW = (hour.dSensibleCooling + hour.dLatentCooling) * kKilowattsPerBtuh / cop;
}

void SetHeating(const Building &building, SampleModel::Hour &hour, double dAdded)
{
    hour.dHeating = dAdded;
    hour.dIndoorFanKW = building.dIndoorFanKW * PartLoad(dAdded, building.dFurnaceCapacity);
}

// Humidity of a zone the coil does not dry: the outdoor air's plus what the
// occupants give off, short of condensing on the zone's surfaces.
double FloatingHumidity(const Building &building, const SampleModel::Hour &hour)
{
    double humidity = hour.dOutdoorHumidity + building.dLatentGain / 1.0e7;
    return std::min(humidity, 0.85 * SaturationHumidity(hour.dZoneF, hour.dPressureInHg));
}

// The air temperature the zone reaches without heating or cooling, the
// air itself holding no heat.
double FloatingAir(const Building &building, double dOutdoorF, double dMassF, double dAirGains)
{
    return (building.dUA * dOutdoorF + building.dMassCoupling * dMassF + dAirGains) /
           (building.dUA + building.dMassCoupling);
}

// One hour of the mass exchanging heat with the air and absorbing its gains.
void StepMass(const Building &building, double dAirF, double dMassGains, double &dMassF)
{
    dMassF += (building.dMassCoupling * (dAirF - dMassF) + dMassGains) / building.dMassCapacity;
}

// Walks the year twice: the first pass only warms the mass up, so that
// 1 January starts from a state the year itself leads to.  A second mass
// node follows the same zone left floating (a sunspace, a free-float case).
void SimulateZone(const SampleModel &model, const Building &building, std::vector<SampleModel::Hour> &hours)
{
    const double airConductance = building.dUA + building.dMassCoupling;
    double massF = 68.0, floatingMassF = 68.0;
    for (int pass = 0; pass < 2; ++pass)
        for (int index = 0; index < kHoursPerYear; ++index) {
            SampleModel::Hour &hour = hours[index];
            const int hourOfDay = index % 24;
            const double solar = WindowGain(model, building, hour);
            const double airGains =
                (IsDaytime(hourOfDay) ? building.dInternalDay : building.dInternalNight) +
                (1.0 - building.dSolarToMass) * solar;
            const double massGains = building.dSolarToMass * solar;
            const double freeF = FloatingAir(building, hour.dOutdoorF, massF, airGains);
            const double load = LimitToCapacity(building, ControlLoad(building, hourOfDay, freeF, airConductance));
            hour = SampleModel::Hour{hour.dOutdoorF, hour.dOutdoorHumidity, hour.dPressureInHg, hour.dBeamNormal,
                                     hour.dDiffuseHorizontal, hour.dSinAltitude, hour.dAzimuth};
            hour.dZoneF = freeF + load / airConductance;
            hour.dFreeFloatF = FloatingAir(building, hour.dOutdoorF, floatingMassF, airGains);
            StepMass(building, hour.dZoneF, massGains, massF);
            StepMass(building, hour.dFreeFloatF, massGains, floatingMassF);
            hour.dEnvelopeSensible = building.dUA * (hour.dOutdoorF - hour.dZoneF) + airGains + massGains;
            hour.dEnvelopeLatent = building.dLatentGain;
            hour.dZoneHumidity = FloatingHumidity(building, hour);
            if (load > 0)
                SetHeating(building, hour, load);
            else if (load < 0)
                SetCooling(building, hour, -load);
        }
}

// ---- the cases --------------------------------------------------------

struct CaseSetup {
    Climate climate;
    Building building;
};

int CaseNumber(const std::string &strCase)
{
    size_t digit = strCase.find_first_of("0123456789");
    return digit == std::string::npos ? 0 : std::atoi(strCase.c_str() + digit);
}

// Section 5.2: a small shoebox in a high, dry climate; 600s light, 900s
// heavy; "ff" cases float freely.
CaseSetup EnvelopeCase(const std::string &strCase)
{
    CaseSetup setup;
    Building &b = setup.building;
    const int number = CaseNumber(strCase);
    const int series = number / 100;
    if (series == 9 || series == 8)
        b.dMassCapacity = 12000.0, b.dMassCoupling = 1200.0;
    const int variant = series == 6 || series == 9 ? number % 100 : 0;   // 610, 920, 640 ...
    if (variant == 20 || variant == 30)
        b.pszWindowFacing = "EW", b.dWindowArea = 64.5;
    if (variant == 10 || variant == 30)
        b.dWindowArea *= 0.8;   // overhangs and fins
    if (variant == 40)
        b.dHeatingSetbackF = 50.0;
    if (variant == 50)
        b.bHeating = false, b.bCoolingDaytimeOnly = true;
    if (series >= 1 && series <= 4) {   // diagnostic cases: envelope variations
        b.dUA = 206.0 * (0.8 + 0.02 * (number % 20));
        b.dWindowArea = number == 195 || number == 395 || number == 400 ? 0.0 : 129.0 * (0.7 + 0.01 * (number % 30));
        b.dInternalDay = b.dInternalNight = number == 195 ? 0.0 : 682.0;
        if (number == 195)
            b.dCoolingSetF = b.dHeatingSetF = b.dHeatingSetbackF = 68.0;
    }
    if (EndsWith(strCase, "ff"))
        b.bHeating = b.bCooling = false;
    return setup;
}

struct SteadyCase {
    const char *pszCase;
    double dOutdoorF, dIndoorF, dSensible, dLatent;
};

// Section 5.3: the laboratory cases, constant conditions all year.
constexpr SteadyCase kSteadyCases[] = {
    {"ce100", 114.8, 72.0, 18425, 0},    {"ce110", 84.9, 72.0, 18425, 0},     {"ce120", 90.0, 80.1, 18425, 0},
    {"ce130", 114.8, 72.0, 921, 0},      {"ce140", 84.9, 72.0, 921, 0},       {"ce150", 84.9, 72.0, 18425, 3753},
    {"ce160", 84.9, 80.1, 18425, 3753},  {"ce165", 105.1, 73.9, 18425, 3753}, {"ce170", 84.9, 72.0, 7165, 3753},
    {"ce180", 84.9, 72.0, 7165, 15013},  {"ce185", 114.8, 72.0, 7165, 15013}, {"ce190", 84.9, 72.0, 921, 1877},
    {"ce195", 114.8, 72.0, 921, 1877},   {"ce200", 80.1, 80.1, 20882, 3515},
};

CaseSetup CoolingLaboratoryCase(const std::string &strCase)
{
    CaseSetup setup;
    SteadyCase steady = {strCase.c_str(), 84.9, 72.0, 18425, 0};
    for (const SteadyCase &known : kSteadyCases)
        if (strCase == known.pszCase)
            steady = known;
    setup.climate.bSteady = true;
    setup.climate.dMeanF = steady.dOutdoorF;
    setup.climate.dMeanHumidity = 0.010;
    setup.climate.dPressureInHg = 29.92;
    Building &b = setup.building;
    b.dUA = 15.0;
    b.dWindowArea = 0.0;
    b.dInternalDay = b.dInternalNight = steady.dSensible;
    b.dLatentGain = steady.dLatent;
    b.bHeating = false;
    b.dCoolingSetF = steady.dIndoorF;
    b.dDriedHumidity = steady.dLatent > 0 ? 0.0093 : 0.0066;
    b.dCoilCapacity = 26000.0;
    b.dIndoorFanKW = 0.23;
    b.dOutdoorFanKW = 0.108;
    return setup;
}

// Section 5.3B: a larger building cooled all year in a hot climate.
CaseSetup CoolingAnnualCase(const std::string &strCase)
{
    CaseSetup setup;
    const int number = CaseNumber(strCase);
    setup.climate = {36.1, 70.0, 17.0, 12.0, 6.0, 0.0085, 0.0035, 29.2, false};
    Building &b = setup.building;
    b.dUA = 1200.0 + 20.0 * (number % 9);
    b.dMassCapacity = 20000.0;
    b.dMassCoupling = 3000.0;
    b.dWindowArea = 150.0;
    b.dInternalDay = 20000.0 + 500.0 * (number % 7);
    b.dInternalNight = 8000.0;
    b.dLatentGain = 2500.0;
    b.dVentilationCfm = 60.0;
    b.bHeating = false;
    b.dCoolingSetF = number >= 500 ? 77.0 : 78.8;
    b.dDriedHumidity = 0.0095;
    b.dCoilCapacity = 110000.0;
    b.dIndoorFanKW = 1.1;
    b.dOutdoorFanKW = 0.6;
    return setup;
}

// Section 5.4: a furnace heating a house; the HE100s in constant cold, the
// HE200s through a cold year.
CaseSetup FurnaceCase(const std::string &strCase)
{
    CaseSetup setup;
    const int number = CaseNumber(strCase);
    setup.climate = {40.0, 42.0, 24.0, 14.0, 8.0, 0.005, 0.003, 29.5, number < 200};
    if (number < 200)
        setup.climate.dMeanF = -22.0;
    const int variant = number / 10 % 10;   // HE110 ... HE170, HE210 ... HE230
    Building &b = setup.building;
    b.dUA = (number < 200 ? 300.0 : 280.0) * (1.0 + 0.03 * variant);
    b.dMassCapacity = 8000.0;
    b.dMassCoupling = 1500.0;
    b.dWindowArea = number < 200 ? 0.0 : 30.0;
    b.dInternalDay = b.dInternalNight = number < 200 ? 0.0 : 1500.0;
    b.bCooling = false;
    b.dFurnaceCapacity = number == 230 ? 15000.0 : 40000.0;   // HE230: an undersized furnace
    if (number == 220)
        b.dHeatingSetbackF = 59.0;
    b.dFurnaceEfficiency = number == 100 ? 1.0 : 0.8 - 0.01 * variant;
    b.dIndoorFanKW = 0.2;
    return setup;
}

bool SetupFor(const std::string &strSection, const std::string &strCase, CaseSetup &setup)
{
    if (strSection == "Sec5-2")
        setup = EnvelopeCase(strCase);
    else if (strSection == "Sec5-3")
        setup = CoolingLaboratoryCase(strCase);
    else if (strSection == "Sec5-3B")
        setup = CoolingAnnualCase(strCase);
    else if (strSection == "Sec5-4")
        setup = FurnaceCase(strCase);
    else
        return false;
    return true;
}

// ---- from the year to what the tables read ---------------------------

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

// Beam and diffuse radiation on the ground, Btu/ft2.h.
double HorizontalIncident(const SampleModel::Hour &hour)
{
    return hour.dBeamNormal * std::max(0.0, hour.dSinAltitude) + hour.dDiffuseHorizontal;
}

// The facade a wall or window report key names by its first letter
// ("W-WINDOW", "S-WALL-EXT"); south when there is none.
char Facing(const std::string &strReportKey) { return strReportKey.empty() ? 'S' : strReportKey[0]; }

}  // namespace

std::string ProjectSection(const std::string &strProject)
{
    if (strProject.size() < 2 || strProject[0] != '\\')
        return std::string();
    return strProject.substr(1, strProject.find('\\', 1) - 1);
}

std::string ProjectCase(const std::string &strProject)
{
    size_t folder = strProject.find('\\', 1);
    size_t suffix = folder == std::string::npos ? folder : strProject.find("-Zv\\", folder);
    return suffix == std::string::npos ? std::string() : strProject.substr(folder + 1, suffix - folder - 1);
}

double SampleModel::WallIncident(const Hour &hour, char cFacing) const
{
    const double facing = cFacing == 'N' ? kPi : cFacing == 'E' ? -kPi / 2 : cFacing == 'W' ? kPi / 2 : 0.0;
    double cosAltitude = std::sqrt(std::max(0.0, 1.0 - hour.dSinAltitude * hour.dSinAltitude));
    double beam = hour.dBeamNormal * std::max(0.0, cosAltitude * std::cos(hour.dAzimuth - facing));
    return beam + 0.5 * hour.dDiffuseHorizontal + 0.1 * HorizontalIncident(hour);
}

bool SampleModel::Build(const std::string &strProject, std::string &strFailure)
{
    CaseSetup setup;
    const std::string caseName = ProjectCase(strProject);
    if (caseName.empty() || !SetupFor(ProjectSection(strProject), caseName, setup)) {
        strFailure = "no sample model for the project " + strProject;
        return false;
    }
    m_hours.assign(kHoursPerYear, Hour());
    for (int index = 0; index < kHoursPerYear; ++index)
        SetWeather(setup.climate, index, m_hours[index]);
    SimulateZone(*this, setup.building, m_hours);
    m_dFurnaceEfficiency = setup.building.dFurnaceEfficiency;
    m_dWindowArea = setup.building.dWindowArea;
    return true;
}

namespace {

double QuantityOf(const SampleModel &model, Quantity quantity, const std::string &strReportKey,
                  const SampleModel::Hour &hour, double dWindowArea)
{
    switch (quantity) {
    case Quantity::OutdoorDryBulb: return hour.dOutdoorF;
    case Quantity::OutdoorHumidity: return hour.dOutdoorHumidity;
    case Quantity::Pressure: return hour.dPressureInHg;
    case Quantity::HorizontalSolar: return HorizontalIncident(hour);
    case Quantity::WallSolar: return model.WallIncident(hour, Facing(strReportKey));
    case Quantity::WindowSolar: return 0.78 * dWindowArea * model.WallIncident(hour, Facing(strReportKey));
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

}  // namespace

bool SampleModel::Series(const SeriesNeed &need, std::vector<float> &hours, std::string &strFailure) const
{
    auto found = HourlyQuantities().find({need.iListId, need.iVariable});
    if (found == HourlyQuantities().end()) {
        strFailure = "no sample quantity for hourly list " + std::to_string(need.iListId) + " variable " +
                     std::to_string(need.iVariable);
        return false;
    }
    hours.resize(kHoursPerYear);
    for (int index = 0; index < kHoursPerYear; ++index)
        hours[index] = static_cast<float>(QuantityOf(*this, found->second, need.strReportKey, m_hours[index],
                                                     m_dWindowArea));
    return true;
}

namespace {

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
double SumOver(const std::vector<SampleModel::Hour> &hours, int iMonth, Value value)
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
Peak PeakOver(const std::vector<SampleModel::Hour> &hours, int iMonth, Value value)
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

double Cooling(const SampleModel::Hour &hour) { return hour.dSensibleCooling + hour.dLatentCooling; }
double Heating(const SampleModel::Hour &hour) { return hour.dHeating; }
double Electricity(const SampleModel::Hour &hour)
{
    return hour.dCompressorKW + hour.dIndoorFanKW + hour.dOutdoorFanKW;
}

}  // namespace

bool SampleModel::Result(const ResultNeed &need, std::vector<float> &values, std::string &strFailure) const
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
    case 2101001: single(SumOver(m_hours, month, Cooling) * toMWh); break;
    case 2101002: single(-SumOver(m_hours, month, Heating) * toMWh); break;
    case 2101004: single(PeakOver(m_hours, -1, Cooling).dValue * kKilowattsPerBtuh); break;
    case 2101005: single(-PeakOver(m_hours, -1, Heating).dValue * kKilowattsPerBtuh); break;
    case 2101010: monthly([&](int m) { return PeakOver(m_hours, m, Cooling).dValue * kKilowattsPerBtuh; }); break;
    case 2101013: monthly([&](int m) { return PeakOver(m_hours, m, Cooling).iDay; }); break;
    case 2101014: monthly([&](int m) { return PeakOver(m_hours, m, Cooling).iHour; }); break;
    case 2101011: monthly([&](int m) { return -PeakOver(m_hours, m, Heating).dValue * kKilowattsPerBtuh; }); break;
    case 2101017: monthly([&](int m) { return PeakOver(m_hours, m, Heating).iDay; }); break;
    case 2101018: monthly([&](int m) { return PeakOver(m_hours, m, Heating).iHour; }); break;
    case 2108004: single(SumOver(m_hours, month, Heating) * toMWh / m_dFurnaceEfficiency); break;
    case 2108028: single(SumOver(m_hours, month, Electricity)); break;
    case 2112012:
        single(SumOver(m_hours, month, [](const Hour &hour) { return hour.dCompressorKW; }));
        break;
    case 2109002:
        single(SumOver(m_hours, month, [](const Hour &hour) { return hour.dSensibleCooling; }) * toMWh);
        break;
    case 2305001:
    case 2305011: single(SumOver(m_hours, month, [](const Hour &hour) { return hour.dIndoorFanKW; })); break;
    case 2305010: single(SumOver(m_hours, month, [](const Hour &hour) { return hour.dCompressorKW; })); break;
    case 2305013: single(SumOver(m_hours, month, [](const Hour &hour) { return hour.dOutdoorFanKW; })); break;
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
