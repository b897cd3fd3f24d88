// The settings file: the two folders of the last run, the confirm-posting
// choice, the posting-log switch and the dialog's early Calc start, kept in
// a plain initialisation file ("[section]" lines followed by "key=value"
// lines) beside the programs or in the user's configuration folder
// (SettingsForThisUser).
// Both programs share the one file; each front end makes one SettingsFile
// for it and hands it to whatever reads or writes a setting.  Nothing is
// cached: every read goes to the file, and no function reports a failure (a
// missing file or key reads as the default, a failed write leaves the file
// as it was).
#pragma once

#include <cstdint>
#include <string>

// Section and key names shared by the dialog, gombrel-cli and the posting pass.
extern const char kSectionPaths[];             // "paths"
extern const char kSectionPreferences[];       // "preferences"
extern const char kKeyLastDoe2Path[];          // "LastDOE2Path"
extern const char kKeyLastResultsPath[];       // "LastResultsPath"
extern const char kKeyCheckPostedValues[];     // "CheckPostedValues"
extern const char kKeyDebugXlsPost[];          // "DebugXLSPost"
extern const char kKeyStartCalcEarly[];        // "StartCalcEarly"

// The settings file's name, beside the program or in the user's folder.
extern const char kSettingsFileName[];         // "gombrel.ini"

// Longest value a read returns; longer stored values are cut to it.
constexpr size_t kMaxSettingLength = 259;

// One settings file: its path, and the folder it lies in, which values
// relative to the program are taken from.
class SettingsFile {
public:
    explicit SettingsFile(std::string strPath);

    const std::string &Path() const { return m_strPath; }
    // The file's folder, ending with the separator; empty for a bare name
    // (the current folder).
    const std::string &Folder() const { return m_strFolder; }

private:
    std::string m_strPath;
    std::string m_strFolder;
};

// kSettingsFileName in the running program's folder (the current folder
// when the system cannot tell where the program is).
SettingsFile SettingsBesideProgram();

// The file both front ends use: SettingsFileFor the running program's folder.
SettingsFile SettingsForThisUser();

// kSettingsFileName in strProgramFolder when one is there (a portable copy;
// the build tree gets one, so programs run from it keep their settings
// beside them), otherwise kSettingsFileName in the program's folder of the
// user's configuration folder (gombrel in $XDG_CONFIG_HOME, default
// ~/.config, on Linux; Gombrel in %APPDATA% on Windows, where a program
// installed into Program Files cannot write beside itself), whose folder the
// first write makes.  Beside the program too when the system names no
// configuration folder.
SettingsFile SettingsFileFor(const std::string &strProgramFolder);

// Where SettingsForThisUser finds the file, as a sentence for the user (a
// line break before the second place, none at the end).
std::string SettingsPlaceText();

// The value of key in section (section and key names compare without regard
// to letter case, blanks around the value are dropped and so is one pair of
// enclosing quotes), pszDefault (null reads as empty) when the key is
// missing, cut to kMaxSettingLength characters.  With bPrefixProgramFolder a
// value that is empty, or that holds no ':' and begins with neither '\' nor
// '/', is taken relative to the settings file's folder.
std::string ReadSettingString(const SettingsFile &settings, const char *pszSection, const char *pszKey, const char *pszDefault = nullptr,
                              bool bPrefixProgramFolder = false);

// Stores strValue under key, replacing the old value in its line or adding
// the key (and its section) when missing; every other line stays as it was.
// A missing folder of the file is made first (only the owner may enter the
// last one, as the user's configuration folders should be).
// The file is replaced in one step, so a crash never leaves half a file.  A
// value holding a line break would split the file's lines and is not stored.
void WriteSettingString(const SettingsFile &settings, const char *pszSection, const char *pszKey, const std::string &strValue);

// The integer at the start of the key's text (blanks, an optional sign and
// decimal digits; 0 when the text starts otherwise), iDefault when the key is
// missing or its value empty.  Values beyond the 32-bit range saturate.
int32_t ReadSettingInt(const SettingsFile &settings, const char *pszSection, const char *pszKey, int32_t iDefault);

// Stores the decimal text of iValue.
void WriteSettingInt(const SettingsFile &settings, const char *pszSection, const char *pszKey, int32_t iValue);
