// Cell addresses in A1 style ("C65") and the size of the sheets they must
// fit in.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

// A cell position: column 1 is A, row 1 is the first row.  Ordered by row,
// then column, as a sheet is read.
struct CellAddress {
    int iColumn = 0;
    int iRow = 0;
    bool operator<(const CellAddress &other) const
    {
        return std::make_pair(iRow, iColumn) < std::make_pair(other.iRow, other.iColumn);
    }
};

// A rectangle of cells, first (top left) to last (bottom right) inclusive.
struct CellArea {
    CellAddress first;
    CellAddress last;

    bool Contains(const CellAddress &address) const;
    int64_t CellCount() const;
};

// The last column and row of a sheet.  Workbooks of the old binary format
// (.xls) end at IV65536: a cell beyond that would be lost on saving.
struct CellLimits {
    int iLastColumn;
    int iLastRow;
};
constexpr CellLimits kBinaryWorkbookLimits = {256, 65536};
constexpr CellLimits kWideWorkbookLimits = {16384, 1048576};

// Reads an A1 address ("C65", lower case allowed, no "$") that lies within
// limits; false for anything else.
bool ParseCellAddress(const std::string &strText, CellAddress &address,
                      const CellLimits &limits = kBinaryWorkbookLimits);

// The A1 text of address ("C65").
std::string FormatCellAddress(const CellAddress &address);
