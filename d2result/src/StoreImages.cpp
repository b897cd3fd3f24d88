#include "StoreImages.h"

#include <algorithm>

namespace d2r {

namespace {

// Each image starts on a page of its own, as SQLite's pages are read
// from it in place.
constexpr size_t kImageAlignment = 4096;

size_t RoundUp(size_t value, size_t step) { return (value + step - 1) / step * step; }

}  // namespace

StoreImages::StoreImages(size_t iMaxHeldBytes)
    : m_iMaxHeldBytes(iMaxHeldBytes), m_pHeldBytes(std::make_shared<size_t>(0))
{
}

ImagePlace StoreImages::Take(size_t iBytes)
{
    if (iBytes == 0 || iBytes > m_iMaxHeldBytes)
        return {};
    const size_t iRounded = RoundUp(iBytes, kImageAlignment);
    if (!m_block || m_block->Size() - m_iUsed < iRounded) {
        // The block being filled stops counting against the limit only
        // when its last image goes; until then a new one adds to it.
        const size_t iWanted = std::max(kBlockBytes, iRounded);
        if (*m_pHeldBytes + iWanted > m_iMaxHeldBytes)
            return {};
        auto *pMemory = new PopulatedMemory(iWanted);
        if (!pMemory->Data()) {
            delete pMemory;
            return {};
        }
        *m_pHeldBytes += pMemory->Size();
        // The count is shared with the deleter, so a block let go after the
        // shelf itself (a store outliving the cache) still finds it.
        std::shared_ptr<size_t> pHeld = m_pHeldBytes;
        m_block.reset(pMemory, [pHeld](PopulatedMemory *pGone) {
            *pHeld -= pGone->Size();
            delete pGone;
        });
        m_iUsed = 0;
    }
    ImagePlace place{m_block, static_cast<unsigned char *>(m_block->Data()) + m_iUsed};
    m_iUsed += iRounded;
    return place;
}

}  // namespace d2r
