#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>
#include <filesystem>

#include "FileModes.h"
#include "FilePath.h"
#include "Paths.h"
#include "ScopedVariable.h"
#include "ScratchFolder.h"
#include "Settings.h"
#include "UserFolders.h"

namespace {

namespace fs = std::filesystem;

// Whether the file refuses to be opened for writing.
bool RefusesWriting(const std::string &strPath)
{
    std::FILE *pFile = OpenFile(strPath, "r+b");
    if (pFile)
        std::fclose(pFile);
    return pFile == nullptr;
}

// A settings file in a fresh folder of its own for each test.
class StoredSettings : public ::testing::Test {
protected:
    void Store(const std::string &strText) const { WriteWholeFile(m_settings.Path(), strText); }

    std::string Stored() const { return ReadWholeFile(m_settings.Path()); }

    size_t FilesInFolder() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_folder.Path()), fs::directory_iterator()));
    }

    ScratchFolder m_folder;
    SettingsFile m_settings{m_folder / kSettingsFileName};
};

TEST(SettingsPath, LiesBesideTheProgram)
{
    const SettingsFile settings = SettingsBesideProgram();
    ASSERT_FALSE(settings.Folder().empty());
    EXPECT_EQ(settings.Folder().back(), NativeSeparator());
    EXPECT_EQ(settings.Path(), settings.Folder() + "gombrel.ini");
    EXPECT_TRUE(fs::exists(FilePath(settings.Folder() + SETTINGS_TEST_PROGRAM)));
}

// What --help tells the user, word for word.
TEST(SettingsPath, HelpTellsThePlaceThisBuildUses)
{
#ifdef _WIN32
    const std::string user = "%APPDATA%\\Gombrel\\gombrel.ini";
#else
    const std::string user = "$XDG_CONFIG_HOME/gombrel/gombrel.ini (default ~/.config/gombrel/gombrel.ini)";
#endif
    EXPECT_EQ(SettingsPlaceText(), "gombrel.ini beside the program when one is there, otherwise\n" + user + ".");
}

// The rule both front ends follow: a settings file beside the program wins,
// otherwise the user's configuration folder holds it.
class SettingsPlace : public ::testing::Test {
protected:
    SettingsPlace() { fs::create_directories(FilePath(m_strProgramFolder)); }

    std::string Beside() const { return m_strProgramFolder + NativeSeparator() + "gombrel.ini"; }

    ScratchFolder m_folder;
    std::string m_strProgramFolder = m_folder / "bin";
    std::string m_strConfigHome = m_folder / "config";
    ScopedVariable m_configHome{"XDG_CONFIG_HOME", m_strConfigHome.c_str()};
};

TEST_F(SettingsPlace, FileBesideTheProgramIsUsedWhenThere)
{
    WriteWholeFile(Beside(), "[preferences]\nCheckPostedValues=0\n");
    const SettingsFile settings = SettingsFileFor(m_strProgramFolder);
    EXPECT_EQ(settings.Path(), Beside());
    WriteSettingString(settings, kSectionPaths, kKeyLastDoe2Path, "/opt/doe22");
    EXPECT_EQ(ReadSettingInt(settings, kSectionPreferences, kKeyCheckPostedValues, 1), 0);
    EXPECT_FALSE(fs::exists(m_strConfigHome));
}

#ifdef _WIN32
// Only the place: a write would go into the profile of whoever runs the
// tests (scripts/test-windows saves there from the installed program).
TEST_F(SettingsPlace, OtherwiseGombrelInTheRoamingApplicationDataHoldsIt)
{
    const SettingsFile settings = SettingsFileFor(m_strProgramFolder);
    EXPECT_EQ(settings.Path(), UserConfigFolder() + "\\Gombrel\\gombrel.ini");
}
#else
TEST_F(SettingsPlace, OtherwiseTheUsersConfigurationFolderHoldsItMadeOnFirstWrite)
{
    const SettingsFile settings = SettingsFileFor(m_strProgramFolder);
    EXPECT_EQ(settings.Path(), m_strConfigHome + "/gombrel/gombrel.ini");
    EXPECT_EQ(ReadSettingInt(settings, kSectionPreferences, kKeyCheckPostedValues, 1), 1);
    EXPECT_FALSE(fs::exists(m_strConfigHome)) << "a read makes no folder";
    WriteSettingInt(settings, kSectionPreferences, kKeyCheckPostedValues, 0);
    EXPECT_EQ(ReadWholeFile(m_strConfigHome + "/gombrel/gombrel.ini"), "[preferences]\nCheckPostedValues=0\n");
    EXPECT_EQ(fs::status(m_strConfigHome + "/gombrel").permissions(), fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(Beside()));
}
#endif

