// printf-style formatting into a std::string of whatever length it needs, so
// that no message is ever cut or written past a fixed buffer.
#pragma once

#include <cstdarg>
#include <string>

#if defined(__GNUC__)
#  define GOMBREL_PRINTF(formatIndex, firstArg) __attribute__((format(printf, formatIndex, firstArg)))
#else
#  define GOMBREL_PRINTF(formatIndex, firstArg)
#endif

std::string FormatText(const char *pszFormat, ...) GOMBREL_PRINTF(1, 2);
std::string FormatTextV(const char *pszFormat, va_list args);
