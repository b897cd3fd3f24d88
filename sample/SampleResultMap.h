// What DOE-2 would report from a sample case's year: each hourly list
// variable and each non-hourly result id the tables read, mapped to the
// quantity of the year it stands for.  Heat added to a zone is negative, as
// DOE-2 gives it; the non-hourly results are in MWh, kW and kWh.
#pragma once

#include <string>
#include <vector>

#include "ResultNeeds.h"
#include "SampleHour.h"

// The 8760 hours of one series from year, whose glazed facades have
// dWindowArea ft2 each; false for a list and variable without a quantity.
bool SampleSeries(const std::vector<SampleHour> &year, double dWindowArea, const SeriesNeed &need,
                  std::vector<float> &hours, std::string &strFailure);

// The value(s) of one non-hourly result from year, whose furnace burns fuel
// at dFurnaceEfficiency; false for an unknown result or a count of values
// other than the result's.
bool SampleResult(const std::vector<SampleHour> &year, double dFurnaceEfficiency, const ResultNeed &need,
                  std::vector<float> &values, std::string &strFailure);
