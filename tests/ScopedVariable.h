// An environment variable set (or unset) for one test, restored when the
// test ends, for code that reads the environment (the user's folders).
#pragma once

#include <cstdlib>
#include <string>

// Sets the variable of this process, or with a null pszValue removes it.
inline void SetVariable(const char *pszName, const char *pszValue)
{
#ifdef _WIN32
    // Windows has no setenv; an empty value removes the variable.
    _putenv_s(pszName, pszValue ? pszValue : "");
#else
    if (pszValue)
        setenv(pszName, pszValue, 1);
    else
        unsetenv(pszName);
#endif
}

class ScopedVariable {
public:
    // A null pszValue unsets the variable.
    ScopedVariable(const char *pszName, const char *pszValue) : m_strName(pszName)
    {
        const char *pszOld = std::getenv(pszName);
        m_bHad = pszOld != nullptr;
        if (m_bHad)
            m_strOld = pszOld;
        SetVariable(pszName, pszValue);
    }
    ~ScopedVariable() { SetVariable(m_strName.c_str(), m_bHad ? m_strOld.c_str() : nullptr); }

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHad = false;
};
