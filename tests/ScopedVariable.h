// An environment variable set (or unset) for one test, restored when the
// test ends, for code that reads the environment (the user's folders).
#pragma once

#include <cstdlib>
#include <string>

class ScopedVariable {
public:
    // A null pszValue unsets the variable.
    ScopedVariable(const char *pszName, const char *pszValue) : m_strName(pszName)
    {
        const char *pszOld = std::getenv(pszName);
        m_bHad = pszOld != nullptr;
        if (m_bHad)
            m_strOld = pszOld;
        if (pszValue)
            setenv(pszName, pszValue, 1);
        else
            unsetenv(pszName);
    }
    ~ScopedVariable()
    {
        if (m_bHad)
            setenv(m_strName.c_str(), m_strOld.c_str(), 1);
        else
            unsetenv(m_strName.c_str());
    }

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHad = false;
};

