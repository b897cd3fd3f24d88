#include "TemporaryFolder.h"

#include "WindowsText_win32.h"

#include <windows.h>

namespace {

// The user's temporary folder, with its trailing separator.
std::wstring TemporaryRoot()
{
    std::wstring buffer(MAX_PATH + 1, L'\0');
    const DWORD uLength = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    return uLength > 0 && uLength < buffer.size() ? buffer.substr(0, uLength) : std::wstring();
}

}  // namespace

std::string MakeTemporaryFolder(const std::string &strStem, std::string &strFailure)
{
    const std::wstring root = TemporaryRoot();
    if (root.empty()) {
        strFailure = "no temporary folder: " + SystemErrorText(GetLastError());
        return std::string();
    }
    // The process id and the tick count make a name no other process picks;
    // a name already taken is retried with the next number.
    const std::wstring stem = root + WideFromUtf8(strStem) + L"." + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned long uTry = GetTickCount(), uLast = uTry + 100; uTry != uLast; ++uTry) {
        const std::wstring path = stem + std::to_wstring(uTry);
        if (CreateDirectoryW(path.c_str(), nullptr))
            return Utf8FromWide(path);
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            strFailure = Utf8FromWide(path) + ": " + SystemErrorText(GetLastError());
            return std::string();
        }
    }
    strFailure = Utf8FromWide(stem) + "*: every name tried is taken";
    return std::string();
}
