#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FilePath.h"
#include "Paths.h"
#include "ProgramPath.h"
#include "ScopedVariable.h"
#include "ScratchFolder.h"
#include "UserFolders.h"

namespace {

// strPath written with '/', in the platform's form.
std::string Native(std::string strPath)
{
    for (char &c : strPath)
        if (c == '/')
            c = NativeSeparator();
    return strPath;
}

}  // namespace

TEST(NativePath, TurnsEveryBackslashIntoTheSeparator)
{
    EXPECT_EQ(NativePath("C:\\data\\results\\Sec5-2\\600-Zv\\600-Zv - Baseline Design"),
              Native("C:/data/results/Sec5-2/600-Zv/600-Zv - Baseline Design"));
    EXPECT_EQ(NativePath("\\Std140Sec5-2.xls"), Native("/Std140Sec5-2.xls"));
}

TEST(NativePath, LeavesTextWithoutBackslashesAlone)
{
    EXPECT_EQ(NativePath(""), "");
    EXPECT_EQ(NativePath("/a b/c"), "/a b/c");
}

TEST(WithTrailingSeparator, AddsTheSeparatorOnlyWhenMissing)
{
    EXPECT_EQ(WithTrailingSeparator("/opt/doe22"), "/opt/doe22" + std::string(1, NativeSeparator()));
    EXPECT_EQ(WithTrailingSeparator(Native("/opt/doe22/")), Native("/opt/doe22/"));
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(FilePath, NamesOutsideAsciiReachTheFileSystemAndComeBackAsWritten)
{
    const ScratchFolder scratch;
    const std::string folder = scratch / "Wärme Ω";
    const std::string file = folder + NativeSeparator() + "Ergebnisse-é.txt";
    ASSERT_TRUE(std::filesystem::create_directory(FilePath(folder)));
    std::FILE *pFile = OpenFile(file, "wb");
    ASSERT_NE(pFile, nullptr);
    std::fclose(pFile);
    ASSERT_TRUE(std::filesystem::is_regular_file(FilePath(file)));
    std::filesystem::directory_iterator entries(FilePath(scratch.Path()));
    ASSERT_NE(entries, std::filesystem::directory_iterator());
    EXPECT_EQ(PathText(entries->path()), folder);
    EXPECT_EQ(PathText(std::filesystem::directory_iterator(FilePath(folder))->path().filename()), "Ergebnisse-é.txt");
}

TEST(ExecutableFolder, IsTheAbsoluteFolderOfTheRunningProgram)
{
    const std::filesystem::path folder = FilePath(ExecutableFolder());
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::equivalent(folder, FilePath(PLATFORM_TEST_FOLDER)));
}

TEST(ExecutableFolder, HasNoTrailingSeparator)
{
    const std::string folder = ExecutableFolder();
    ASSERT_GT(folder.size(), 3u);
    EXPECT_NE(folder.back(), NativeSeparator());
}

TEST(InstalledLibraryFolder, IsLibGombrelBesideTheProgramsFolder)
{
    const std::string programFolder = ExecutableFolder();
    const std::string root = programFolder.substr(0, programFolder.rfind(NativeSeparator()));
    EXPECT_EQ(InstalledLibraryFolder(), root + Native("/lib/gombrel"));
}

#ifdef _WIN32
// The shell's folder, which the profile also gives every process as
// %APPDATA%: roaming, not the machine's local application data.
TEST(UserConfigFolder, IsTheRoamingApplicationDataFolder)
{
    const char *pszAppData = std::getenv("APPDATA");
    ASSERT_NE(pszAppData, nullptr);
    EXPECT_EQ(UserConfigFolder(), pszAppData);
}
#else
TEST(UserConfigFolder, IsXdgConfigHomeWhenAbsolute)
{
    ScopedVariable config("XDG_CONFIG_HOME", "/srv/config/");
    ScopedVariable home("HOME", "/home/someone");
    EXPECT_EQ(UserConfigFolder(), "/srv/config");
}

TEST(UserConfigFolder, IsDotConfigInTheHomeFolderOtherwise)
{
    ScopedVariable home("HOME", "/home/someone");
    {
        ScopedVariable config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(UserConfigFolder(), "/home/someone/.config");
    }
    ScopedVariable config("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(UserConfigFolder(), "/home/someone/.config");
}

TEST(UserConfigFolder, WithoutHomeIsTheAccountsHomeFolder)
{
    ScopedVariable config("XDG_CONFIG_HOME", nullptr);
    ScopedVariable home("HOME", nullptr);
    const std::string folder = UserConfigFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.substr(folder.size() - 8), "/.config");
}
#endif
