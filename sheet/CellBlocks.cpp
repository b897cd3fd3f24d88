#include "CellBlocks.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

// Sorted by row, then column, each cell once.
void SortUnique(std::vector<CellAddress> &cells)
{
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end(),
                            [](const CellAddress &a, const CellAddress &b) { return !(a < b) && !(b < a); }),
                cells.end());
}

bool ByTopThenLeft(const CellArea &a, const CellArea &b) { return a.first < b.first; }

}  // namespace

std::vector<CellArea> ExactAreas(std::vector<CellAddress> cells)
{
    SortUnique(cells);
    std::vector<CellArea> areas;
    // The rectangles that may still grow downwards, by their columns.
    std::map<std::pair<int, int>, size_t> open;
    for (size_t i = 0; i < cells.size();) {
        size_t end = i + 1;
        while (end < cells.size() && cells[end].iRow == cells[i].iRow &&
               cells[end].iColumn == cells[end - 1].iColumn + 1)
            ++end;
        const CellArea run{cells[i], cells[end - 1]};
        const std::pair<int, int> columns{run.first.iColumn, run.last.iColumn};
        const auto found = open.find(columns);
        if (found != open.end() && areas[found->second].last.iRow == run.first.iRow - 1) {
            areas[found->second].last.iRow = run.first.iRow;
        } else {
            open[columns] = areas.size();
            areas.push_back(run);
        }
        i = end;
    }
    std::stable_sort(areas.begin(), areas.end(), ByTopThenLeft);
    return areas;
}

std::vector<CellArea> CoveringAreas(std::vector<CellAddress> cells, int64_t iSpareCells)
{
    SortUnique(cells);
    std::vector<CellArea> areas;
    int64_t held = 0;
    for (const CellAddress &cell : cells) {
        if (!areas.empty()) {
            CellArea grown = areas.back();
            grown.first.iColumn = std::min(grown.first.iColumn, cell.iColumn);
            grown.last.iColumn = std::max(grown.last.iColumn, cell.iColumn);
            grown.last.iRow = cell.iRow;
            if (grown.CellCount() <= 4 * (held + 1) + iSpareCells) {
                areas.back() = grown;
                ++held;
                continue;
            }
        }
        areas.push_back({cell, cell});
        held = 1;
    }
    return areas;
}
