#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "Paths.h"
#include "ProgramPath.h"
#include "ScopedVariable.h"
#include "UserFolders.h"

TEST(NativePath, TurnsEveryBackslashIntoTheSeparator)
{
    EXPECT_EQ(NativePath("/data/results\\Sec5-2\\600-Zv\\600-Zv - Baseline Design"),
              "/data/results/Sec5-2/600-Zv/600-Zv - Baseline Design");
    EXPECT_EQ(NativePath("\\Std140Sec5-2.xls"), "/Std140Sec5-2.xls");
}

TEST(NativePath, LeavesTextWithoutBackslashesAlone)
{
    EXPECT_EQ(NativePath(""), "");
    EXPECT_EQ(NativePath("/a b/c"), "/a b/c");
}

TEST(WithTrailingSeparator, AddsTheSeparatorOnlyWhenMissing)
{
    EXPECT_EQ(WithTrailingSeparator("/opt/doe22"), "/opt/doe22/");
    EXPECT_EQ(WithTrailingSeparator("/opt/doe22/"), "/opt/doe22/");
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(ExecutableFolder, IsTheAbsoluteFolderOfTheRunningProgram)
{
    std::string folder = ExecutableFolder();
    char *resolved = realpath(program_invocation_name, nullptr);
    ASSERT_NE(resolved, nullptr);
    std::string expected(resolved);
    free(resolved);
    EXPECT_EQ(folder, expected.substr(0, expected.rfind('/')));
}

TEST(ExecutableFolder, HasNoTrailingSeparator)
{
    std::string folder = ExecutableFolder();
    ASSERT_GT(folder.size(), 1u);
    EXPECT_EQ(folder.front(), '/');
    EXPECT_NE(folder.back(), '/');
}

TEST(InstalledLibraryFolder, IsLibGombrelBesideTheProgramsFolder)
{
    const std::string programFolder = ExecutableFolder();
    const std::string root = programFolder.substr(0, programFolder.rfind('/'));
    EXPECT_EQ(InstalledLibraryFolder(), root + "/lib/gombrel");
}

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
