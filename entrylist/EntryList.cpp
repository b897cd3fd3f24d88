#include "EntryList.h"

#include "FilePath.h"

#include <cctype>
#include <filesystem>

namespace {

const char kEntrySeparator = ';';

// What a text made of several entries puts between them.
const char kTextSeparator[] = "; ";

// Index of the first character that is neither a separator nor white space,
// or the text's length.  Both are ASCII, which never occurs inside a UTF-8
// multi-byte character, so a byte scan is safe.
std::size_t SkipSeparatorsAndBlanks(const std::string &strText, std::size_t nFrom)
{
    while (nFrom < strText.size()
           && (strText[nFrom] == kEntrySeparator || std::isspace(static_cast<unsigned char>(strText[nFrom]))))
        ++nFrom;
    return nFrom;
}

// The text from nFrom up to the next separator (or the end), and where the
// scan goes on.
std::string EntryAt(const std::string &strText, std::size_t nFrom, std::size_t &nNext)
{
    std::size_t nEnd = strText.find(kEntrySeparator, nFrom);
    if (nEnd == std::string::npos)
        nEnd = strText.size();
    nNext = nEnd;
    return strText.substr(nFrom, nEnd - nFrom);
}

// strPath made absolute against the current directory, "." and ".." resolved;
// an empty path stays empty.
std::string MakeAbsolute(const std::string &strPath)
{
    if (strPath.empty())
        return strPath;
    return PathText(std::filesystem::absolute(FilePath(strPath)).lexically_normal());
}

} // namespace

EntryList ParseEntryText(const std::string &strText, bool bMultipleFiles)
{
    EntryList list;
    std::size_t nNext = SkipSeparatorsAndBlanks(strText, 0);
    if (nNext == strText.size())
        return list;
    std::string strFirst = EntryAt(strText, nNext, nNext);
    bool bMoreEntries = nNext < strText.size();
    if (!bMoreEntries || !bMultipleFiles) {
        list.entries.push_back(MakeAbsolute(strFirst));
        return list;
    }
    std::filesystem::path firstPath = FilePath(strFirst);
    list.strEntryFolder = PathText(std::filesystem::path(firstPath).remove_filename());
    list.entries.push_back(PathText(firstPath.filename()));
    for (nNext = SkipSeparatorsAndBlanks(strText, nNext); nNext < strText.size();
         nNext = SkipSeparatorsAndBlanks(strText, nNext))
        list.entries.push_back(EntryAt(strText, nNext, nNext));
    return list;
}

std::string AbsoluteEntryPath(const EntryList &list, const std::string &strEntry)
{
    if (FilePath(strEntry).is_absolute())
        return MakeAbsolute(strEntry);
    return MakeAbsolute(list.strEntryFolder + strEntry);
}

EntryPosition FirstEntryPosition(const EntryList &list)
{
    if (list.entries.empty())
        return std::nullopt;
    return 0;
}

std::string NextEntryPath(const EntryList &list, EntryPosition &position)
{
    const std::string &strEntry = list.entries.at(*position);
    const std::size_t nNext = *position + 1;
    position = nNext < list.entries.size() ? EntryPosition(nNext) : std::nullopt;
    return AbsoluteEntryPath(list, strEntry);
}

std::string FirstEntryPath(const EntryList &list)
{
    EntryPosition position = FirstEntryPosition(list);
    return position ? NextEntryPath(list, position) : std::string();
}

const EntryList &ParsedEntryText::Update(const std::string &strText, bool bMultipleFiles)
{
    if (strText != m_strText || bMultipleFiles != m_bMultipleFiles) {
        m_strText = strText;
        m_bMultipleFiles = bMultipleFiles;
        m_list = ParseEntryText(strText, bMultipleFiles);
    }
    return m_list;
}

std::string ChosenFilesText(const std::vector<std::string> &files)
{
    if (files.empty())
        return std::string();
    std::string strText = files.front();
    for (std::size_t i = 1; i < files.size(); ++i)
        strText += kTextSeparator + PathText(FilePath(files[i]).filename());
    return strText;
}

std::string DroppedFilesText(const std::vector<std::string> &files, bool bMultipleFiles)
{
    if (files.empty())
        return std::string();
    const std::size_t nUsed = bMultipleFiles ? files.size() : 1;
    std::string strText = files.front();
    for (std::size_t i = 1; i < nUsed; ++i)
        strText += kTextSeparator + files[i];
    return strText;
}
