#include "Terminal.h"

#include <windows.h>

namespace {

// Only a console has a console mode; the NUL device, which the C runtime's
// _isatty also calls a character device, does not.
bool IsConsole(DWORD uStandardHandle)
{
    DWORD uMode = 0;
    return GetConsoleMode(GetStdHandle(uStandardHandle), &uMode) != 0;
}

}  // namespace

bool StandardInputIsTerminal() { return IsConsole(STD_INPUT_HANDLE); }

bool StandardErrorIsTerminal() { return IsConsole(STD_ERROR_HANDLE); }
