// The report page.  Charts are drawn in SVG user units of one CSS pixel;
// every mark of DOE-2 differs from the programs' marks by shape as well as
// by colour, so that the page reads the same printed in grey.
#include "RangeReportHtml.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>
#include <set>

#include "QuantityGroups.h"

namespace {

// ---- text ------------------------------------------------------------

std::string Escaped(const std::string &strText)
{
    std::string escaped;
    for (const char c : strText) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string Format(const char *pszFormat, double dValue)
{
    char text[64];
    std::snprintf(text, sizeof text, pszFormat, dValue);
    return text;
}

// A coordinate, to a tenth of a pixel.
std::string At(double dValue) { return Format("%.1f", dValue); }

// 10 to the power iExponent, by multiplications alone: the C libraries' pow
// and log10 differ in their last bits from one system to another, and the
// page must come out the same on Windows as on Linux.
double PowerOfTen(int iExponent)
{
    double power = 1.0;
    for (int i = 0; i < std::abs(iExponent); ++i)
        power *= 10.0;
    return iExponent < 0 ? 1.0 / power : power;
}

// The k with 10^k <= dValue < 10^(k+1), for a positive dValue.
int DecimalExponent(double dValue)
{
    int exponent = static_cast<int>(std::floor(std::log10(dValue)));
    while (exponent > -300 && PowerOfTen(exponent) > dValue)
        --exponent;
    while (exponent < 300 && PowerOfTen(exponent + 1) <= dValue)
        ++exponent;
    return exponent;
}

// A number for reading: about four significant digits, no exponent, no
// trailing zeros.
std::string Readable(double dValue)
{
    if (dValue == 0.0 || !std::isfinite(dValue))
        return dValue == 0.0 ? "0" : "";
    const int magnitude = DecimalExponent(std::fabs(dValue));
    const int decimals = std::clamp(3 - magnitude, 0, 8);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, dValue);
    std::string readable = text;
    if (readable.find('.') != std::string::npos) {
        readable.erase(readable.find_last_not_of('0') + 1);
        if (readable.back() == '.')
            readable.pop_back();
    }
    return readable == "-0" ? "0" : readable;
}

// A data text shown for reading: numbers shortened, dates as they are.
std::string ReadableText(const std::string &strText)
{
    double value = 0.0;
    return ParseReferenceNumber(strText, value) ? Readable(value) : strText;
}

std::string UnitText(const std::string &strUnit)
{
    if (strUnit == "degC")
        return "\u00b0C";
    if (strUnit == "-")
        return "";
    return strUnit;
}

// ---- scales ----------------------------------------------------------

// A linear axis over [lo, hi] with round ticks.
struct Scale {
    double lo = 0.0, hi = 1.0;
    std::vector<double> ticks;
    int decimals = 0;
    double from = 0.0, to = 1.0;  // pixels of lo and hi

    double operator()(double dValue) const { return from + (dValue - lo) / (hi - lo) * (to - from); }
    std::string Label(double dValue) const
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals, std::fabs(dValue) < 1e-12 ? 0.0 : dValue);
        return text;
    }
};

