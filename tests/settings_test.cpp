#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Settings.h"

namespace {

namespace fs = std::filesystem;

// Points the settings at a file in a fresh folder of its own for each test.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("gombrel-settings-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        g_strProgramFolder = m_folder.string() + "/";
        g_strSettingsPath = g_strProgramFolder + kSettingsFileName;
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void Store(const std::string &strText) const { std::ofstream(g_strSettingsPath, std::ios::binary) << strText; }

    std::string Stored() const
    {
        std::ostringstream text;
        text << std::ifstream(g_strSettingsPath, std::ios::binary).rdbuf();
        return text.str();
    }

    size_t FilesInFolder() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()));
    }

    fs::path m_folder;
};

TEST(SettingsPath, LiesBesideTheProgram)
{
    InitSettingsPath();
    ASSERT_FALSE(g_strProgramFolder.empty());
    EXPECT_EQ(g_strProgramFolder.back(), '/');
    EXPECT_EQ(g_strSettingsPath, g_strProgramFolder + "gombrel.ini");
    EXPECT_TRUE(fs::exists(g_strProgramFolder + "settings_test"));
}

TEST_F(SettingsFile, MissingFileReadsDefaults)
{
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastDoe2Path), "");
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastDoe2Path, "fallback"), "fallback");
    EXPECT_EQ(ReadSettingInt(kSectionPreferences, kKeyCheckPostedValues, 1), 1);
    EXPECT_EQ(ReadSettingInt(kSectionPreferences, kKeyDebugXlsPost, 0), 0);
    EXPECT_FALSE(fs::exists(g_strSettingsPath));
}

TEST_F(SettingsFile, FirstWriteCreatesFileAndSections)
{
    WriteSettingString(kSectionPaths, kKeyLastDoe2Path, "D:\\DOE22\\");
    WriteSettingString(kSectionPaths, kKeyLastResultsPath, "D:\\Std140\\Runs");
    WriteSettingInt(kSectionPreferences, kKeyCheckPostedValues, 1);
    EXPECT_EQ(Stored(), "[paths]\nLastDOE2Path=D:\\DOE22\\\nLastResultsPath=D:\\Std140\\Runs\n"
                        "[preferences]\nCheckPostedValues=1\n");
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastDoe2Path), "D:\\DOE22\\");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(SettingsFile, WriteReplacesValueInPlaceAndKeepsOtherLines)
{
    Store("; written by hand\n[Paths]\n  lastdoe2path = old\nodd line\n\n[preferences]\nDebugXLSPost=1\n");
    WriteSettingString(kSectionPaths, kKeyLastDoe2Path, "/opt/doe22");
    WriteSettingString(kSectionPaths, kKeyLastResultsPath, "/srv/runs");
    EXPECT_EQ(Stored(), "; written by hand\n[Paths]\nLastDOE2Path=/opt/doe22\nodd line\nLastResultsPath=/srv/runs\n\n"
                        "[preferences]\nDebugXLSPost=1\n");
}

TEST_F(SettingsFile, ValueWithLineBreakIsNotStored)
{
    WriteSettingString(kSectionPaths, kKeyLastDoe2Path, "/opt/doe22");
    WriteSettingString(kSectionPaths, kKeyLastDoe2Path, "/opt\n[preferences]\nDebugXLSPost=1");
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastDoe2Path), "/opt/doe22");
    EXPECT_EQ(ReadSettingInt(kSectionPreferences, kKeyDebugXlsPost, 0), 0);
}

TEST_F(SettingsFile, FailedWriteLeavesFileAsItWas)
{
    g_strSettingsPath = g_strProgramFolder + "missing-folder/" + kSettingsFileName;
    WriteSettingString(kSectionPaths, kKeyLastDoe2Path, "/opt/doe22");
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastDoe2Path), "");
    EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(SettingsFile, FileThatCannotBeUpdatedIsNeverReplaced)
{
    Store("[paths]\nLastDOE2Path=/kept\n[preferences]\nCheckPostedValues=0\n");
    fs::permissions(g_strSettingsPath, fs::perms::owner_read);
    if (geteuid() == 0)
        GTEST_SKIP() << "file modes do not bind root";
    WriteSettingString(kSectionPaths, kKeyLastDoe2Path, "/new");
    fs::permissions(g_strSettingsPath, fs::perms::owner_all);
    EXPECT_EQ(Stored(), "[paths]\nLastDOE2Path=/kept\n[preferences]\nCheckPostedValues=0\n");
}

