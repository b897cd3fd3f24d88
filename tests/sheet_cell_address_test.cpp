#include <gtest/gtest.h>

#include "CellAddress.h"

TEST(CellAddress, ReadsAndWritesA1Addresses)
{
    struct Case {
        const char *pszText;
        int iColumn;
        int iRow;
        const char *pszFormatted;
    };
    const Case cases[] = {
        {"A1", 1, 1, "A1"}, {"c65", 3, 65, "C65"}, {"Z9", 26, 9, "Z9"}, {"AA10", 27, 10, "AA10"}, {"IV65536", 256, 65536, "IV65536"},
    };
    for (const Case &c : cases) {
        CellAddress address;
        ASSERT_TRUE(ParseCellAddress(c.pszText, address)) << c.pszText;
        EXPECT_EQ(address.iColumn, c.iColumn) << c.pszText;
        EXPECT_EQ(address.iRow, c.iRow) << c.pszText;
        EXPECT_EQ(FormatCellAddress(address), c.pszFormatted);
    }
}

TEST(CellAddress, RefusesWhatIsNoCellOfTheOldWorkbook)
{
    for (const char *text : {"", "A", "65", "A0", "A01", "IW1", "A65537", "A1B", "$A$1", "A-1", "ABC1"}) {
        CellAddress address;
        EXPECT_FALSE(ParseCellAddress(text, address)) << text;
    }
}

TEST(CellAddress, WideWorkbooksReachFurther)
{
    CellAddress address;
    ASSERT_TRUE(ParseCellAddress("XFD1048576", address, kWideWorkbookLimits));
    EXPECT_EQ(address.iColumn, 16384);
    EXPECT_EQ(address.iRow, 1048576);
    EXPECT_FALSE(ParseCellAddress("XFE1", address, kWideWorkbookLimits));
    EXPECT_FALSE(ParseCellAddress("A1048577", address, kWideWorkbookLimits));
    EXPECT_FALSE(ParseCellAddress("IW1", address));
}

TEST(CellArea, ContainsItsCornersAndWhatLiesBetween)
{
    const CellArea area{{2, 3}, {4, 6}};
    EXPECT_EQ(area.CellCount(), 12);
    for (const CellAddress &inside : {CellAddress{2, 3}, CellAddress{4, 6}, CellAddress{3, 5}})
        EXPECT_TRUE(area.Contains(inside)) << inside.iColumn << "," << inside.iRow;
    for (const CellAddress &outside : {CellAddress{1, 3}, CellAddress{5, 6}, CellAddress{3, 2}, CellAddress{3, 7}})
        EXPECT_FALSE(area.Contains(outside)) << outside.iColumn << "," << outside.iRow;
}