// Round ticks over the values; amounts that start near zero (loads,
// energies, hours) keep zero in view, as the standard's figures do.
Scale MakeScale(std::vector<double> values, double dFrom, double dTo, int iTicks = 5)
{
    Scale scale;
    scale.from = dFrom;
    scale.to = dTo;
    if (values.empty())
        values = {0.0, 1.0};
    double lo = *std::min_element(values.begin(), values.end());
    double hi = *std::max_element(values.begin(), values.end());
    if (lo >= 0.0 && lo < hi / 3.0)
        lo = 0.0;
    if (hi <= 0.0 && hi > lo / 3.0)
        hi = 0.0;
    if (hi - lo < 1e-12 * std::max(1.0, std::fabs(hi))) {
        const double pad = hi == 0.0 ? 1.0 : 0.1 * std::fabs(hi);
        lo -= pad;
        hi += pad;
    }
    const double rough = (hi - lo) / iTicks;
    const int exponent = DecimalExponent(rough);
    const double power = PowerOfTen(exponent);
    // Steps of 1, 2, 2.5 or 5 times a power of ten, or the next power.
    double step = 10 * power;
    scale.decimals = std::max(0, -exponent - 1);
    for (const double factor : {1.0, 2.0, 2.5, 5.0})
        if (factor * power >= rough) {
            step = factor * power;
            scale.decimals = std::max(0, -exponent + (factor == 2.5 ? 1 : 0));
            break;
        }
    scale.lo = std::floor(lo / step + 1e-9) * step;
    scale.hi = std::ceil(hi / step - 1e-9) * step;
    for (double tick = scale.lo; tick <= scale.hi + step / 2 && scale.ticks.size() < 50; tick += step)
        scale.ticks.push_back(tick);
    return scale;
}

// ---- marks -----------------------------------------------------------

const char kDoe2Colour[] = "#1f5fbf";
const char kOutsideColour[] = "#c8321e";

// DOE-2's mark: a diamond inside the range, a triangle pointing the way out
// of it outside, a circle where the row has no range.
std::string Doe2Mark(double x, double y, RangePosition position, double dSize)
{
    const double s = dSize;
    std::string points;
    const char *pszColour = kOutsideColour;
    if (position == RangePosition::Above)
        points = At(x) + ',' + At(y - s) + ' ' + At(x + s) + ',' + At(y + 0.7 * s) + ' ' + At(x - s) + ',' +
                 At(y + 0.7 * s);
    else if (position == RangePosition::Below)
        points = At(x) + ',' + At(y + s) + ' ' + At(x + s) + ',' + At(y - 0.7 * s) + ' ' + At(x - s) + ',' +
                 At(y - 0.7 * s);
    else if (position == RangePosition::Inside) {
        points = At(x) + ',' + At(y - s) + ' ' + At(x + s) + ',' + At(y) + ' ' + At(x) + ',' + At(y + s) + ' ' +
                 At(x - s) + ',' + At(y);
        pszColour = kDoe2Colour;
    } else
        return "<circle cx=\"" + At(x) + "\" cy=\"" + At(y) + "\" r=\"" + At(0.7 * s) + "\" fill=\"" + kDoe2Colour +
               "\" stroke=\"#000\"/>";
    return "<polygon points=\"" + points + "\" fill=\"" + pszColour + "\" stroke=\"#000\" stroke-width=\"1\"/>";
}

// The programs' lines of the series charts: grey, each its own dashes.
const char *const kDashes[] = {"", "6 3", "2 2", "8 3 2 3", "4 4", "1 3", "10 4", "6 2 2 2"};
const char *const kGreys[] = {"#333", "#666", "#444", "#777", "#222", "#555", "#888", "#3a3a3a"};
constexpr size_t kStyles = sizeof kDashes / sizeof kDashes[0];

std::string ProgramLineStyle(size_t index)
{
    std::string style = std::string("stroke=\"") + kGreys[index % kStyles] + "\" stroke-width=\"1.3\" fill=\"none\"";
    if (*kDashes[index % kStyles])
        style += std::string(" stroke-dasharray=\"") + kDashes[index % kStyles] + '"';
    return style;
}

// ---- charts ----------------------------------------------------------

constexpr double kTop = 14, kPlotHeight = 220;

// Room for the y axis: its longest tick label and the unit beside it.
double LeftMargin(const Scale &y)
{
    size_t widest = 0;
    for (const double tick : y.ticks)
        widest = std::max(widest, y.Label(tick).size());
    return 36 + 6.5 * widest;
}

