#include "RangeComparison.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "CellFormula.h"

const char kRangesHeader[] = "section\tcase\tquantity\tunit\tdoe2\tmin\tmax\tn\tposition\tbeyond_pct\tprograms";

namespace {

// Conversions refer to other rows' cells, which refer to posted cells; no
// chain in the data is deeper than three, so eight ends any loop a broken
// formula could make.
constexpr int kMaxFormulaDepth = 8;

// The rows' values of one section, formed from the posted cells of its table.
class SectionValues {
public:
    SectionValues(const ReferenceData &data, const std::string &strSection, const PostedCells &posted)
    {
        for (const ReferenceSection &section : g_aReferenceSections)
            if (strSection == section.pszSection) {
                const auto found = posted.find(section.pszTable);
                if (found != posted.end())
                    m_pCells = &found->second;
            }
        for (const ReferenceRow &row : data.rows)
            if (row.strSection == strSection)
                m_rowsByCell[row.strYourDataCell] = &row;
    }

    std::optional<double> NumberOf(const ReferenceRow &row) const
    {
        double value = 0.0;
        return RowNumber(row, 0, value) ? std::optional<double>(value) : std::nullopt;
    }

    // A date or an hour as posted (an hour may be posted as a number).
    std::string TextOf(const ReferenceRow &row) const
    {
        const PostedValue *pValue = Posted(row.strProjectCell);
        if (!pValue || !row.strLeftOut.empty())
            return "";
        return pValue->bNumber ? FormatShortest(pValue->dNumber) : pValue->strText;
    }

private:
    const std::map<std::string, PostedValue> *m_pCells = nullptr;
    std::map<std::string, const ReferenceRow *> m_rowsByCell;

    const PostedValue *Posted(const std::string &strCell) const
    {
        if (!m_pCells || strCell.empty())
            return nullptr;
        const auto found = m_pCells->find(strCell);
        return found == m_pCells->end() ? nullptr : &found->second;
    }

    bool RowNumber(const ReferenceRow &row, int iDepth, double &dValue) const
    {
        if (!row.strLeftOut.empty() || iDepth > kMaxFormulaDepth)
            return false;
        if (!row.strConversion.empty())
            return Evaluate(row.strConversion, iDepth, dValue);
        return PostedNumber(row.strProjectCell, iDepth, dValue);
    }

    // A cell of a conversion: one of the section's own rows (a derived
    // quantity refers to the converted parts), else a posted cell.
    bool CellNumber(const std::string &strCell, int iDepth, double &dValue) const
    {
        const auto row = m_rowsByCell.find(strCell);
        if (row != m_rowsByCell.end())
            return RowNumber(*row->second, iDepth + 1, dValue);
        return PostedNumber(strCell, iDepth, dValue);
    }

    // A posted number, or the value of a posted formula over other posted
    // cells, as the spreadsheet would compute it.
    bool PostedNumber(const std::string &strCell, int iDepth, double &dValue) const
    {
        const PostedValue *pValue = Posted(strCell);
        if (!pValue)
            return false;
        if (pValue->bNumber) {
            dValue = pValue->dNumber;
            return std::isfinite(dValue);
        }
        const size_t first = pValue->strText.find_first_not_of(' ');
        if (first == std::string::npos || pValue->strText[first] != '=' || iDepth > kMaxFormulaDepth)
            return false;
        return EvaluateCellFormula(
            pValue->strText,
            [&](const std::string &strOther, double &dOther) { return PostedNumber(strOther, iDepth + 1, dOther); },
            dValue);
    }

    bool Evaluate(const std::string &strFormula, int iDepth, double &dValue) const
    {
        return EvaluateCellFormula(
            strFormula, [&](const std::string &strCell, double &dCell) { return CellNumber(strCell, iDepth, dCell); },
            dValue);
    }
};

std::string FormatPercent(double dPercent)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.1f", dPercent);
    return text;
}

}  // namespace

