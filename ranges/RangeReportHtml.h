// The comparison as one self-contained HTML page: inline CSS and SVG, no
// script, nothing fetched, readable offline and printable.  A summary of the
// counts, one chart per quantity group, then every row of the table.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "RangeComparison.h"

// Writes the page for rows (compared against data); strSource names what
// was compared (a results folder or a values file), as the user gave it.
void WriteRangeReportHtml(const ReferenceData &data, const std::vector<RangeRow> &rows, const std::string &strSource,
                          std::ostream &out);

// The one sentence at the top of the page: where the example results come
// from, and that the report tells only inside or outside their range.
std::string RangeReportStatement();
