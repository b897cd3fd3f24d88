#include "WindowsText_win32.h"

#include <windows.h>

std::wstring WideFromUtf8(const std::string &strText)
{
    if (strText.empty())
        return std::wstring();
    const int iLength = MultiByteToWideChar(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(iLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), wide.data(), iLength);
    return wide;
}

std::string Utf8FromWide(const std::wstring &strText)
{
    if (strText.empty())
        return std::string();
    const int iLength = WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string text(static_cast<size_t>(iLength), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), text.data(), iLength, nullptr,
                        nullptr);
    return text;
}

std::string SystemErrorText(unsigned long uError)
{
    wchar_t *pszMessage = nullptr;
    const DWORD uLength = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, uError, 0,
        reinterpret_cast<wchar_t *>(&pszMessage), 0, nullptr);
    std::string text = uLength ? Utf8FromWide(std::wstring(pszMessage, uLength)) : std::string();
    LocalFree(pszMessage);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(uError) : text;
}
