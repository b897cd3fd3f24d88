#include "ProgramPath.h"

#include "WindowsText_win32.h"

#include <windows.h>

// GetModuleFileNameW truncates silently to a full buffer, so a full buffer
// is retried with a larger one.
std::string ExecutablePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD uLength = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (uLength == 0)
            return std::string();
        if (uLength < buffer.size())
            return Utf8FromWide(buffer.substr(0, uLength));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableFolder()
{
    const std::string path = ExecutablePath();
    const std::string::size_type separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return std::string();
    // A program in a drive's root keeps "C:\" rather than becoming "C:",
    // which names the drive's current folder instead.
    return path.substr(0, separator == 2 && path[1] == ':' ? separator + 1 : separator);
}
