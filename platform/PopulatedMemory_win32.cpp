#include "PopulatedMemory.h"

#include <windows.h>

// Committed memory: Windows provides its pages at first touch, which is what
// the heap would give too.
PopulatedMemory::PopulatedMemory(size_t iBytes)
{
    if (iBytes == 0)
        return;
    m_pData = VirtualAlloc(nullptr, iBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (m_pData)
        m_iBytes = iBytes;
}

PopulatedMemory::~PopulatedMemory()
{
    if (m_pData)
        VirtualFree(m_pData, 0, MEM_RELEASE);
}