void WriteYAxis(const Scale &y, double dLeft, double dRight, const std::string &strUnit, std::ostream &out)
{
    for (const double tick : y.ticks) {
        const double py = y(tick);
        out << "<line x1=\"" << At(dLeft) << "\" y1=\"" << At(py) << "\" x2=\"" << At(dRight) << "\" y2=\"" << At(py)
            << "\" stroke=\"#e4e4e4\"/>"
            << "<text x=\"" << At(dLeft - 6) << "\" y=\"" << At(py + 4) << "\" text-anchor=\"end\">"
            << y.Label(tick) << "</text>";
    }
    out << "<line x1=\"" << At(dLeft) << "\" y1=\"" << At(y.to) << "\" x2=\"" << At(dLeft) << "\" y2=\""
        << At(y.from) << "\" stroke=\"#000\"/>"
        << "<line x1=\"" << At(dLeft) << "\" y1=\"" << At(y.from) << "\" x2=\"" << At(dRight) << "\" y2=\""
        << At(y.from) << "\" stroke=\"#000\"/>";
    const double middle = (y.from + y.to) / 2;
    out << "<text x=\"14\" y=\"" << At(middle) << "\" transform=\"rotate(-90 14 " << At(middle)
        << ")\" text-anchor=\"middle\">" << Escaped(UnitText(strUnit).empty() ? "(ratio)" : UnitText(strUnit))
        << "</text>";
}

std::vector<double> ReferenceNumbers(const ReferenceRow &row)
{
    std::vector<double> numbers;
    double value = 0.0;
    for (const auto *pList : {&row.programs, &row.analytical})
        for (const ReferenceValue &program : *pList)
            if (ParseReferenceNumber(program.strText, value))
                numbers.push_back(value);
    return numbers;
}

void WriteRangeChart(const QuantityGroup &group, const std::vector<RangeRow> &rows, std::ostream &out)
{
    std::vector<double> all;
    for (const size_t index : group.rows) {
        const std::vector<double> numbers = ReferenceNumbers(*rows[index].pReference);
        all.insert(all.end(), numbers.begin(), numbers.end());
        if (rows[index].doe2)
            all.push_back(*rows[index].doe2);
    }
    const size_t count = group.rows.size();
    size_t longest = 0;
    for (const std::string &label : group.labels)
        longest = std::max(longest, label.size());
    const double bottom = kTop + kPlotHeight, height = bottom + 24 + 4.6 * longest;
    const Scale y = MakeScale(all, bottom, kTop);
    const double left = LeftMargin(y);
    const double width = std::clamp(880.0 / count, 26.0, 64.0);
    const double right = left + width * count;
    out << "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" << At(right + 12) << "\" height=\""
        << At(height) << "\" viewBox=\"0 0 " << At(right + 12) << ' ' << At(height) << "\" role=\"img\" aria-label=\""
        << Escaped(group.strTitle) << "\">";
    WriteYAxis(y, left, right, group.strUnit, out);
    for (size_t k = 0; k < count; ++k) {
        const RangeRow &row = rows[group.rows[k]];
        const ReferenceRow &reference = *row.pReference;
        const double cx = left + (k + 0.5) * width;
        double min = 0.0, max = 0.0;
        out << "<g><title>" << Escaped(group.labels[k]) << ": DOE-2 "
            << (row.doe2 ? Readable(*row.doe2) : std::string("no value")) << "; example results "
            << Escaped(ReadableText(reference.strMin)) << " to " << Escaped(ReadableText(reference.strMax)) << " ("
            << reference.iPrograms << " programs)</title>";
        if (ParseReferenceNumber(reference.strMin, min) && ParseReferenceNumber(reference.strMax, max))
            out << "<rect x=\"" << At(cx - 7) << "\" y=\"" << At(y(max)) << "\" width=\"14\" height=\""
                << At(std::max(1.5, y(min) - y(max))) << "\" fill=\"#d4d4d4\" stroke=\"#7a7a7a\"/>";
        double value = 0.0;
        for (const ReferenceValue &program : reference.programs)
            if (ParseReferenceNumber(program.strText, value))
                out << "<line x1=\"" << At(cx - 9) << "\" y1=\"" << At(y(value)) << "\" x2=\"" << At(cx + 9)
                    << "\" y2=\"" << At(y(value)) << "\" stroke=\"#222\" stroke-width=\"1.3\"/>";
        for (const ReferenceValue &solution : reference.analytical)
            if (ParseReferenceNumber(solution.strText, value))
                out << "<rect x=\"" << At(cx - 13) << "\" y=\"" << At(y(value) - 2.5)
                    << "\" width=\"5\" height=\"5\" fill=\"#fff\" stroke=\"#222\"/>";
        if (row.doe2)
            out << Doe2Mark(cx, y(*row.doe2), row.position, 6);
        out << "<text x=\"" << At(cx + 4) << "\" y=\"" << At(bottom + 12) << "\" transform=\"rotate(-45 "
            << At(cx + 4) << ' ' << At(bottom + 12) << ")\" text-anchor=\"end\">" << Escaped(group.labels[k])
            << "</text></g>";
    }
    out << "</svg>\n";
}

