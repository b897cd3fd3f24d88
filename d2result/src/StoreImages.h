// Whole copies of store files in memory, read once when a store is opened.
// A store read through its file costs the system several calls at every
// lookup (SQLite's locks, its look for a journal, a read for each page not
// in its small cache); read from a copy, a lookup costs none.  The copies
// are kept side by side in large blocks whose pages the system provides at
// once, since touching fresh heap pages one at a time cost more than the
// calls saved.
#pragma once

#include <cstddef>
#include <memory>

#include "PopulatedMemory.h"

namespace d2r {

// Where one image lives; its block stays while any image in it does.
struct ImagePlace {
    std::shared_ptr<PopulatedMemory> block;
    unsigned char *pBytes = nullptr;

    explicit operator bool() const { return pBytes != nullptr; }
};

class StoreImages {
public:
    // A block holds the images of a few dozen stores of a results folder.
    static constexpr size_t kBlockBytes = size_t(4) << 20;
    // Beyond this much held, stores are read through their files: a folder
    // of unusually large stores must not take the machine's memory.
    static constexpr size_t kMaxHeldBytes = size_t(256) << 20;

    explicit StoreImages(size_t iMaxHeldBytes = kMaxHeldBytes);

    // A place for an image of iBytes, or an empty place when the images
    // held would pass the limit or the system has no memory to give.
    ImagePlace Take(size_t iBytes);

    // The bytes of the blocks that images still live in.
    size_t HeldBytes() const { return *m_pHeldBytes; }

private:
    size_t m_iMaxHeldBytes;
    std::shared_ptr<size_t> m_pHeldBytes;
    std::shared_ptr<PopulatedMemory> m_block;  // the block being filled
    size_t m_iUsed = 0;
};

}  // namespace d2r
