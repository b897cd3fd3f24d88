#include "CalcDeferredValues.h"

#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/XCell.hpp>

#include "Automation.h"
#include "ValueRuns.h"

using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

std::vector<CellArea> NoteAreas(const Reference<css::sheet::XSpreadsheet> &sheet)
{
    const css::uno::Sequence<css::table::CellRangeAddress> ranges =
        Reference<css::sheet::XCellRangesQuery>(sheet, UNO_QUERY_THROW)
            ->queryContentCells(css::sheet::CellFlags::ANNOTATION)
            ->getRangeAddresses();
    std::vector<CellArea> areas;
    for (const css::table::CellRangeAddress &range : ranges)
        areas.push_back({{range.StartColumn + 1, range.StartRow + 1}, {range.EndColumn + 1, range.EndRow + 1}});
    return areas;
}

namespace {

// Writes the run in one call.
void WriteRun(const Reference<css::sheet::XSpreadsheet> &sheet, const ValueRun &run)
{
    const int column = run.first.iColumn - 1;
    const int top = run.first.iRow - 1;
    css::uno::Sequence<css::uno::Sequence<css::uno::Any>> rows(static_cast<sal_Int32>(run.values.size()));
    for (size_t i = 0; i < run.values.size(); ++i) {
        const css::uno::Any value(run.values[i]);
        rows.getArray()[i] = css::uno::Sequence<css::uno::Any>(&value, 1);
    }
    Reference<css::sheet::XCellRangeData>(
        sheet->getCellRangeByPosition(column, top, column, top + static_cast<int>(run.values.size()) - 1), UNO_QUERY_THROW)
        ->setDataArray(rows);
}

}  // namespace

void DeferredValues::Defer(const SheetKey &key, const Reference<css::sheet::XSpreadsheet> &sheet,
                           const std::string &strSheetName, const CellAddress &address, double dNumber)
{
    PendingSheet &pending = m_sheets[key];
    if (!pending.sheet.is()) {
        pending.sheet = sheet;
        pending.strName = strSheetName;
    }
    pending.values[address] = dNumber;
}

void DeferredValues::Forget(const SheetKey &key, const CellAddress &address)
{
    const auto found = m_sheets.find(key);
    if (found != m_sheets.end())
        found->second.values.erase(address);
}

// A sheet is let go only once all its numbers are made: after a failure
// they are all made again at the next flush, which is harmless (a cell
// written since by other means is no longer among them).
void DeferredValues::Flush()
{
    while (!m_sheets.empty()) {
        FlushSheet(m_sheets.begin()->second);
        m_sheets.erase(m_sheets.begin());
    }
}

void DeferredValues::FlushSheet(const PendingSheet &pending)
{
    if (pending.values.empty())
        return;
    std::vector<CellArea> notes;
    m_runCall("Cannot find the notes of " + pending.strName, [&] { notes = NoteAreas(pending.sheet); });
    for (const ValueRun &run : ColumnRuns(pending.values, notes)) {
        if (run.values.size() > 1)
            try {
                m_runCall("Cannot set " + pending.strName, [&] { WriteRun(pending.sheet, run); });
                continue;
            } catch (const DispatchFailure &) {
                // Written cell by cell below.
            }
        for (size_t i = 0; i < run.values.size(); ++i) {
            const CellAddress address{run.first.iColumn, run.first.iRow + static_cast<int>(i)};
            m_runCall("Cannot set " + pending.strName + "!" + FormatCellAddress(address), [&] {
                pending.sheet->getCellByPosition(address.iColumn - 1, address.iRow - 1)->setValue(run.values[i]);
            });
        }
    }
}
