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
#include <vector>

#include "CellAddress.h"

// How the file begins: what tells it for a workbook of this kind.
inline constexpr char kMemoryBookMark[] = "gombrel-memory-workbook";

// What one cell holds.  A formula keeps its text (it is never computed); an
// error cell stands for a spreadsheet error value such as "#N/A".
struct MemoryCell {
    enum class Kind { Number, Text, Formula, Error };
    Kind kind = Kind::Text;
    double dNumber = 0.0;
    std::string strText;
};

struct MemorySheet {
    std::string strName;
    std::map<CellAddress, MemoryCell> cells;
};

struct MemoryBook {
    std::vector<MemorySheet> sheets;
};

// Fills book from the file at strPath; false with strFailure set when the
// file cannot be read or is not a memory workbook.
bool LoadMemoryBook(const std::string &strPath, MemoryBook &book, std::string &strFailure);

// Writes book to the file at strPath, replacing it; false with strFailure
// set when it cannot be written.
bool SaveMemoryBook(const std::string &strPath, const MemoryBook &book, std::string &strFailure);