// The x range of a series chart: the hours of the day, or the bins that
// hold any hours (a year of bins is mostly empty).
std::pair<double, double> SeriesSpan(const QuantityGroup &group, const std::vector<RangeRow> &rows)
{
    double lo = 1e300, hi = -1e300;
    for (size_t k = 0; k < group.rows.size(); ++k) {
        const RangeRow &row = rows[group.rows[k]];
        std::vector<double> numbers = ReferenceNumbers(*row.pReference);
        if (row.doe2)
            numbers.push_back(*row.doe2);
        const bool bAny = std::any_of(numbers.begin(), numbers.end(), [](double v) { return v != 0.0; });
        if (group.strAxis == "hour" || bAny) {
            lo = std::min(lo, group.xs[k]);
            hi = std::max(hi, group.xs[k]);
        }
    }
    if (lo > hi)
        return {group.xs.front(), group.xs.back()};
    if (group.strAxis != "hour")
        return {lo - 1, hi + 1};
    return {lo, hi};
}

// Polylines through the points, broken where a point has no value.
void WritePolylines(const std::vector<std::pair<double, double>> &points, const std::vector<bool> &present,
                    const std::string &strStyle, std::ostream &out)
{
    std::string line;
    size_t inLine = 0;
    auto flush = [&] {
        if (inLine > 1)
            out << "<polyline points=\"" << line << "\" " << strStyle << "/>";
        line.clear();
        inLine = 0;
    };
    for (size_t i = 0; i < points.size(); ++i) {
        if (!present[i]) {
            flush();
            continue;
        }
        line += (inLine ? " " : "") + At(points[i].first) + ',' + At(points[i].second);
        ++inLine;
    }
    flush();
}

