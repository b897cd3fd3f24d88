#include "FilePath.h"

#include "WindowsText_win32.h"

// fopen would read the name in the C runtime's code page; the wide form
// takes any name.
std::FILE *OpenFile(const std::string &strUtf8, const char *pszMode)
{
    return _wfopen(WideFromUtf8(strUtf8).c_str(), WideFromUtf8(pszMode).c_str());
}
