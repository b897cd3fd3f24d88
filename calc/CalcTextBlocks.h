// Texts typed into the cells of one Calc sheet.  Typing a text into a cell
// on its own costs a few calls to Calc; a rectangle of texts that Calc
// reads the same either way, and of months and days, which typed alone
// also get a date format (see TypedInput.h), goes in a few calls instead
// when its cells have the General format and no note.
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
// the rectangles of plain texts and dates in a few calls each, every other
// text into its cell alone.  A rectangle Calc refuses (a protected sheet,
// part of an array formula) or cannot put the same way is typed cell by
// cell, which leaves each cell as typing it alone does.
void TypeTexts(CalcSession &session, const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
               const std::string &strSheetName, const std::vector<std::pair<CellAddress, std::string>> &texts);
