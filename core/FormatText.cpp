#include "FormatText.h"

#include <cstdio>
#include <vector>

std::string FormatTextV(const char *pszFormat, va_list args)
{
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, pszFormat, sizing);
    va_end(sizing);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), pszFormat, args);
    return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string FormatText(const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    std::string text = FormatTextV(pszFormat, args);
    va_end(args);
    return text;
}
