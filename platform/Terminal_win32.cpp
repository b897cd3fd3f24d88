#include "Terminal.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
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

void WriteStandardStreamsAsIs()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}
