#include "StoreCache.h"

#include <algorithm>

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
        if (found->identity == identity)
            return found->store.get();
        m_entries.erase(found);
    }
    std::unique_ptr<Store> store = Store::Open(path, OpenFilesPinTheirNames() ? Store::Hold::Copy : Store::Hold::File);
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
    static StoreCache cache;
    return cache;
}

}  // namespace d2r
