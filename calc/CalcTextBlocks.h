// Texts typed into the cells of one Calc sheet.  Typing a text into a cell
// on its own costs a few calls to Calc; a rectangle of texts that Calc
// reads the same either way (see TypedInput.h) in cells of the General
// format, without notes, goes in one call instead.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XCell.hpp>

#include "CalcSession.h"
#include "CellAddress.h"

// Types strText into the cell as a user types it into Calc (US English):
// "= 1 + D5" makes a formula, "1/4" a date with a date format.
void TypeIntoCell(const css::uno::Reference<css::table::XCell> &cell, const std::string &strText);

// Types each text into its cell of sheet (named strSheetName in messages):
// the rectangles of plain texts in one call each, every other text into
// its cell alone.  A rectangle Calc refuses (a protected sheet, part of an
// array formula) is typed cell by cell.
void TypeTexts(CalcSession &session, const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
               const std::string &strSheetName, const std::vector<std::pair<CellAddress, std::string>> &texts);
