// Which texts Calc reads the same whether they are typed into a cell on
// their own or put into a block of cells in one call.  Typed into a cell, a
// text is read by the rules of the cell's number format and may give the
// cell a format of its own (a date does); put into a block, it is read as
// US English input and the cell's format is left alone.  For the texts
// below the two agree in a cell of the General format.
#pragma once

#include <string>

// True for a decimal number ("17", "-1", "0.25"; no exponent, no sign but
// a leading minus) and for a formula of numbers, cell references (A1
// style, "$" allowed), blanks, + - * / and parentheses, such as
// "= 1235 + D146"; false for anything else, dates and the empty text
// included.
bool IsPlainTypedInput(const std::string &strText);

// True for a month and a day as the program posts dates ("1/4", "12/31":
// one or two digits each, nothing else).  Typed into a cell of the General
// format Calc reads such a text as that day of the current year and gives
// the cell a date format, the same one for every text of this shape; put
// into a block it gets the same value and keeps the General format, so a
// block of them must be given that format afterwards.
bool IsMonthDayInput(const std::string &strText);
