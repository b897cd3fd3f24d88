// The stores of the projects asked for lately, kept open between calls: a
// run opens each project's store once, however its records alternate
// between projects.  Each is read from an image of its file where it can
// be.  The file's identity (and an image's change counter) is looked at on
// every call, so a store written again (a results folder simulated anew) is
// opened again.  Where an open file cannot be replaced or deleted
// (Windows), no store keeps its file open, so the library never stands in
// the way of whoever writes the results.
#pragma once

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "FileIdentity.h"
#include "Store.h"
#include "StoreImages.h"
#include "StoreSchema.h"

namespace d2r {

class StoreCache {
public:
    // More stores than a results folder holds (85 projects), few enough
    // that their open files stay far below any limit; the store used least
    // lately is closed first.
    static constexpr size_t kMaxOpenStores = 200;
    static constexpr size_t kKeptScratchValues = 3 * kHoursPerYear;

    // The open store of the project at pszProjectPath (the file is that
    // path followed by ".d2r"), or null when it is missing or unreadable.
    // The caller holds Lock() for as long as it uses the store.
    Store *Acquire(const char *pszProjectPath);

    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(m_mutex); }

    // Where a call assembles series before any reaches its caller; kept
    // between calls (under Lock()), since a fresh buffer for every call
    // costs the system a new page at each of its 4 kB.
    // At most three series' worth stays between calls: a caller asking for
    // many series at once should not leave their memory behind.
    std::vector<float> &Scratch() { return m_scratch; }
    void TrimScratch()
    {
        if (m_scratch.capacity() > kKeptScratchValues)
            std::vector<float>().swap(m_scratch);
    }

    // Closes the project's store, so that a store found unreadable in the
    // middle of a read is looked at afresh by the next call.
    void Forget(const char *pszProjectPath);

private:
    struct Entry {
        std::string strPath;
        FileIdentity identity;
        std::unique_ptr<Store> store;
    };

    std::mutex m_mutex;
    StoreImages m_images;  // declared first: the stores read from it go first
    std::list<Entry> m_entries;  // the one used last first
    std::vector<float> m_scratch;
};

// The one cache of the library.
StoreCache &TheStoreCache();

}  // namespace d2r