void WriteSeriesChart(const QuantityGroup &group, const std::vector<RangeRow> &rows, std::ostream &out)
{
    const auto [xLo, xHi] = SeriesSpan(group, rows);
    std::vector<size_t> shown;
    std::vector<double> all;
    std::vector<std::string> programs;
    for (size_t k = 0; k < group.rows.size(); ++k) {
        if (group.xs[k] < xLo || group.xs[k] > xHi)
            continue;
        shown.push_back(k);
        const RangeRow &row = rows[group.rows[k]];
        for (const ReferenceValue &program : row.pReference->programs)
            if (std::find(programs.begin(), programs.end(), program.strProgram) == programs.end())
                programs.push_back(program.strProgram);
        const std::vector<double> numbers = ReferenceNumbers(*row.pReference);
        all.insert(all.end(), numbers.begin(), numbers.end());
        if (row.doe2)
            all.push_back(*row.doe2);
    }
    const double bottom = kTop + kPlotHeight;
    const double height = std::max(bottom + 44, kTop + 18.0 * (programs.size() + 2));
    const Scale y = MakeScale(all, bottom, kTop);
    const double left = LeftMargin(y), plotRight = left + 560, legendX = plotRight + 24;
    const Scale x = MakeScale({xLo, xHi}, left + 8, plotRight - 8, group.strAxis == "hour" ? 12 : 10);
    auto px = [&](double value) { return left + 8 + (value - xLo) / std::max(1e-9, xHi - xLo) * (560 - 16); };
    out << "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" << At(legendX + 150) << "\" height=\""
        << At(height) << "\" viewBox=\"0 0 " << At(legendX + 150) << ' ' << At(height) << "\" role=\"img\" aria-label=\""
        << Escaped(group.strTitle) << "\">";
    WriteYAxis(y, left, plotRight, group.strUnit, out);
    for (const double tick : x.ticks)
        if (tick >= xLo - 1e-9 && tick <= xHi + 1e-9)
            out << "<text x=\"" << At(px(tick)) << "\" y=\"" << At(bottom + 16) << "\" text-anchor=\"middle\">"
                << x.Label(tick) << "</text>";
    out << "<text x=\"" << At((left + plotRight) / 2) << "\" y=\"" << At(bottom + 36) << "\" text-anchor=\"middle\">"
        << (group.strAxis == "hour" ? "hour of the day" : "free-float temperature bin (\u00b0C)") << "</text>";
    for (size_t p = 0; p < programs.size(); ++p) {
        std::vector<std::pair<double, double>> points;
        std::vector<bool> present;
        for (const size_t k : shown) {
            double value = 0.0;
            bool bHas = false;
            for (const ReferenceValue &program : rows[group.rows[k]].pReference->programs)
                if (program.strProgram == programs[p])
                    bHas = ParseReferenceNumber(program.strText, value);
            points.emplace_back(px(group.xs[k]), bHas ? y(value) : 0.0);
            present.push_back(bHas);
        }
        out << "<g><title>" << Escaped(programs[p]) << "</title>";
        WritePolylines(points, present, ProgramLineStyle(p), out);
        out << "</g>";
    }
    std::vector<std::pair<double, double>> points;
    std::vector<bool> present;
    for (const size_t k : shown) {
        const RangeRow &row = rows[group.rows[k]];
        points.emplace_back(px(group.xs[k]), row.doe2 ? y(*row.doe2) : 0.0);
        present.push_back(row.doe2.has_value());
    }
    out << "<g><title>DOE-2</title>";
    WritePolylines(points, present, std::string("stroke=\"") + kDoe2Colour + "\" stroke-width=\"2.6\" fill=\"none\"",
                   out);
    for (size_t i = 0; i < shown.size(); ++i)
        if (present[i])
            out << Doe2Mark(points[i].first, points[i].second, rows[group.rows[shown[i]]].position, 4);
    out << "</g>";
    // The legend: each program's line, then DOE-2's.
    double ly = kTop + 8;
    for (size_t p = 0; p < programs.size(); ++p, ly += 18)
        out << "<line x1=\"" << At(legendX) << "\" y1=\"" << At(ly) << "\" x2=\"" << At(legendX + 28) << "\" y2=\""
            << At(ly) << "\" " << ProgramLineStyle(p) << "/><text x=\"" << At(legendX + 34) << "\" y=\""
            << At(ly + 4) << "\">" << Escaped(programs[p]) << "</text>";
    out << "<line x1=\"" << At(legendX) << "\" y1=\"" << At(ly) << "\" x2=\"" << At(legendX + 28) << "\" y2=\""
        << At(ly) << "\" stroke=\"" << kDoe2Colour << "\" stroke-width=\"2.6\"/>"
        << Doe2Mark(legendX + 14, ly, RangePosition::Inside, 4) << "<text x=\"" << At(legendX + 34) << "\" y=\""
        << At(ly + 4) << "\" font-weight=\"bold\">DOE-2</text>";
    out << "</svg>\n";
}

