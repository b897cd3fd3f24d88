// Where each posted DOE-2 result lies against the example results: the
// row's value formed from the posted cells and converted into the row's
// unit, then placed inside, below or above the range of the programs.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ReferenceData.h"

// What a posting round writes into one cell: a number, or a text (a date,
// an hour, or a formula such as "= 11552 + D146").
struct PostedValue {
    bool bNumber = true;
    double dNumber = 0.0;
    std::string strText;
};

// The posted values by table name ("Std140Sec5_2Items"), then by cell ("C65").
using PostedCells = std::map<std::string, std::map<std::string, PostedValue>>;

enum class RangePosition { Inside, Below, Above, NoValue, NotApplicable };

struct RangeRow {
    const ReferenceRow *pReference = nullptr;
    std::optional<double> doe2;  // numeric rows: the value in the row's unit
    std::string strDoe2Text;     // dates and hours: what was posted
    RangePosition position = RangePosition::NoValue;
    // Beyond the nearer bound, in percent of its magnitude; none inside,
    // without a value, and when that bound is 0.
    std::optional<double> beyondPercent;
};

// A value within this share of the larger bound's magnitude of a bound
// counts as on it: the conversions' rounding, never a real difference.
constexpr double kBoundNoise = 1e-9;

// The position of dValue in [dMin, dMax] and, outside, how far beyond.
RangePosition PlaceInRange(double dValue, double dMin, double dMax, std::optional<double> &beyondPercent);

// Every row of data that is not left out, for the sections given (all when
// empty), in the data's order.
std::vector<RangeRow> CompareWithReference(const ReferenceData &data, const PostedCells &posted,
                                           const std::vector<std::string> &sections = {});

// The header of the table and one row of it, tab-separated, without the
// line end.
extern const char kRangesHeader[];
std::string FormatRangeRow(const RangeRow &row);

// "inside", "below", "above", "no-value", "n/a".
const char *PositionName(RangePosition position);

// Numbers as the shortest text that reads back as the same double.
std::string FormatShortest(double dValue);

// A value of the data as a number: false for a date, an hour, an empty field.
bool ParseReferenceNumber(const std::string &strText, double &dValue);

// The counts of one section (or group): rows placed inside, below and above,
// rows without a DOE-2 value.
struct RangeCounts {
    size_t inside = 0, below = 0, above = 0, noValue = 0;
    size_t Compared() const { return inside + below + above; }
    void Add(RangePosition position);
};
