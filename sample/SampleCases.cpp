#include "SampleCases.h"

#include <cstdlib>

#include "TextMatch.h"

namespace {

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

}  // namespace

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
