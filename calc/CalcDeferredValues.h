// Numbers written into Calc cells are kept back and made in Calc later, a
// column run at a time: one call for a run instead of two for every cell.
// They are made before anything could see the difference: before any read,
// any save and the end of the session.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include "CellAddress.h"

namespace css = com::sun::star;

// Runs one call against Calc the way the session runs every call (bounded
// by its watchdog, failures translated), saying what the call does.
using CalcCallRunner = std::function<void(const std::string &strWhat, const std::function<void()> &call)>;

// A sheet of a session: the document's path and the sheet's position in it.
using SheetKey = std::pair<std::string, int>;

// The areas of the sheet that hold cells with notes (one call to Calc).
// Writing a block of cells in one call removes the notes of its cells.
std::vector<CellArea> NoteAreas(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet);

class DeferredValues {
public:
    explicit DeferredValues(CalcCallRunner runCall) : m_runCall(std::move(runCall)) {}

    // Keeps dNumber back for the cell at address of the sheet (named
    // strSheetName in messages); a later number for the cell replaces it.
    void Defer(const SheetKey &key, const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
               const std::string &strSheetName, const CellAddress &address, double dNumber);
    // Drops what is kept back for the cell: a write of another kind follows.
    void Forget(const SheetKey &key, const CellAddress &address);
    // Makes every number kept back in Calc.  A run Calc will not take in one
    // piece (a protected sheet, part of an array formula) is written cell by
    // cell; cells with notes are always written on their own, because a run
    // write would remove the notes.
    void Flush();
    // Drops every number kept back: their documents are closed unsaved.
    void Discard() { m_sheets.clear(); }

private:
    struct PendingSheet {
        css::uno::Reference<css::sheet::XSpreadsheet> sheet;
        std::string strName;
        std::map<CellAddress, double> values;
    };

    void FlushSheet(const PendingSheet &pending);

    CalcCallRunner m_runCall;
    std::map<SheetKey, PendingSheet> m_sheets;
};
