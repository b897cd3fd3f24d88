// An initialisation file: "[section]" lines, each followed by "key=value"
// lines, its settings.  Nothing is cached: every read goes to the file, and
// no function reports a failure (a missing file or key reads as the
// default, a failed write leaves the file as it was).  What the program
// keeps in such a file, and where, is Settings.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Longest value a read returns; longer stored values are cut to it.
constexpr size_t kMaxSettingLength = 259;

// One such file: its path, and the folder it lies in, which values
// relative to the program are taken from.
class IniFile {
public:
    explicit IniFile(std::string strPath);

    const std::string &Path() const { return m_strPath; }
    // The file's folder, ending with the separator; empty for a bare name
    // (the current folder).
    const std::string &Folder() const { return m_strFolder; }

private:
    std::string m_strPath;
    std::string m_strFolder;
};

// The value of key in section (section and key names compare without regard
// to letter case, blanks around the value are dropped and so is one pair of
// enclosing quotes), pszDefault (null reads as empty) when the key is
// missing, cut to kMaxSettingLength characters.  With bPrefixProgramFolder a
// value that is empty, or that holds no ':' and begins with neither '\' nor
// '/', is taken relative to the file's folder.
std::string ReadSettingString(const IniFile &file, const char *pszSection, const char *pszKey,
                              const char *pszDefault = nullptr, bool bPrefixProgramFolder = false);

// Stores strValue under key, replacing the old value in its line or adding
// the key (and its section) when missing; every other line stays as it was.
// A missing folder of the file is made first (only the owner may enter the
// last one, as the user's configuration folders should be).
// The file is replaced in one step, so a crash never leaves half a file.  A
// value holding a line break would split the file's lines and is not stored.
void WriteSettingString(const IniFile &file, const char *pszSection, const char *pszKey, const std::string &strValue);

// The integer at the start of the key's text (blanks, an optional sign and
// decimal digits; 0 when the text starts otherwise), iDefault when the key is
// missing or its value empty.  Values beyond the 32-bit range saturate.
int32_t ReadSettingInt(const IniFile &file, const char *pszSection, const char *pszKey, int32_t iDefault);

// Stores the decimal text of iValue.
void WriteSettingInt(const IniFile &file, const char *pszSection, const char *pszKey, int32_t iValue);
