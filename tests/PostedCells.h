// Workbooks a run saved through Excel compared with those the in-memory run
// saved: Excel reads a posted date "M/D" as a date, which the in-memory
// spreadsheet keeps as the text.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <regex>
#include <string>

#include "MemoryBook.h"

// True when cell holds the serial number of a date in month iMonth, day iDay.
inline bool HoldsDate(const MemoryCell &cell, int iMonth, int iDay)
{
    SYSTEMTIME date{};
    return cell.kind == MemoryCell::Kind::Number && VariantTimeToSystemTime(cell.dNumber, &date) &&
           date.wMonth == iMonth && date.wDay == iDay;
}

// True when strText is a date as a run posts it, "M/D", with its month and day.
inline bool IsPostedDate(const std::string &strText, int &iMonth, int &iDay)
{
    static const std::regex kDate(R"((\d{1,2})/(\d{1,2}))");
    std::smatch match;
    if (!std::regex_match(strText, match, kDate))
        return false;
    iMonth = std::stoi(match[1]);
    iDay = std::stoi(match[2]);
    return true;
}

// The cells in which saved differs from expected (the in-memory run's),
// one a line, and the count of dates found in iDates; a date text in
// expected must be that date in saved.
inline std::string CellsDiffering(const MemoryBook &expected, const MemoryBook &saved, int &iDates)
{
    std::string differences;
    if (saved.sheets.size() != expected.sheets.size())
        return "a different count of sheets\n";
    for (size_t sheet = 0; sheet < saved.sheets.size(); ++sheet) {
        const auto &savedCells = saved.sheets[sheet].cells;
        const auto &expectedCells = expected.sheets[sheet].cells;
        if (savedCells.size() != expectedCells.size())
            differences += saved.sheets[sheet].strName + ": a different count of cells\n";
        for (const auto &[address, cell] : expectedCells) {
            const std::string where = expected.sheets[sheet].strName + "!" + FormatCellAddress(address);
            const auto found = savedCells.find(address);
            int iMonth = 0, iDay = 0;
            if (found == savedCells.end()) {
                differences += where + " missing\n";
            } else if (cell.kind == MemoryCell::Kind::Text && IsPostedDate(cell.strText, iMonth, iDay)) {
                ++iDates;
                if (!HoldsDate(found->second, iMonth, iDay))
                    differences += where + " is not the date " + cell.strText + "\n";
            } else if (found->second.kind != cell.kind || found->second.dNumber != cell.dNumber ||
                       found->second.strText != cell.strText) {
                differences += where + " differs\n";
            }
        }
    }
    return differences;
}
