// The settings file's bytes through the settings functions.  Whatever the
// file holds, each key the programs use must read without fault, and writing
// a key must give back what was written while leaving every other key's
// value as it was.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "Settings.h"

namespace {

using SettingKey = std::pair<const char *, const char *>;

// The keys that the dialog, gombrel-cli and the posting pass use.
const std::vector<SettingKey> &ProgramKeys()
{
    static const std::vector<SettingKey> keys = {
        {kSectionPaths, kKeyLastDoe2Path},           {kSectionPaths, kKeyLastResultsPath},
        {kSectionPreferences, kKeyCheckPostedValues}, {kSectionPreferences, kKeyDebugXlsPost},
    };
    return keys;
}

// A settings file in the fuzzer's private folder.
const SettingsFile &PrivateSettingsFile()
{
    static const SettingsFile settings(FuzzWorkFolder() + "/" + kSettingsFileName);
    return settings;
}

// Every key's text as it reads now.
std::vector<std::string> AllValues(const SettingsFile &settings)
{
    std::vector<std::string> values;
    for (const SettingKey &key : ProgramKeys())
        values.push_back(ReadSettingString(settings, key.first, key.second));
    return values;
}

// True for a value that the settings refuse to store.
bool HasLineBreak(const std::string &strValue)
{
    return strValue.find_first_of("\r\n") != std::string::npos;
}

// A value that reads back exactly as written: no line break, no blank at
// either end, not wrapped in quotes, not longer than a read returns.
bool ReadsBackAsWritten(const std::string &strValue)
{
    if (HasLineBreak(strValue) || strValue.size() > kMaxSettingLength)
        return false;
    if (strValue.empty())
        return true;
    const bool bBlankEnd = strValue.front() == ' ' || strValue.front() == '\t' || strValue.back() == ' ' ||
                           strValue.back() == '\t';
    const bool bQuoted = strValue.size() >= 2 && (strValue.front() == '"' || strValue.front() == '\'') &&
                         strValue.back() == strValue.front();
    return !bBlankEnd && !bQuoted;
}

// Writes strValue under the key numbered iKey: every other key keeps its
// value, and the key reads back what was written (a plain value) or what it
// held before (a value with a line break, which is refused).
void CheckWrite(const SettingsFile &settings, size_t iKey, const std::string &strValue)
{
    const std::vector<std::string> before = AllValues(settings);
    WriteSettingString(settings, ProgramKeys()[iKey].first, ProgramKeys()[iKey].second, strValue);
    const std::vector<std::string> after = AllValues(settings);
    for (size_t other = 0; other < after.size(); ++other)
        if (other != iKey)
            FuzzCheck(after[other] == before[other]);
    if (HasLineBreak(strValue))
        FuzzCheck(after[iKey] == before[iKey]);
    else if (ReadsBackAsWritten(strValue))
        FuzzCheck(after[iKey] == strValue);
}

}  // namespace

// One settings file: every key read, one key written and read back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    const SettingsFile &settings = PrivateSettingsFile();
    std::ofstream(settings.Path(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(pData), static_cast<std::streamsize>(nSize));

    for (const SettingKey &setting : ProgramKeys()) {
        FuzzCheck(ReadSettingString(settings, setting.first, setting.second).size() <= kMaxSettingLength);
        ReadSettingString(settings, setting.first, setting.second, "default", true);
    }
    // Writes go to one key, chosen by the input, to keep each run short.
    const size_t key = nSize % ProgramKeys().size();
    const SettingKey &setting = ProgramKeys()[key];
    const std::string former = ReadSettingString(settings, setting.first, setting.second);
    const int32_t number = ReadSettingInt(settings, setting.first, setting.second, -1);
    WriteSettingInt(settings, setting.first, setting.second, number ^ 1);
    FuzzCheck(ReadSettingInt(settings, setting.first, setting.second, -1) == (number ^ 1));
    // The key's former text, written back, must read back the same.
    CheckWrite(settings, key, former);
    CheckWrite(settings, key, former + "\n");
    return 0;
}
