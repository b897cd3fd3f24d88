// Comparisons of texts used across the program: prefixes, suffixes and
// names equal apart from ASCII letter case (the way table keys, month names
// and settings names are matched).
#pragma once

#include <cctype>
#include <string>

inline bool StartsWith(const std::string &strText, const std::string &strPrefix)
{
    return strText.compare(0, strPrefix.size(), strPrefix) == 0;
}

inline bool EndsWith(const std::string &strText, const std::string &strSuffix)
{
    return strText.size() >= strSuffix.size() &&
           strText.compare(strText.size() - strSuffix.size(), strSuffix.size(), strSuffix) == 0;
}

inline bool EqualsIgnoringCase(const std::string &strLeft, const std::string &strRight)
{
    if (strLeft.size() != strRight.size())
        return false;
    for (size_t i = 0; i < strLeft.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(strLeft[i])) != std::tolower(static_cast<unsigned char>(strRight[i])))
            return false;
    return true;
}
