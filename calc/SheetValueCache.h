// What the cells of one worksheet held when they were last read in one
// piece.  Talking to the spreadsheet application costs far more per call
// than per cell, so a sheet that is read cell after cell with nothing
// changed in between is better read as one block.  The block stays good
// only while the session's contents stay as they were: whoever keeps the
// cache counts every change (content version) and the block is dropped as
// soon as that count moves on.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "Automation.h"
#include "CellAddress.h"

// A cell of a block read: its value, or nothing when the block cannot tell
// (the cell must then be read on its own).
using BlockCell = std::optional<CellValue>;

class SheetValueCache {
public:
    // Cells that cost about as much to read within a block as one cell
    // read on its own (measured on Calc: about 0.5 microseconds a cell in a
    // block, 0.15 milliseconds a cell alone).
    static constexpr int64_t kCellsPerRead = 300;
    // The largest block ever read (about 0.1 s); a sheet used further is
    // read cell by cell.
    static constexpr int64_t kMaxBlockCells = 200000;

    // Notes a cell that the sheet's user has asked for; the next block
    // covers every cell noted so far.
    void NoteCell(const CellAddress &address);

    // The value of address from the block, when the block was read at
    // uVersion and holds a value for that cell.
    std::optional<CellValue> Lookup(uint64_t uVersion, const CellAddress &address) const;

    // Counts a read of address at uVersion that Lookup could not answer and
    // tells whether reading a block now is worth it: the cells read one by
    // one at this version must have cost about as much as the block would
    // (one of them at least), and the block must not be too large.
    bool ShouldReadBlock(uint64_t uVersion, const CellAddress &address);

    // The block to read: the smallest rectangle around every noted cell.
    CellArea BlockArea() const;

    // Keeps what a block read of area gave at uVersion; cells holds the
    // area row by row.
    void StoreBlock(uint64_t uVersion, const CellArea &area, std::vector<BlockCell> cells);

private:
    std::optional<CellArea> m_noted;
    std::optional<CellArea> m_block;
    uint64_t m_uBlockVersion = 0;
    std::vector<BlockCell> m_cells;
    uint64_t m_uReadsVersion = 0;
    int64_t m_iReadsAtVersion = 0;
};
