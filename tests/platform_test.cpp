#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "Paths.h"
#include "ProgramPath.h"

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
