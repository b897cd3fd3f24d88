// Plausible, deterministic results of one Standard 140 test case for the
// sample stores: a synthetic year of weather (SampleWeather.h), a one-node
// zone with its thermal mass, set points and equipment (SampleZone.h) set
// up for the case (SampleCases.h), and from it every hourly series and
// non-hourly result the tables read (SampleResultMap.h).  Units are those
// DOE-2 reports: degrees F, Btu/h, Btu/ft2, inches of mercury, kW; the
// non-hourly results in MWh, kW and kWh.  Heat added to a zone is negative,
// as DOE-2 gives it.
#pragma once

#include <string>
#include <vector>

#include "ResultNeeds.h"
#include "SampleCases.h"
#include "SampleHour.h"

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
    using Hour = SampleHour;
    const std::vector<Hour> &Hours() const { return m_hours; }

private:
    std::vector<Hour> m_hours;
    double m_dFurnaceEfficiency = 1.0;
    double m_dWindowArea = 0.0;   // ft2 of each glazed facade, for window series
};
