#include "CellAddress.h"

#include <cctype>
#include <cstdlib>

namespace {

// Column number of letters ("A" 1, "IV" 256); 0 when out of range.
int ColumnNumber(const std::string &strLetters, int iLastColumn)
{
    int column = 0;
    for (char letter : strLetters) {
        column = column * 26 + (letter - 'A' + 1);
        if (column > iLastColumn)
            return 0;
    }
    return column;
}

}  // namespace

bool CellArea::Contains(const CellAddress &address) const
{
    return first.iColumn <= address.iColumn && address.iColumn <= last.iColumn && first.iRow <= address.iRow &&
           address.iRow <= last.iRow;
}

int64_t CellArea::CellCount() const
{
    return int64_t(last.iColumn - first.iColumn + 1) * int64_t(last.iRow - first.iRow + 1);
}

bool ParseCellAddress(const std::string &strText, CellAddress &address, const CellLimits &limits)
{
    size_t split = 0;
    std::string letters;
    while (split < strText.size() && std::isalpha(static_cast<unsigned char>(strText[split])))
        letters += static_cast<char>(std::toupper(static_cast<unsigned char>(strText[split++])));
    const std::string digits = strText.substr(split);
    if (letters.empty() || letters.size() > 3 || digits.empty() || digits.size() > 7 || digits[0] == '0' ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int column = ColumnNumber(letters, limits.iLastColumn);
    const int row = std::atoi(digits.c_str());
    if (column == 0 || row > limits.iLastRow)
        return false;
    address = {column, row};
    return true;
}

std::string FormatCellAddress(const CellAddress &address)
{
    std::string letters;
    for (int column = address.iColumn; column > 0; column = (column - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters + std::to_string(address.iRow);
}