TEST(SettingsPath, TheBuiltProgramsKeepTheirSettingsBesideThem)
{
    EXPECT_EQ(SettingsForThisUser().Path(), SettingsBesideProgram().Path());
}

TEST_F(StoredSettings, MissingFileReadsDefaults)
{
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path), "");
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "fallback"), "fallback");
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 1), 1);
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyDebugXlsPost, 0), 0);
    EXPECT_FALSE(fs::exists(m_settings.Path()));
}

TEST_F(StoredSettings, FirstWriteCreatesFileAndSections)
{
    WriteSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "D:\\DOE22\\");
    WriteSettingString(m_settings, kSectionPaths, kKeyLastResultsPath, "D:\\Std140\\Runs");
    WriteSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 1);
    EXPECT_EQ(Stored(), "[paths]\nLastDOE2Path=D:\\DOE22\\\nLastResultsPath=D:\\Std140\\Runs\n"
                        "[preferences]\nCheckPostedValues=1\n");
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path), "D:\\DOE22\\");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(StoredSettings, WriteReplacesValueInPlaceAndKeepsOtherLines)
{
    Store("; written by hand\n[Paths]\n  lastdoe2path = old\nodd line\n\n[preferences]\nDebugXLSPost=1\n");
    WriteSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "/opt/doe22");
    WriteSettingString(m_settings, kSectionPaths, kKeyLastResultsPath, "/srv/runs");
    EXPECT_EQ(Stored(), "; written by hand\n[Paths]\nLastDOE2Path=/opt/doe22\nodd line\nLastResultsPath=/srv/runs\n\n"
                        "[preferences]\nDebugXLSPost=1\n");
}

TEST_F(StoredSettings, ValueWithLineBreakIsNotStored)
{
    WriteSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "/opt/doe22");
    WriteSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "/opt\n[preferences]\nDebugXLSPost=1");
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path), "/opt/doe22");
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyDebugXlsPost, 0), 0);
}

TEST_F(StoredSettings, FailedWriteLeavesFileAsItWas)
{
    WriteWholeFile(m_folder / "not-a-folder", "");
    m_settings = SettingsFile(m_settings.Folder() + "not-a-folder/" + kSettingsFileName);
    WriteSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "/opt/doe22");
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path), "");
    EXPECT_EQ(FilesInFolder(), 1u);
    EXPECT_TRUE(fs::is_regular_file(m_folder / "not-a-folder"));
}

TEST_F(StoredSettings, FileThatCannotBeUpdatedIsNeverReplaced)
{
    Store("[paths]\nLastDOE2Path=/kept\n[preferences]\nCheckPostedValues=0\n");
    fs::permissions(m_settings.Path(), fs::perms::owner_read);
    if (!MakeFileModesBind() || !RefusesWriting(m_settings.Path()))
        GTEST_SKIP() << "file modes do not bind this process (root, or Wine run by root)";
    WriteSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "/new");
    fs::permissions(m_settings.Path(), fs::perms::owner_all);
    EXPECT_EQ(Stored(), "[paths]\nLastDOE2Path=/kept\n[preferences]\nCheckPostedValues=0\n");
}

