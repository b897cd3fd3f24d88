#include "PopulatedMemory.h"

#include <cstdint>

#include <sys/mman.h>

namespace {

// The size, and alignment, of a transparent huge page on x86-64 and most
// other Linux systems.
constexpr uintptr_t kHugePage = uintptr_t(2) << 20;

uintptr_t RoundUp(uintptr_t value, uintptr_t step) { return (value + step - 1) / step * step; }

}  // namespace

// Whole huge pages, aligned as such and asked for: touching a new page is
// what costs, and one huge page is one touch instead of 512.  Where the
// system gives no huge pages, populating the pages in the one call still
// spares a page fault each.  Both requests are only hints: a system that
// refuses them provides the pages at first touch, as the heap would.
PopulatedMemory::PopulatedMemory(size_t iBytes)
{
    if (iBytes == 0)
        return;
    const uintptr_t bytes = RoundUp(iBytes, kHugePage);
    void *pArea = mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pArea == MAP_FAILED)
        return;
    const uintptr_t area = reinterpret_cast<uintptr_t>(pArea);
    const uintptr_t aligned = RoundUp(area, kHugePage);
    if (aligned > area)
        munmap(pArea, aligned - area);
    munmap(reinterpret_cast<void *>(aligned + bytes), area + kHugePage - aligned);
    m_pData = reinterpret_cast<void *>(aligned);
    m_iBytes = bytes;
#ifdef MADV_HUGEPAGE
    madvise(m_pData, m_iBytes, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    madvise(m_pData, m_iBytes, MADV_POPULATE_WRITE);
#endif
}

PopulatedMemory::~PopulatedMemory()
{
    if (m_pData)
        munmap(m_pData, m_iBytes);
}
