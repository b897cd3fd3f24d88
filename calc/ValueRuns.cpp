#include "ValueRuns.h"

#include <algorithm>

namespace {

bool IsApart(const CellAddress &address, const std::vector<CellArea> &apart)
{
    return std::any_of(apart.begin(), apart.end(), [&](const CellArea &area) { return area.Contains(address); });
}

// True when address continues run downwards and neither is kept apart.
bool Continues(const ValueRun &run, const CellAddress &address, bool bApart, bool bRunApart)
{
    return !bApart && !bRunApart && address.iColumn == run.first.iColumn &&
           address.iRow == run.first.iRow + static_cast<int>(run.values.size());
}

}  // namespace

std::vector<ValueRun> ColumnRuns(const std::map<CellAddress, double> &values, const std::vector<CellArea> &apart)
{
    std::vector<std::pair<CellAddress, double>> byColumn(values.begin(), values.end());
    std::sort(byColumn.begin(), byColumn.end(), [](const auto &left, const auto &right) {
        return std::make_pair(left.first.iColumn, left.first.iRow) < std::make_pair(right.first.iColumn, right.first.iRow);
    });
    std::vector<ValueRun> runs;
    bool bLastApart = false;
    for (const auto &[address, dNumber] : byColumn) {
        const bool bApart = IsApart(address, apart);
        if (runs.empty() || !Continues(runs.back(), address, bApart, bLastApart))
            runs.push_back({address, {}});
        runs.back().values.push_back(dNumber);
        bLastApart = bApart;
    }
    return runs;
}