bool ParseReferenceNumber(const std::string &strText, double &dValue)
{
    char *pEnd = nullptr;
    dValue = std::strtod(strText.c_str(), &pEnd);
    return !strText.empty() && *pEnd == '\0' && std::isfinite(dValue);
}

std::string FormatShortest(double dValue)
{
    char text[64];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, dValue);
    return std::string(text, result.ptr);
}

const char *PositionName(RangePosition position)
{
    switch (position) {
    case RangePosition::Inside:
        return "inside";
    case RangePosition::Below:
        return "below";
    case RangePosition::Above:
        return "above";
    case RangePosition::NoValue:
        return "no-value";
    case RangePosition::NotApplicable:
        break;
    }
    return "n/a";
}

void RangeCounts::Add(RangePosition position)
{
    switch (position) {
    case RangePosition::Inside:
        ++inside;
        break;
    case RangePosition::Below:
        ++below;
        break;
    case RangePosition::Above:
        ++above;
        break;
    case RangePosition::NoValue:
        ++noValue;
        break;
    case RangePosition::NotApplicable:
        break;
    }
}

RangePosition PlaceInRange(double dValue, double dMin, double dMax, std::optional<double> &beyondPercent)
{
    beyondPercent.reset();
    const double noise = kBoundNoise * std::max(std::fabs(dMin), std::fabs(dMax));
    const bool bBelow = dValue < dMin - noise, bAbove = dValue > dMax + noise;
    if (!bBelow && !bAbove)
        return RangePosition::Inside;
    const double bound = bBelow ? dMin : dMax;
    if (bound != 0.0)
        beyondPercent = 100.0 * std::fabs(dValue - bound) / std::fabs(bound);
    return bBelow ? RangePosition::Below : RangePosition::Above;
}

std::vector<RangeRow> CompareWithReference(const ReferenceData &data, const PostedCells &posted,
                                           const std::vector<std::string> &sections)
{
    std::map<std::string, SectionValues> values;
    std::vector<RangeRow> rows;
    for (const ReferenceRow &reference : data.rows) {
        if (!reference.strLeftOut.empty())
            continue;
        if (!sections.empty() && std::find(sections.begin(), sections.end(), reference.strSection) == sections.end())
            continue;
        auto section = values.find(reference.strSection);
        if (section == values.end())
            section = values.emplace(reference.strSection, SectionValues(data, reference.strSection, posted)).first;
        RangeRow row;
        row.pReference = &reference;
        if (reference.IsDateOrHour()) {
            row.strDoe2Text = section->second.TextOf(reference);
            row.position = row.strDoe2Text.empty() ? RangePosition::NoValue : RangePosition::NotApplicable;
        } else {
            row.doe2 = section->second.NumberOf(reference);
            double min = 0.0, max = 0.0;
            if (!row.doe2)
                row.position = RangePosition::NoValue;
            else if (!ParseReferenceNumber(reference.strMin, min) || !ParseReferenceNumber(reference.strMax, max))
                row.position = RangePosition::NotApplicable;
            else
                row.position = PlaceInRange(*row.doe2, min, max, row.beyondPercent);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string FormatRangeRow(const RangeRow &row)
{
    const ReferenceRow &reference = *row.pReference;
    std::string doe2 = row.doe2 ? FormatShortest(*row.doe2) : row.strDoe2Text;
    std::string beyond;
    if (row.position == RangePosition::Inside)
        beyond = "0";
    else if (row.beyondPercent)
        beyond = FormatPercent(*row.beyondPercent);
    std::string programs;
    for (const auto *pList : {&reference.programs, &reference.analytical})
        for (const ReferenceValue &value : *pList)
            programs += (programs.empty() ? "" : ";") + value.strProgram + '=' + value.strText;
    return reference.strSection + '\t' + reference.strCase + '\t' + reference.strQuantity + '\t' + reference.strUnit +
           '\t' + doe2 + '\t' + reference.strMin + '\t' + reference.strMax + '\t' +
           std::to_string(reference.iPrograms) + '\t' + PositionName(row.position) + '\t' + beyond + '\t' + programs;
}
