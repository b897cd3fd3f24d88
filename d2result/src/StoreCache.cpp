#include "StoreCache.h"

#include <algorithm>

#include <sqlite3.h>

#include "StoreSchema.h"

namespace d2r {

Store *StoreCache::Acquire(const char *pszProjectPath)
{
    const std::string path = std::string(pszProjectPath) + kStoreSuffix;
    auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &entry) { return entry.strPath == path; });
    FileIdentity identity;
    if (!ReadFileIdentity(path, identity)) {
        if (found != m_entries.end())
            m_entries.erase(found);
        return nullptr;
    }
    if (found != m_entries.end()) {
        m_entries.splice(m_entries.begin(), m_entries, found);
        if (found->identity == identity && !found->store->FileChangedSinceRead())
            return found->store.get();
        m_entries.erase(found);
    }
    const Store::Hold hold = OpenFilesPinTheirNames() ? Store::Hold::Copy : Store::Hold::File;
    std::unique_ptr<Store> store = Store::Open(path, hold, m_images);
    if (!store)
        return nullptr;
    if (m_entries.size() >= kMaxOpenStores)
        m_entries.pop_back();
    m_entries.push_front({path, identity, std::move(store)});
    return m_entries.front().store.get();
}

void StoreCache::Forget(const char *pszProjectPath)
{
    const std::string path = std::string(pszProjectPath) + kStoreSuffix;
    m_entries.remove_if([&](const Entry &entry) { return entry.strPath == path; });
}

StoreCache &TheStoreCache()
{
    // SQLite gives each new connection's page cache twenty pages at once
    // and writes into every one of them; a run opens some 85 stores, each
    // reading a few pages, so most of that memory is touched for nothing
    // (a third of the run's page faults).  Asked before SQLite starts, it
    // takes pages as they are needed; once SQLite has started (a program
    // that uses it too) the call is refused and nothing changes.
    static const int configured = sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0);
    (void)configured;
    static StoreCache cache;
    return cache;
}

}  // namespace d2r