// ---- page ------------------------------------------------------------

const char kStyle[] = R"(
body { font-family: "DejaVu Sans", Verdana, Arial, sans-serif; font-size: 14px; color: #111; margin: 24px auto; max-width: 1180px; padding: 0 16px; }
h1 { font-size: 24px; margin-bottom: 8px; }
h2 { font-size: 19px; margin-top: 32px; border-bottom: 1px solid #999; }
h3 { font-size: 16px; margin-top: 24px; }
h4 { font-size: 14px; margin: 18px 0 4px; }
p.statement { font-size: 15px; background: #f2f2f2; border-left: 4px solid #555; padding: 8px 12px; }
table { border-collapse: collapse; margin: 8px 0; }
th, td { border: 1px solid #bbb; padding: 2px 6px; text-align: left; vertical-align: top; }
td.n { text-align: right; }
tr.outside td { background: #fbe3df; }
tr.outside td.position { font-weight: bold; }
table.rows { font-size: 12px; }
div.columns { display: flex; gap: 12px; align-items: flex-start; }
div.columns > table { flex: 1 1 0; }
table.groups { font-size: 12px; }
table.groups td, table.groups th { padding: 1px 4px; }
table.groups th.section { background: #eee; }
table.rows td.programs { font-size: 11px; color: #333; }
svg.chart { display: block; font-size: 11px; font-family: inherit; }
svg.legend { font-size: 12px; font-family: inherit; }
section.group { break-inside: avoid; page-break-inside: avoid; }
@media print {
  body { margin: 0; max-width: none; font-size: 11px; }
  p.statement { background: none; border: 1px solid #555; }
  tr.outside td { background: none; }
  h2 { break-before: page; }
  h2.first { break-before: auto; }
}
)";

void WriteLegend(std::ostream &out)
{
    out << "<svg class=\"legend\" xmlns=\"http://www.w3.org/2000/svg\" width=\"760\" height=\"40\" viewBox=\"0 0 760 "
           "40\" role=\"img\" aria-label=\"legend\">"
        << "<rect x=\"6\" y=\"6\" width=\"14\" height=\"28\" fill=\"#d4d4d4\" stroke=\"#7a7a7a\"/>"
        << "<line x1=\"4\" y1=\"14\" x2=\"22\" y2=\"14\" stroke=\"#222\" stroke-width=\"1.3\"/>"
        << "<line x1=\"4\" y1=\"26\" x2=\"22\" y2=\"26\" stroke=\"#222\" stroke-width=\"1.3\"/>"
        << "<text x=\"28\" y=\"24\">range of the example results; a line for each program</text>"
        << "<rect x=\"360\" y=\"17.5\" width=\"5\" height=\"5\" fill=\"#fff\" stroke=\"#222\"/>"
        << "<text x=\"370\" y=\"24\">analytical solution</text>" << Doe2Mark(500, 20, RangePosition::Inside, 6)
        << "<text x=\"510\" y=\"24\">DOE-2 inside</text>" << Doe2Mark(610, 20, RangePosition::Above, 6)
        << Doe2Mark(626, 20, RangePosition::Below, 6) << "<text x=\"638\" y=\"24\">DOE-2 above, below</text>"
        << "</svg>\n";
}

const char kCountHeads[] =
    "<th>compared</th><th>inside</th><th>below</th><th>above</th><th>no DOE-2 value</th>";

void WriteGroupTable(const std::vector<RangeRow> &rows, const std::vector<QuantityGroup> &groups, size_t first,
                     size_t last, std::ostream &out)
{
    out << "<table class=\"groups\"><tr><th>quantity</th><th>unit</th><th>inside</th><th>below</th><th>above</th>"
           "<th>no value</th></tr>\n";
    for (size_t g = first; g < last; ++g) {
        if (g == first || groups[g].strSection != groups[g - 1].strSection)
            out << "<tr><th colspan=\"6\" class=\"section\">" << Escaped(SectionTitle(groups[g].strSection))
                << "</th></tr>\n";
        RangeCounts counts;
        for (const size_t index : groups[g].rows)
            counts.Add(rows[index].position);
        out << "<tr" << (counts.below + counts.above ? " class=\"outside\"" : "") << "><td><a href=\"#group" << g
            << "\">" << Escaped(groups[g].strTitle) << "</a></td><td>" << Escaped(UnitText(groups[g].strUnit))
            << "</td><td class=\"n\">" << counts.inside << "</td><td class=\"n\">" << counts.below
            << "</td><td class=\"n\">" << counts.above << "</td><td class=\"n\">" << counts.noValue
            << "</td></tr>\n";
    }
    out << "</table>\n";
}

void WriteSummary(const std::vector<RangeRow> &rows, const std::vector<QuantityGroup> &groups,
                  const std::vector<std::string> &sections, std::ostream &out)
{
    std::map<std::string, RangeCounts> bySection;
    for (const RangeRow &row : rows)
        bySection[row.pReference->strSection].Add(row.position);
    out << "<h2 class=\"first\">Summary</h2>\n<table class=\"summary\"><tr><th>section</th>" << kCountHeads
        << "</tr>\n";
    for (const std::string &section : sections) {
        const RangeCounts &counts = bySection[section];
        out << "<tr><td>" << Escaped(SectionTitle(section)) << "</td><td class=\"n\">" << counts.Compared()
            << "</td><td class=\"n\">" << counts.inside << "</td><td class=\"n\">" << counts.below
            << "</td><td class=\"n\">" << counts.above << "</td><td class=\"n\">" << counts.noValue
            << "</td></tr>\n";
    }
    out << "</table>\n<p>By quantity (each links to its chart; dates and hours of peaks are listed in the table "
           "at the end beside the programs' dates and hours, not placed in a range):</p>\n<div class=\"columns\">";
    // Two tables side by side keep the summary within a screen or a page.
    const size_t half = (groups.size() + 1) / 2;
    WriteGroupTable(rows, groups, 0, half, out);
    WriteGroupTable(rows, groups, half, groups.size(), out);
    out << "</div>\n";
}

void WriteMatching(const ReferenceData &data, std::ostream &out)
{
    out << "<h2>Cells not matched by the workbooks' layout</h2>\n<ul>\n";
    for (const MatchingRule &rule : data.rules)
        out << "<li><b>" << Escaped(rule.strSection) << ' ' << Escaped(rule.strQuantity) << "</b>: "
            << (rule.strDecision == "leave-out" ? "not compared. " : "compared. ") << Escaped(rule.strReason)
            << "</li>\n";
    out << "</ul>\n";
}

void WriteCharts(const std::vector<RangeRow> &rows, const std::vector<QuantityGroup> &groups, std::ostream &out)
{
    out << "<h2>Charts</h2>\n";
    WriteLegend(out);
    std::string section;
    for (size_t g = 0; g < groups.size(); ++g) {
        const QuantityGroup &group = groups[g];
        if (group.strSection != section) {
            section = group.strSection;
            out << "<h3>" << Escaped(SectionTitle(section)) << "</h3>\n";
        }
        const std::string unit = UnitText(group.strUnit);
        out << "<section class=\"group\" id=\"group" << g << "\"><h4>" << Escaped(group.strTitle)
            << (unit.empty() ? "" : " (" + Escaped(unit) + ")") << "</h4>\n";
        if (group.kind == ChartKind::Range)
            WriteRangeChart(group, rows, out);
        else
            WriteSeriesChart(group, rows, out);
        out << "</section>\n";
    }
}

void WriteTable(const std::vector<RangeRow> &rows, std::ostream &out)
{
    out << "<h2>All results</h2>\n<table class=\"rows\"><tr><th>section</th><th>case</th><th>quantity</th>"
           "<th>unit</th><th>DOE-2</th><th>min</th><th>max</th><th>n</th><th>position</th><th>beyond (%)</th>"
           "<th>programs</th></tr>\n";
    for (const RangeRow &row : rows) {
        const ReferenceRow &reference = *row.pReference;
        const bool bOutside = row.position == RangePosition::Below || row.position == RangePosition::Above;
        std::string position = PositionName(row.position);
        if (row.position == RangePosition::Above)
            position += " \u25b2";
        else if (row.position == RangePosition::Below)
            position += " \u25bc";
        std::string programs;
        for (const auto *pList : {&reference.programs, &reference.analytical})
            for (const ReferenceValue &value : *pList)
                programs += (programs.empty() ? "" : "; ") + value.strProgram + ' ' + ReadableText(value.strText);
        out << "<tr" << (bOutside ? " class=\"outside\"" : "") << "><td>" << Escaped(reference.strSection)
            << "</td><td>" << Escaped(reference.strCase) << "</td><td>" << Escaped(reference.strQuantity)
            << "</td><td>" << Escaped(UnitText(reference.strUnit)) << "</td><td class=\"n\">"
            << Escaped(row.doe2 ? Readable(*row.doe2) : row.strDoe2Text) << "</td><td class=\"n\">"
            << Escaped(ReadableText(reference.strMin)) << "</td><td class=\"n\">"
            << Escaped(ReadableText(reference.strMax)) << "</td><td class=\"n\">" << reference.iPrograms
            << "</td><td class=\"position\">" << position << "</td><td class=\"n\">"
            << (row.position == RangePosition::Inside ? "0"
                                                      : row.beyondPercent ? Format("%.1f", *row.beyondPercent) : "")
            << "</td><td class=\"programs\">" << Escaped(programs) << "</td></tr>\n";
    }
    out << "</table>\n";
}

}  // namespace

std::string RangeReportStatement()
{
    return std::string("The example results are those of the results workbooks of ") + kReferenceEdition +
           " (for sections 5.3 and 5.4 the same in the 2020 edition), whose own statistics \u201cdo not have any "
           "substantial importance and are not to be interpreted as acceptance criteria\u201d, so this report tells "
           "only whether each DOE-2 result lies inside or outside the range of the example results.";
}

void WriteRangeReportHtml(const ReferenceData &data, const std::vector<RangeRow> &rows, const std::string &strSource,
                          std::ostream &out)
{
    const std::vector<QuantityGroup> groups = GroupQuantities(rows);
    std::vector<std::string> sections;
    for (const RangeRow &row : rows)
        if (std::find(sections.begin(), sections.end(), row.pReference->strSection) == sections.end())
            sections.push_back(row.pReference->strSection);
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<title>DOE-2 among the Standard 140 example results</title>\n<style>" << kStyle << "</style>\n</head>\n"
        << "<body>\n<h1>DOE-2 among the Standard 140 example results</h1>\n"
        << "<p class=\"statement\">" << Escaped(RangeReportStatement()) << "</p>\n"
        << "<p>DOE-2 results: " << Escaped(strSource) << "<br>Each result is placed against the lowest and the "
        << "highest value of the example programs (below, inside or above), and outside the range the distance "
        << "beyond the nearer bound is given in percent of that bound. The results of section 5.3 are converted "
        << "from what Gombrel posts (kBtu, \u00b0F, the compressor with the outdoor fan) into the workbooks' units "
        << "as the workbooks' DOE-2 sheets convert them.</p>\n";
    WriteSummary(rows, groups, sections, out);
    WriteMatching(data, out);
    WriteCharts(rows, groups, out);
    WriteTable(rows, out);
    out << "</body>\n</html>\n";
}