TEST_F(SettingsFile, SomethingElseNamedLikeTheFileIsNeitherReadNorReplaced)
{
    ASSERT_EQ(mkfifo(g_strSettingsPath.c_str(), 0600), 0);
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastDoe2Path, "default"), "default");
    WriteSettingString(kSectionPaths, kKeyLastDoe2Path, "/new");
    EXPECT_TRUE(fs::is_fifo(g_strSettingsPath));
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(SettingsFile, ReadsLikeTheProfileFunctions)
{
    Store("[paths]\r\nLastDOE2Path = \"C:\\quoted\\\" \r\nLastResultsPath=\r\n[other]\r\nLastDOE2Path=wrong\r\n");
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastDoe2Path), "C:\\quoted\\");
    EXPECT_EQ(ReadSettingString("PATHS", "lastdoe2PATH"), "C:\\quoted\\");
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastResultsPath, "unused"), "");
    EXPECT_EQ(ReadSettingString("missing", kKeyLastDoe2Path, "fallback"), "fallback");
}

TEST_F(SettingsFile, LongValueIsCutTo259Characters)
{
    const std::string path = "D:\\" + std::string(297, 'x');
    WriteSettingString(kSectionPaths, kKeyLastResultsPath, path);
    EXPECT_NE(Stored().find(path), std::string::npos);
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastResultsPath), path.substr(0, 259));
}

struct IntCase {
    const char *pszName;
    const char *pszStored;
    int32_t iExpected;
};

class SettingsInt : public SettingsFile, public ::testing::WithParamInterface<IntCase> {};

TEST_P(SettingsInt, ReadsLeadingInteger)
{
    Store(std::string("[preferences]\nCheckPostedValues=") + GetParam().pszStored + "\n");
    EXPECT_EQ(ReadSettingInt(kSectionPreferences, kKeyCheckPostedValues, 1), GetParam().iExpected);
}

INSTANTIATE_TEST_SUITE_P(CheckPostedValues, SettingsInt,
                         ::testing::Values(IntCase{"Zero", "0", 0}, IntCase{"Negative", "-1", -1},
                                           IntCase{"Two", "2", 2}, IntCase{"Text", "yes", 0},
                                           IntCase{"LeadingDigits", "12abc", 12}, IntCase{"Empty", "", 1},
                                           IntCase{"Huge", "99999999999", INT32_MAX}),
                         [](const ::testing::TestParamInfo<IntCase> &info) { return info.param.pszName; });

TEST_F(SettingsFile, WrittenIntegerReadsBack)
{
    WriteSettingInt(kSectionPreferences, kKeyCheckPostedValues, 0);
    EXPECT_EQ(ReadSettingInt(kSectionPreferences, kKeyCheckPostedValues, 1), 0);
    WriteSettingInt(kSectionPreferences, kKeyCheckPostedValues, -7);
    EXPECT_EQ(ReadSettingInt(kSectionPreferences, kKeyCheckPostedValues, 1), -7);
    EXPECT_EQ(Stored(), "[preferences]\nCheckPostedValues=-7\n");
}

struct PrefixCase {
    const char *pszName;
    const char *pszStored;
    bool bRelative;
};

class SettingsPrefix : public SettingsFile, public ::testing::WithParamInterface<PrefixCase> {};

TEST_P(SettingsPrefix, RelativeValuesLieInProgramFolder)
{
    WriteSettingString("files", "Name", GetParam().pszStored);
    const std::string expected = (GetParam().bRelative ? g_strProgramFolder : "") + GetParam().pszStored;
    EXPECT_EQ(ReadSettingString("files", "Name", nullptr, true), expected);
    EXPECT_EQ(ReadSettingString("files", "Name", nullptr, false), GetParam().pszStored);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsPrefix,
                         ::testing::Values(PrefixCase{"Empty", "", true}, PrefixCase{"Relative", "data\\x", true},
                                           PrefixCase{"Drive", "C:\\x", false},
                                           PrefixCase{"Share", "\\\\server\\x", false},
                                           PrefixCase{"Absolute", "/srv/x", false}),
                         [](const ::testing::TestParamInfo<PrefixCase> &info) { return info.param.pszName; });

TEST_F(SettingsFile, MissingKeyWithPrefixGivesProgramFolder)
{
    EXPECT_EQ(ReadSettingString(kSectionPaths, kKeyLastDoe2Path, nullptr, true), g_strProgramFolder);
}

}  // namespace
