#include <gtest/gtest.h>

#include "Paths.h"

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
