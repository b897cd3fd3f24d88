// Cells of one sheet gathered into rectangles, so that the spreadsheet
// application writes or reads each rectangle in one call instead of each
// cell in calls of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "CellAddress.h"

// Rectangles that hold every one of cells and no other cell, each cell in
// one of them: the runs of neighbouring cells along each row, joined with
// the runs of the same columns in the rows right below.  Ordered by their
// top row, then their left column.  What a block write may cover, since it
// writes every cell of its rectangle.
std::vector<CellArea> ExactAreas(std::vector<CellAddress> cells);

// A few rectangles that hold every one of cells, and other cells only
// where reading them costs less than another call: bands of whole rows,
// each as wide as its cells, a new band begun where the band would hold
// more than iSpareCells cells beyond four times its own.  What a block read
// may cover.
std::vector<CellArea> CoveringAreas(std::vector<CellAddress> cells, int64_t iSpareCells = 4096);
