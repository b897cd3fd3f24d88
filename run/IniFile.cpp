#include "IniFile.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include "FilePath.h"
#include "Paths.h"
#include "TextMatch.h"

namespace {

using Lines = std::vector<std::string>;

// Where in the file's lines a key was looked for: the line of its section
// header, the line after the section's last entry, and the key's own line
// (each npos when absent).
struct KeyPlace {
    size_t sectionLine = std::string::npos;
    size_t sectionEnd = std::string::npos;
    size_t keyLine = std::string::npos;
};

// strText without leading and trailing blanks (spaces and tabs).
std::string Trimmed(const std::string &strText)
{
    const size_t first = strText.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return strText.substr(first, strText.find_last_not_of(" \t") - first + 1);
}

// The file's lines without their line ends (a carriage return before the
// line feed is dropped too); no lines when the file cannot be read.
Lines ReadLines(const std::string &strPath)
{
    Lines lines;
    std::error_code error;
    const std::filesystem::path path = FilePath(NativePath(strPath));
    if (!std::filesystem::is_regular_file(path, error))
        return lines;  // a pipe or device would block or never end
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The section name of a "[name]" line (blanks around it allowed), or false.
bool SectionHeader(const std::string &strLine, std::string &strName)
{
    const std::string line = Trimmed(strLine);
    if (line.size() < 2 || line.front() != '[')
        return false;
    const size_t close = line.find(']');
    if (close == std::string::npos)
        return false;
    strName = Trimmed(line.substr(1, close - 1));
    return true;
}

// True when the line is a "key=value" entry for strKey.
bool IsEntryFor(const std::string &strLine, const std::string &strKey)
{
    const size_t equals = strLine.find('=');
    if (equals == std::string::npos || Trimmed(strLine).front() == ';')
        return false;
    return EqualsIgnoringCase(Trimmed(strLine.substr(0, equals)), strKey);
}

// Finds the first section called strSection and, inside it, the first entry
// for strKey.
KeyPlace FindKey(const Lines &lines, const std::string &strSection, const std::string &strKey)
{
    KeyPlace place;
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (SectionHeader(lines[i], name)) {
            if (place.sectionLine != std::string::npos)
                break;
            if (EqualsIgnoringCase(name, strSection))
                place.sectionLine = place.sectionEnd = i + 1;
            continue;
        }
        if (place.sectionLine == std::string::npos)
            continue;
        if (!Trimmed(lines[i]).empty())
            place.sectionEnd = i + 1;
        if (place.keyLine == std::string::npos && IsEntryFor(lines[i], strKey))
            place.keyLine = i;
    }
    return place;
}

// The stored value of an entry line: blanks dropped and one pair of matching
// enclosing quotes removed.
std::string EntryValue(const std::string &strLine)
{
    std::string value = Trimmed(strLine.substr(strLine.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// The value of the key, or false when the file, section or key is missing.
bool LookUp(const IniFile &file, const char *pszSection, const char *pszKey, std::string &strValue)
{
    const Lines lines = ReadLines(file.Path());
    const KeyPlace place = FindKey(lines, pszSection, pszKey);
    if (place.keyLine == std::string::npos)
        return false;
    strValue = EntryValue(lines[place.keyLine]);
    return true;
}

// A name beside strPath for the new file, unlikely to be used by another
// writer at the same moment.
std::string TemporaryNameBeside(const std::string &strPath)
{
    std::random_device random;
    return strPath + ".tmp" + std::to_string(random());
}

// True when strPath is missing or is a file this program may update.  The
// file is rewritten whole from what could be read of it, so one that cannot
// be read, or is read-only, must not be replaced by a file with one key.
bool MayRewrite(const std::string &strPath)
{
    const std::string name = NativePath(strPath);
    const std::filesystem::path path = FilePath(name);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return !error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::FILE *pFile = OpenFile(name, "r+b");
    if (!pFile)
        return false;
    std::fclose(pFile);
    return true;
}

// Writes the lines to a fresh file beside strPath and renames it over
// strPath.  Any failure removes the fresh file and leaves strPath unchanged.
void ReplaceFile(const std::string &strPath, const Lines &lines)
{
    const std::filesystem::path target = FilePath(NativePath(strPath));
    const std::filesystem::path temporary = FilePath(TemporaryNameBeside(NativePath(strPath)));
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string &line : lines)
            file << line << '\n';
        file.flush();
        if (file)
            file.close();
        if (!file.fail()) {
            std::error_code error;
            std::filesystem::rename(temporary, target, error);
            if (!error)
                return;
        }
    }
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
}

// The integer at the start of strText as the platform's profile functions
// read it: blanks, an optional sign, decimal digits; saturated to 32 bits.
int32_t LeadingInteger(const std::string &strText)
{
    const char *text = strText.c_str();
    while (*text == ' ' || *text == '\t')
        ++text;
    if (!std::isdigit(static_cast<unsigned char>(text[*text == '-' || *text == '+' ? 1 : 0])))
        return 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Makes the file's folder when it is missing, so that the first write into
// a fresh configuration folder succeeds.  A failure shows when the file is
// written.
void MakeFolderOf(const IniFile &file)
{
    const std::filesystem::path folder = FilePath(NativePath(file.Folder()));
    std::error_code error;
    if (folder.empty() || std::filesystem::exists(folder, error))
        return;
    if (std::filesystem::create_directories(folder, error))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
}

// True for a value that names a place of its own rather than one relative
// to the program folder.
bool IsRootedPath(const std::string &strValue)
{
    return strValue.find(':') != std::string::npos || strValue.front() == '\\' || strValue.front() == '/';
}

}  // namespace

IniFile::IniFile(std::string strPath) : m_strPath(std::move(strPath))
{
    const size_t separator = m_strPath.find_last_of("\\/");
    if (separator != std::string::npos)
        m_strFolder = m_strPath.substr(0, separator + 1);
}

std::string ReadSettingString(const IniFile &file, const char *pszSection, const char *pszKey,
                              const char *pszDefault, bool bPrefixProgramFolder)
{
    std::string value;
    if (!LookUp(file, pszSection, pszKey, value))
        value = pszDefault ? pszDefault : "";
    if (value.size() > kMaxSettingLength)
        value.resize(kMaxSettingLength);
    if (bPrefixProgramFolder && (value.empty() || !IsRootedPath(value)))
        value = file.Folder() + value;
    return value;
}

void WriteSettingString(const IniFile &file, const char *pszSection, const char *pszKey,
                        const std::string &strValue)
{
    if (strValue.find_first_of("\r\n") != std::string::npos || !MayRewrite(file.Path()))
        return;
    Lines lines = ReadLines(file.Path());
    const KeyPlace place = FindKey(lines, pszSection, pszKey);
    const std::string entry = std::string(pszKey) + "=" + strValue;
    if (place.keyLine != std::string::npos)
        lines[place.keyLine] = entry;
    else if (place.sectionLine != std::string::npos)
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd), entry);
    else {
        lines.push_back(std::string("[") + pszSection + "]");
        lines.push_back(entry);
    }
    MakeFolderOf(file);
    ReplaceFile(file.Path(), lines);
}

int32_t ReadSettingInt(const IniFile &file, const char *pszSection, const char *pszKey, int32_t iDefault)
{
    std::string value;
    if (!LookUp(file, pszSection, pszKey, value) || value.empty())
        return iDefault;
    return LeadingInteger(value);
}

void WriteSettingInt(const IniFile &file, const char *pszSection, const char *pszKey, int32_t iValue)
{
    WriteSettingString(file, pszSection, pszKey, std::to_string(iValue));
}
