#include "DynamicLibrary.h"

#include "WindowsText_win32.h"

#include <windows.h>

DynamicLibrary::~DynamicLibrary()
{
    if (m_pHandle)
        FreeLibrary(static_cast<HMODULE>(m_pHandle));
}

bool DynamicLibrary::Open(const std::string &strPath, std::string &strFailure)
{
    if (strPath.find_first_of("\\/") == std::string::npos) {
        strFailure = strPath + ": not a path to a file";
        return false;
    }
    if (m_pHandle)
        FreeLibrary(static_cast<HMODULE>(m_pHandle));
    // The library's own dependencies are looked for beside it first, as they
    // are beside a shared library on the other systems' loader paths.
    m_pHandle = LoadLibraryExW(WideFromUtf8(strPath).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m_pHandle)
        strFailure = strPath + ": " + SystemErrorText(GetLastError());
    return m_pHandle != nullptr;
}

void *DynamicLibrary::Entry(const char *pszName, std::string &strFailure) const
{
    if (!m_pHandle) {
        strFailure = "no library is loaded";
        return nullptr;
    }
    void *pEntry = reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(m_pHandle), pszName));
    if (!pEntry)
        strFailure = std::string(pszName) + ": " + SystemErrorText(GetLastError());
    return pEntry;
}

std::string SharedLibraryFileName(const std::string &strStem) { return strStem + ".dll"; }