// Windows has no named pipes in the file system.
#ifndef _WIN32
TEST_F(StoredSettings, SomethingElseNamedLikeTheFileIsNeitherReadNorReplaced)
{
    ASSERT_EQ(mkfifo(m_settings.Path().c_str(), 0600), 0);
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "default"), "default");
    WriteSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, "/new");
    EXPECT_TRUE(fs::is_fifo(m_settings.Path()));
    EXPECT_EQ(FilesInFolder(), 1u);
}
#endif

TEST_F(StoredSettings, ReadsLikeTheProfileFunctions)
{
    Store("[paths]\r\nLastDOE2Path = \"C:\\quoted\\\" \r\nLastResultsPath=\r\n[other]\r\nLastDOE2Path=wrong\r\n");
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path), "C:\\quoted\\");
    EXPECT_EQ(ReadSettingString(m_settings, "PATHS", "lastdoe2PATH"), "C:\\quoted\\");
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastResultsPath, "unused"), "");
    EXPECT_EQ(ReadSettingString(m_settings, "missing", kKeyLastDoe2Path, "fallback"), "fallback");
}

TEST_F(StoredSettings, LongValueIsCutTo259Characters)
{
    const std::string path = "D:\\" + std::string(297, 'x');
    WriteSettingString(m_settings, kSectionPaths, kKeyLastResultsPath, path);
    EXPECT_NE(Stored().find(path), std::string::npos);
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastResultsPath), path.substr(0, 259));
}

struct IntCase {
    const char *pszName;
    const char *pszStored;
    int32_t iExpected;
};

class SettingsInt : public StoredSettings, public ::testing::WithParamInterface<IntCase> {};

TEST_P(SettingsInt, ReadsLeadingInteger)
{
    Store(std::string("[preferences]\nCheckPostedValues=") + GetParam().pszStored + "\n");
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 1), GetParam().iExpected);
}

INSTANTIATE_TEST_SUITE_P(CheckPostedValues, SettingsInt,
                         ::testing::Values(IntCase{"Zero", "0", 0}, IntCase{"Negative", "-1", -1},
                                           IntCase{"Two", "2", 2}, IntCase{"Text", "yes", 0},
                                           IntCase{"LeadingDigits", "12abc", 12}, IntCase{"Empty", "", 1},
                                           IntCase{"Huge", "99999999999", INT32_MAX}),
                         [](const ::testing::TestParamInfo<IntCase> &info) { return info.param.pszName; });

TEST_F(StoredSettings, WrittenIntegerReadsBack)
{
    WriteSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 0);
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 1), 0);
    WriteSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, -7);
    EXPECT_EQ(ReadSettingInt(m_settings, kSectionPreferences, kKeyCheckPostedValues, 1), -7);
    EXPECT_EQ(Stored(), "[preferences]\nCheckPostedValues=-7\n");
}

struct PrefixCase {
    const char *pszName;
    const char *pszStored;
    bool bRelative;
};

class SettingsPrefix : public StoredSettings, public ::testing::WithParamInterface<PrefixCase> {};

TEST_P(SettingsPrefix, RelativeValuesLieInProgramFolder)
{
    WriteSettingString(m_settings, "files", "Name", GetParam().pszStored);
    const std::string expected = (GetParam().bRelative ? m_settings.Folder() : "") + GetParam().pszStored;
    EXPECT_EQ(ReadSettingString(m_settings, "files", "Name", nullptr, true), expected);
    EXPECT_EQ(ReadSettingString(m_settings, "files", "Name", nullptr, false), GetParam().pszStored);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsPrefix,
                         ::testing::Values(PrefixCase{"Empty", "", true}, PrefixCase{"Relative", "data\\x", true},
                                           PrefixCase{"Drive", "C:\\x", false},
                                           PrefixCase{"Share", "\\\\server\\x", false},
                                           PrefixCase{"Absolute", "/srv/x", false}),
                         [](const ::testing::TestParamInfo<PrefixCase> &info) { return info.param.pszName; });

TEST_F(StoredSettings, MissingKeyWithPrefixGivesProgramFolder)
{
    EXPECT_EQ(ReadSettingString(m_settings, kSectionPaths, kKeyLastDoe2Path, nullptr, true), m_settings.Folder());
}

}  // namespace
