#include "ConfirmationRule.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "FormatText.h"

namespace {

// A cell's value as a checking round reads it: a number by "%g", a text
// unchanged, anything else (an empty cell, an error) empty.
std::string CheckedCellText(const CellValue &value)
{
    switch (value.kind) {
    case CellValue::Kind::Number:
        return FormatText("%g", value.dNumber);
    case CellValue::Kind::Text:
        return value.strText;
    case CellValue::Kind::None:
        break;
    }
    return std::string();
}

}  // namespace

bool CheckedCellNumber(const CellValue &value, double &dCell)
{
    const std::string text = CheckedCellText(value);
    dCell = text.empty() ? 0.0 : LeadingNumber(text);
    return !text.empty();
}

bool PostedValueMatches(double dCell, double dComputed)
{
    const double dTolerance = 0.001 * std::max(std::fabs(dCell), std::fabs(dComputed));
    if (dComputed - dTolerance < dCell && dCell < dComputed + dTolerance)
        return true;
    return -0.0001 < dComputed && dComputed < 0.0001 && -0.0001 < dCell && dCell < 0.0001;
}

double LeadingNumber(const std::string &strText)
{
    size_t pos = 0;
    while (pos < strText.size() && std::isspace(static_cast<unsigned char>(strText[pos])))
        ++pos;
    const size_t start = pos;
    auto digits = [&] {
        const size_t first = pos;
        while (pos < strText.size() && std::isdigit(static_cast<unsigned char>(strText[pos])))
            ++pos;
        return pos - first;
    };
    if (pos < strText.size() && (strText[pos] == '+' || strText[pos] == '-'))
        ++pos;
    size_t mantissa = digits();
    if (pos < strText.size() && strText[pos] == '.') {
        ++pos;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0.0;
    const size_t endOfMantissa = pos;
    if (pos < strText.size() && (strText[pos] == 'e' || strText[pos] == 'E')) {
        ++pos;
        if (pos < strText.size() && (strText[pos] == '+' || strText[pos] == '-'))
            ++pos;
        if (digits() == 0)
            pos = endOfMantissa;
    }
    return std::strtod(strText.substr(start, pos - start).c_str(), nullptr);
}
