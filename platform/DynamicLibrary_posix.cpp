#include "DynamicLibrary.h"

#include <dlfcn.h>

namespace {

std::string LastLoaderError(const char *pszFallback)
{
    const char *pszError = dlerror();
    return pszError ? pszError : pszFallback;
}

}  // namespace

DynamicLibrary::~DynamicLibrary()
{
    if (m_pHandle)
        dlclose(m_pHandle);
}

bool DynamicLibrary::Open(const std::string &strPath, std::string &strFailure)
{
    if (strPath.find('/') == std::string::npos) {
        strFailure = strPath + ": not a path to a file";
        return false;
    }
    if (m_pHandle)
        dlclose(m_pHandle);
    dlerror();
    m_pHandle = dlopen(strPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_pHandle)
        strFailure = LastLoaderError("cannot be loaded");
    return m_pHandle != nullptr;
}

void *DynamicLibrary::Entry(const char *pszName, std::string &strFailure) const
{
    if (!m_pHandle) {
        strFailure = "no library is loaded";
        return nullptr;
    }
    dlerror();
    void *pEntry = dlsym(m_pHandle, pszName);
    if (!pEntry)
        strFailure = LastLoaderError("entry not found");
    return pEntry;
}

std::string SharedLibraryFileName(const std::string &strStem) { return "lib" + strStem + ".so"; }
