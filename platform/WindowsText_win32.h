// Texts between the program (UTF-8, as the result stores and the tables hold
// them) and the wide-character calls of Windows, which take any file name.
#pragma once

#include <string>

std::wstring WideFromUtf8(const std::string &strText);

std::string Utf8FromWide(const std::wstring &strText);

// The system's message for an error code of GetLastError, without the
// line break Windows ends it with; the code itself when there is none.
std::string SystemErrorText(unsigned long uError);
