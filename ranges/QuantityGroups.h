// The rows of a comparison gathered into the groups that the report charts,
// one chart each, in the manner of the standard's figures: annual and peak
// loads of the low-mass and of the high-mass cases, free-float temperatures,
// solar radiation, each HVAC quantity over its cases, and the hourly series.
#pragma once

#include <string>
#include <vector>

#include "RangeComparison.h"

enum class ChartKind {
    Range,   // one category per row: the programs' range, each program, DOE-2
    Series,  // lines over the hours of a day, or over temperature bins
};

struct QuantityGroup {
    std::string strSection;
    std::string strTitle;       // "Annual heating, low-mass cases"
    std::string strUnit;        // as the data writes it ("MWh", "degC", "-")
    ChartKind kind = ChartKind::Range;
    std::string strAxis;        // Series: what runs along the x axis ("hour", "degC")
    std::vector<size_t> rows;   // indices into the compared rows, in the data's order
    std::vector<std::string> labels;  // Range: each row's category; Series: empty
    std::vector<double> xs;     // Series: each row's place on the x axis
};

// Every numeric row in exactly one group; dates and hours in none.
std::vector<QuantityGroup> GroupQuantities(const std::vector<RangeRow> &rows);

// The section's name for a heading ("5.3B: space cooling, CE300 to CE545").
std::string SectionTitle(const std::string &strSection);
