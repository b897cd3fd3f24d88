#include "StoreCache.h"

#include "StoreSchema.h"

namespace d2r {

Store *StoreCache::Acquire(const char *pszProjectPath)
{
    std::string path = std::string(pszProjectPath) + kStoreSuffix;
    FileIdentity identity;
    if (!ReadFileIdentity(path, identity)) {
        Forget();
        return nullptr;
    }
    if (m_store && path == m_strPath && identity == m_identity)
        return m_store.get();
    m_store = Store::Open(path, OpenFilesPinTheirNames() ? Store::Hold::Copy : Store::Hold::File);
    m_strPath = m_store ? path : std::string();
    m_identity = identity;
    return m_store.get();
}

void StoreCache::Forget()
{
    m_store.reset();
    m_strPath.clear();
}

StoreCache &TheStoreCache()
{
    static StoreCache cache;
    return cache;
}

}  // namespace d2r
