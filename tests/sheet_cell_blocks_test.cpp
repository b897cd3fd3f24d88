// Cells of a sheet gathered into the rectangles a block write or read
// covers.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "CellBlocks.h"
#include "FormatText.h"
#include "MappingTables.h"

namespace {

std::vector<CellAddress> Cells(const std::vector<std::string> &names)
{
    std::vector<CellAddress> cells;
    for (const std::string &name : names) {
        CellAddress address;
        EXPECT_TRUE(ParseCellAddress(name, address)) << name;
        cells.push_back(address);
    }
    return cells;
}

std::vector<std::string> Names(const std::vector<CellArea> &areas)
{
    std::vector<std::string> names;
    for (const CellArea &area : areas)
        names.push_back(FormatCellAddress(area.first) + ":" + FormatCellAddress(area.last));
    return names;
}

// Every one of cells lies in exactly one area, and the areas hold no other cell.
void ExpectExactCover(const std::vector<CellAddress> &cells, const std::vector<CellArea> &areas, const std::string &strWhat)
{
    const std::set<CellAddress> wanted(cells.begin(), cells.end());
    int64_t covered = 0;
    for (const CellArea &area : areas) {
        covered += area.CellCount();
        for (int row = area.first.iRow; row <= area.last.iRow; ++row)
            for (int column = area.first.iColumn; column <= area.last.iColumn; ++column)
                EXPECT_EQ(wanted.count({column, row}), 1u) << strWhat << ": " << FormatCellAddress({column, row});
    }
    EXPECT_EQ(covered, static_cast<int64_t>(wanted.size())) << strWhat;
}

struct ExactCase {
    const char *pszName;
    std::vector<std::string> cells;
    std::vector<std::string> areas;
};

class ExactAreasOf : public ::testing::TestWithParam<ExactCase> {};

TEST_P(ExactAreasOf, CoverTheCellsAndNothingElse)
{
    const std::vector<CellAddress> cells = Cells(GetParam().cells);
    const std::vector<CellArea> areas = ExactAreas(cells);
    EXPECT_EQ(Names(areas), GetParam().areas);
    ExpectExactCover(cells, areas, GetParam().pszName);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ExactAreasOf,
    ::testing::Values(ExactCase{"None", {}, {}}, ExactCase{"OneCell", {"C65"}, {"C65:C65"}},
                      ExactCase{"Column", {"C66", "C65", "C67"}, {"C65:C67"}},
                      ExactCase{"Row", {"E5", "C5", "D5"}, {"C5:E5"}},
                      ExactCase{"RectangleInAnyOrder", {"D6", "C5", "E6", "D5", "E5", "C6"}, {"C5:E6"}},
                      ExactCase{"GapInAColumn", {"C1", "C2", "C4"}, {"C1:C2", "C4:C4"}},
                      ExactCase{"NarrowerRowBelow", {"C1", "D1", "E1", "C2", "D2", "E2", "C3"}, {"C1:E2", "C3:C3"}},
                      ExactCase{"WiderRowBelow", {"C1", "D1", "C2", "D2", "E2"}, {"C1:D1", "C2:E2"}},
                      ExactCase{"ColumnsApart", {"C1", "C2", "E1", "E2"}, {"C1:C2", "E1:E2"}},
                      ExactCase{"SameCellTwice", {"B2", "B2", "B3"}, {"B2:B3"}},
                      ExactCase{"BeyondColumnZ", {"Y9", "Z9", "AA9", "Y10", "Z10", "AA10"}, {"Y9:AA10"}}),
    [](const ::testing::TestParamInfo<ExactCase> &info) { return info.param.pszName; });

// The cells the tables' records post into, table by table: covered exactly,
// in far fewer rectangles than cells.
TEST(ExactAreas, CoverTheCellsOfEveryTableInFewRectangles)
{
    for (const MappingTable &table : g_aMappingTables) {
        std::vector<CellAddress> cells;
        for (const GombrelData *item = table.pItems(); !IsEndRecord(*item); ++item)
            if (item->iAction != GOMBREL_ACTION_SELECT_SHEET)
                cells.push_back(Cells({FormatText("%s%d", item->psCol, item->iRow)}).front());
        const std::vector<CellArea> areas = ExactAreas(cells);
        ExpectExactCover(cells, areas, table.pszName);
        EXPECT_LT(areas.size() * 5, cells.size()) << table.pszName;
    }
}

TEST(CoveringAreas, HoldEveryCellInOneAreaWhenTheyLieClose)
{
    const std::vector<CellAddress> cells = Cells({"C65", "I500", "E146", "C65"});
    EXPECT_EQ(Names(CoveringAreas(cells)), std::vector<std::string>{"C65:I500"});
}

TEST(CoveringAreas, SplitRowsFarApartIntoBandsThatHoldEveryCell)
{
    const std::vector<CellAddress> cells = Cells({"A1", "B2", "A60000", "C60001", "IV30000"});
    const std::vector<CellArea> areas = CoveringAreas(cells);
    EXPECT_EQ(Names(areas), (std::vector<std::string>{"A1:B2", "IV30000:IV30000", "A60000:C60001"}));
    for (const CellAddress &cell : cells)
        EXPECT_EQ(std::count_if(areas.begin(), areas.end(), [&](const CellArea &area) { return area.Contains(cell); }), 1)
            << FormatCellAddress(cell);
    EXPECT_TRUE(CoveringAreas({}).empty());
}

}  // namespace
