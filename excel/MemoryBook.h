// A workbook as plain data: named sheets of cells, and the small text file
// the in-memory spreadsheet loads it from and saves it to.
//
// File layout, one item a line, fields separated by tabs, texts escaped with
// \\, \t and \n:
//     gombrel-memory-workbook 1
//     sheet   NAME
//     cell    ADDRESS  number|text|formula|error  VALUE
// A cell line belongs to the sheet line above it.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// What one cell holds.  A formula keeps its text (it is never computed); an
// error cell stands for a spreadsheet error value such as "#N/A".
struct MemoryCell {
    enum class Kind { Number, Text, Formula, Error };
    Kind kind = Kind::Text;
    double dNumber = 0.0;
    std::string strText;
};

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

struct MemorySheet {
    std::string strName;
    std::map<CellAddress, MemoryCell> cells;
};

struct MemoryBook {
    std::vector<MemorySheet> sheets;
};

// Reads an A1 address ("C65", lower case allowed) within the old workbook
// limits (columns A to IV, rows 1 to 65536); false for anything else.
bool ParseCellAddress(const std::string &strText, CellAddress &address);

// The A1 text of address ("C65").
std::string FormatCellAddress(const CellAddress &address);

// Fills book from the file at strPath; false with strFailure set when the
// file cannot be read or is not a memory workbook.
bool LoadMemoryBook(const std::string &strPath, MemoryBook &book, std::string &strFailure);

// Writes book to the file at strPath, replacing it; false with strFailure
// set when it cannot be written.
bool SaveMemoryBook(const std::string &strPath, const MemoryBook &book, std::string &strFailure);
