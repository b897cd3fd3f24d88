#include "CalcTextBlocks.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>

#include <algorithm>
#include <map>
#include <set>

#include "CalcDeferredValues.h"
#include "CellBlocks.h"
#include "TypedInput.h"

using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

namespace {

// Calc's key of the General format.
constexpr sal_Int32 kGeneralFormat = 0;

bool HasNote(const CellAddress &address, const std::vector<CellArea> &notes)
{
    return std::any_of(notes.begin(), notes.end(), [&](const CellArea &area) { return area.Contains(address); });
}

Reference<css::table::XCellRange> RangeOf(const Reference<css::sheet::XSpreadsheet> &sheet, const CellArea &area)
{
    return sheet->getCellRangeByPosition(area.first.iColumn - 1, area.first.iRow - 1, area.last.iColumn - 1,
                                         area.last.iRow - 1);
}

// True when every cell of the range has the General format.
bool IsGeneral(const Reference<css::table::XCellRange> &range)
{
    if (Reference<css::beans::XPropertyState>(range, UNO_QUERY_THROW)->getPropertyState("NumberFormat") ==
        css::beans::PropertyState_AMBIGUOUS_VALUE)
        return false;
    sal_Int32 format = -1;
    Reference<css::beans::XPropertySet>(range, UNO_QUERY_THROW)->getPropertyValue("NumberFormat") >>= format;
    return format == kGeneralFormat;
}

// The format typing gives a month and a day: typed into the first such
// cell alone, it shows.  False when Calc read that text as no date (a day
// the month has not), which leaves the block to be typed cell by cell.
bool LearnDateFormat(const Reference<css::sheet::XSpreadsheet> &sheet, const CellAddress &address,
                     const std::string &strText, sal_Int32 &iFormat)
{
    const Reference<css::table::XCell> cell = sheet->getCellByPosition(address.iColumn - 1, address.iRow - 1);
    TypeIntoCell(cell, strText);
    if (cell->getType() != css::table::CellContentType_VALUE)
        return false;
    Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("NumberFormat") >>= iFormat;
    return true;
}

// Gives the month-and-day cells of the area that Calc read as dates the
// format typing gives them.
void FormatDates(const Reference<css::sheet::XSpreadsheet> &sheet, const Reference<css::table::XCellRange> &range,
                 const CellArea &area, const std::vector<CellAddress> &monthDays, sal_Int32 iFormat)
{
    const css::uno::Sequence<css::uno::Sequence<css::uno::Any>> rows =
        Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->getDataArray();
    std::vector<CellAddress> dates;
    for (const CellAddress &address : monthDays) {
        const auto &row = rows[address.iRow - area.first.iRow];
        if (row[address.iColumn - area.first.iColumn].getValueTypeClass() == css::uno::TypeClass_DOUBLE)
            dates.push_back(address);
    }
    for (const CellArea &dateArea : ExactAreas(dates))
        Reference<css::beans::XPropertySet>(RangeOf(sheet, dateArea), UNO_QUERY_THROW)
            ->setPropertyValue("NumberFormat", css::uno::Any(iFormat));
}

// Puts the area's texts in one call when every cell of the area has the
// General format, then gives its dates their format; false (nothing
// written but perhaps a first date) when the cells have another format or
// that date was read as none.
bool PutBlock(const Reference<css::sheet::XSpreadsheet> &sheet, const CellArea &area,
              const std::map<CellAddress, std::string> &texts)
{
    const Reference<css::table::XCellRange> range = RangeOf(sheet, area);
    if (!IsGeneral(range))
        return false;
    std::vector<CellAddress> monthDays;
    for (int row = area.first.iRow; row <= area.last.iRow; ++row)
        for (int column = area.first.iColumn; column <= area.last.iColumn; ++column)
            if (IsMonthDayInput(texts.at({column, row})))
                monthDays.push_back({column, row});
    sal_Int32 dateFormat = kGeneralFormat;
    if (!monthDays.empty() && !LearnDateFormat(sheet, monthDays.front(), texts.at(monthDays.front()), dateFormat))
        return false;
    const sal_Int32 width = area.last.iColumn - area.first.iColumn + 1;
    css::uno::Sequence<css::uno::Sequence<rtl::OUString>> rows(area.last.iRow - area.first.iRow + 1);
    for (sal_Int32 row = 0; row < rows.getLength(); ++row) {
        css::uno::Sequence<rtl::OUString> cells(width);
        for (sal_Int32 column = 0; column < width; ++column)
            cells.getArray()[column] = ToUno(texts.at({area.first.iColumn + column, area.first.iRow + row}));
        rows.getArray()[row] = cells;
    }
    Reference<css::sheet::XCellRangeFormula>(range, UNO_QUERY_THROW)->setFormulaArray(rows);
    if (dateFormat != kGeneralFormat)
        FormatDates(sheet, range, area, monthDays, dateFormat);
    return true;
}

}  // namespace

void TypeIntoCell(const Reference<css::table::XCell> &cell, const std::string &strText)
{
    Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->setPropertyValue("FormulaLocal", css::uno::Any(ToUno(strText)));
}

void TypeTexts(CalcSession &session, const Reference<css::sheet::XSpreadsheet> &sheet, const std::string &strSheetName,
               const std::vector<std::pair<CellAddress, std::string>> &texts)
{
    std::map<CellAddress, std::string> plain;
    for (const auto &[address, text] : texts)
        if (IsPlainTypedInput(text) || IsMonthDayInput(text))
            plain[address] = text;
    std::set<CellAddress> typed;
    if (plain.size() > 1) {
        std::vector<CellArea> notes;
        session.Call("Cannot find the notes of " + strSheetName, [&] { notes = NoteAreas(sheet); });
        std::vector<CellAddress> cells;
        for (const auto &entry : plain)
            if (!HasNote(entry.first, notes))
                cells.push_back(entry.first);
        for (const CellArea &area : ExactAreas(cells)) {
            if (area.CellCount() < 2)
                continue;
            bool bPut = false;
            try {
                session.Call("Cannot set " + strSheetName, [&] { bPut = PutBlock(sheet, area, plain); });
            } catch (const DispatchFailure &) {
                // Typed cell by cell below.
            }
            for (int row = area.first.iRow; bPut && row <= area.last.iRow; ++row)
                for (int column = area.first.iColumn; column <= area.last.iColumn; ++column)
                    typed.insert({column, row});
        }
    }
    for (const auto &entry : texts) {
        if (typed.count(entry.first))
            continue;
        const CellAddress &address = entry.first;
        session.Call("Cannot set " + strSheetName + "!" + FormatCellAddress(address), [&] {
            TypeIntoCell(sheet->getCellByPosition(address.iColumn - 1, address.iRow - 1), entry.second);
        });
    }
}
