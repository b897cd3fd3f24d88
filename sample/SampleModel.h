// Plausible, deterministic results of one Standard 140 test case for the
// sample stores: a synthetic year of weather, a one-node zone with its
// thermal mass, set points and equipment, and from it every hourly series
// and non-hourly result the tables read.  Units are those DOE-2 reports:
// degrees F, Btu/h, Btu/ft2, inches of mercury, kW; the non-hourly results
// in MWh, kW and kWh.  Heat added to a zone is negative, as DOE-2 gives it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ResultNeeds.h"

// One case's year, computed once when the model is made.
class SampleModel {
public:
    // The model of the case whose project text is strProject, as the tables
    // hold it ("\Sec5-2\600-Zv\600-Zv - Baseline Design").  False, with the
    // reason, for a project of an unknown section.
    bool Build(const std::string &strProject, std::string &strFailure);

    // The 8760 hours of one series; false for a list and variable the model
    // has no quantity for.
    bool Series(const SeriesNeed &need, std::vector<float> &hours, std::string &strFailure) const;

    // The value(s) of one non-hourly result; false for an unknown result.
    bool Result(const ResultNeed &need, std::vector<float> &values, std::string &strFailure) const;

    // What the zone does in each hour (exposed for the tests of the model).
    struct Hour {
        double dOutdoorF = 0.0;
        double dOutdoorHumidity = 0.0;     // lb water / lb dry air
        double dPressureInHg = 0.0;
        double dBeamNormal = 0.0;          // Btu/ft2.h
        double dDiffuseHorizontal = 0.0;   // Btu/ft2.h
        double dSinAltitude = 0.0;
        double dAzimuth = 0.0;             // radians from south, west positive
        double dZoneF = 0.0;
        double dFreeFloatF = 0.0;          // the same zone without heating or cooling
        double dZoneHumidity = 0.0;
        double dHeating = 0.0;             // Btu/h added (positive here)
        double dSensibleCooling = 0.0;     // Btu/h removed by the coil, fan heat included
        double dLatentCooling = 0.0;       // Btu/h
        double dEnvelopeSensible = 0.0;    // Btu/h gained by the zone
        double dEnvelopeLatent = 0.0;
        double dCompressorKW = 0.0;
        double dIndoorFanKW = 0.0;
        double dOutdoorFanKW = 0.0;
    };
    const std::vector<Hour> &Hours() const { return m_hours; }

    // Solar radiation on a vertical wall facing 'N', 'E', 'S' or 'W'.
    double WallIncident(const Hour &hour, char cFacing) const;

private:
    std::vector<Hour> m_hours;
    double m_dFurnaceEfficiency = 1.0;
    double m_dWindowArea = 0.0;   // ft2 of each glazed facade, for window series
};

// Case name of a project text: "600" of "\Sec5-2\600-Zv\...", "HE100" of
// "\Sec5-4\HE100-Zv\...".  Empty when the text has no such folder.
std::string ProjectCase(const std::string &strProject);

// Section folder of a project text ("Sec5-2"), or empty.
std::string ProjectSection(const std::string &strProject);
