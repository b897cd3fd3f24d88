// Numbers waiting to be written, grouped into runs of neighbouring cells of
// one column, so that each run can be written in one call instead of one
// call (and one cell fetch) a cell.
#pragma once

#include <map>
#include <vector>

#include "CellAddress.h"

// Numbers for the cells of one column from first downwards, one a row.
struct ValueRun {
    CellAddress first;
    std::vector<double> values;
};

// values as runs, column by column, each top to bottom.  A cell within one
// of the areas apart is a run of its own.
std::vector<ValueRun> ColumnRuns(const std::map<CellAddress, double> &values, const std::vector<CellArea> &apart);
