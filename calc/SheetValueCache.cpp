#include "SheetValueCache.h"

#include <algorithm>

void SheetValueCache::NoteCell(const CellAddress &address)
{
    if (!m_noted) {
        m_noted = CellArea{address, address};
        return;
    }
    m_noted->first = {std::min(m_noted->first.iColumn, address.iColumn), std::min(m_noted->first.iRow, address.iRow)};
    m_noted->last = {std::max(m_noted->last.iColumn, address.iColumn), std::max(m_noted->last.iRow, address.iRow)};
}

std::optional<CellValue> SheetValueCache::Lookup(uint64_t uVersion, const CellAddress &address) const
{
    if (!m_block || m_uBlockVersion != uVersion || !m_block->Contains(address))
        return std::nullopt;
    const int64_t width = m_block->last.iColumn - m_block->first.iColumn + 1;
    const int64_t index = (address.iRow - m_block->first.iRow) * width + (address.iColumn - m_block->first.iColumn);
    return m_cells[static_cast<size_t>(index)];
}

bool SheetValueCache::ShouldReadBlock(uint64_t uVersion, const CellAddress &address)
{
    if (uVersion != m_uReadsVersion) {
        m_uReadsVersion = uVersion;
        m_iReadsAtVersion = 0;
    }
    const int64_t readsBefore = m_iReadsAtVersion++;
    if (!m_noted || !m_noted->Contains(address) || readsBefore == 0)
        return false;
    const int64_t cells = m_noted->CellCount();
    return cells <= kMaxBlockCells && readsBefore * kCellsPerRead >= cells;
}

CellArea SheetValueCache::BlockArea() const { return m_noted.value_or(CellArea{}); }

void SheetValueCache::StoreBlock(uint64_t uVersion, const CellArea &area, std::vector<BlockCell> cells)
{
    if (cells.size() != static_cast<size_t>(area.CellCount())) {
        m_block.reset();
        return;
    }
    m_block = area;
    m_uBlockVersion = uVersion;
    m_cells = std::move(cells);
}
