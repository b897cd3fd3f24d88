#include "Settings.h"

#include <filesystem>
#include <system_error>

#include "FilePath.h"
#include "Paths.h"
#include "ProgramPath.h"
#include "UserFolders.h"

const char kSettingsFileName[] = "gombrel.ini";
const char kSectionPaths[] = "paths";
const char kSectionPreferences[] = "preferences";
const char kKeyLastDoe2Path[] = "LastDOE2Path";
const char kKeyLastResultsPath[] = "LastResultsPath";
const char kKeyCheckPostedValues[] = "CheckPostedValues";
const char kKeyDebugXlsPost[] = "DebugXLSPost";
const char kKeyStartCalcEarly[] = "StartCalcEarly";

namespace {

// The name the folder of the user's settings is made from.
const char kProgramName[] = "Gombrel";

}  // namespace

SettingsFile SettingsBesideProgram()
{
    return SettingsFile(WithTrailingSeparator(ExecutableFolder()) + kSettingsFileName);
}

SettingsFile SettingsForThisUser() { return SettingsFileFor(ExecutableFolder()); }

SettingsFile SettingsFileFor(const std::string &strProgramFolder)
{
    SettingsFile beside(WithTrailingSeparator(strProgramFolder) + kSettingsFileName);
    std::error_code error;
    if (std::filesystem::exists(FilePath(NativePath(beside.Path())), error))
        return beside;
    const std::string configFolder = UserConfigFolder();
    if (configFolder.empty())
        return beside;
    return SettingsFile(WithTrailingSeparator(configFolder) + ProgramConfigFolderName(kProgramName) + NativeSeparator() +
                        kSettingsFileName);
}

std::string SettingsPlaceText()
{
    return std::string(kSettingsFileName) + " beside the program when one is there, otherwise\n" +
           UserConfigPlace(ProgramConfigFolderName(kProgramName) + "/" + kSettingsFileName) + ".";
}

std::string ReadLastDoe2PathSetting(const SettingsFile &settings)
{
    return ReadSettingString(settings, kSectionPaths, kKeyLastDoe2Path);
}

std::string ReadLastResultsPathSetting(const SettingsFile &settings)
{
    return ReadSettingString(settings, kSectionPaths, kKeyLastResultsPath);
}

bool ReadCheckPostedSetting(const SettingsFile &settings)
{
    return ReadSettingInt(settings, kSectionPreferences, kKeyCheckPostedValues, 1) > 0;
}

int32_t ReadLogFlagSetting(const SettingsFile &settings)
{
    return ReadSettingInt(settings, kSectionPreferences, kKeyDebugXlsPost, 0);
}

bool ReadStartCalcEarlySetting(const SettingsFile &settings)
{
    return ReadSettingInt(settings, kSectionPreferences, kKeyStartCalcEarly, 1) > 0;
}

void SaveRunSettings(const SettingsFile &settings, const std::string &strDoe2Path, const std::string &strResultsPath,
                     bool bCheckPosted)
{
    WriteSettingString(settings, kSectionPaths, kKeyLastDoe2Path, strDoe2Path);
    WriteSettingString(settings, kSectionPaths, kKeyLastResultsPath, strResultsPath);
    WriteSettingInt(settings, kSectionPreferences, kKeyCheckPostedValues, bCheckPosted ? 1 : 0);
}
