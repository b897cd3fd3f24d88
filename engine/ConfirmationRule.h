// The rule by which a checking round confirms a posted number, and by which
// verify and diff tell numbers apart as the run would: how the number is
// read from a cell, and when it equals the computed one.
#pragma once

#include <string>

#include "Automation.h"

// The number a checking round reads from a cell, into dCell: a number as
// "%g" shows it (six significant digits), a text's LeadingNumber.  False
// for a cell with neither (an empty cell, an error), which no number is
// compared with.
bool CheckedCellNumber(const CellValue &value, double &dCell);

// True when the number read from a cell equals the computed value: within
// 0.1 % of the larger magnitude (both bounds strict), or both strictly
// within 0.0001 of zero.
bool PostedValueMatches(double dCell, double dComputed);

// The number at the start of strText in decimal floating-point syntax
// (after optional blanks); 0 when the text does not start with one.
double LeadingNumber(const std::string &strText);
