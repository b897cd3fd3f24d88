// The store of the project asked for last, kept open between calls: a run
// of records on one project opens its file once.  The file's identity is
// looked at on every call, so a store written again (a results folder
// simulated anew) is opened again.  Where an open file cannot be replaced
// or deleted (Windows), the store is kept as a copy in memory instead, so
// the library never stands in the way of whoever writes the results.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "FileIdentity.h"
#include "Store.h"

namespace d2r {

class StoreCache {
public:
    // The open store of the project at pszProjectPath (the file is that
    // path followed by ".d2r"), or null when it is missing or unreadable.
    // The caller holds Lock() for as long as it uses the store.
    Store *Acquire(const char *pszProjectPath);

    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(m_mutex); }

    // Closes the store, so that a store found unreadable in the middle of a
    // read is looked at afresh by the next call.
    void Forget();

private:
    std::mutex m_mutex;
    std::string m_strPath;
    FileIdentity m_identity;
    std::unique_ptr<Store> m_store;
};

// The one cache of the library.
StoreCache &TheStoreCache();

}  // namespace d2r
