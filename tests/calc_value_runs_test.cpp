#include <gtest/gtest.h>

#include "ValueRuns.h"

namespace {

// The runs as text: "C5:1,2 D1:3".
std::string Shown(const std::vector<ValueRun> &runs)
{
    std::string text;
    for (const ValueRun &run : runs) {
        text += (text.empty() ? "" : " ") + FormatCellAddress(run.first) + ":";
        for (size_t i = 0; i < run.values.size(); ++i)
            text += (i ? "," : "") + std::to_string(static_cast<int>(run.values[i]));
    }
    return text;
}

std::map<CellAddress, double> Values(std::initializer_list<std::pair<const char *, double>> cells)
{
    std::map<CellAddress, double> values;
    for (const auto &[pszCell, dNumber] : cells) {
        CellAddress address;
        EXPECT_TRUE(ParseCellAddress(pszCell, address)) << pszCell;
        values[address] = dNumber;
    }
    return values;
}

}  // namespace

TEST(ColumnRuns, GroupsNeighboursOfAColumnTopToBottom)
{
    struct Case {
        const char *pszName;
        std::map<CellAddress, double> values;
        const char *pszRuns;
    };
    const Case cases[] = {
        {"nothing", {}, ""},
        {"one cell", Values({{"C5", 1}}), "C5:1"},
        {"a column", Values({{"C7", 3}, {"C5", 1}, {"C6", 2}}), "C5:1,2,3"},
        {"a gap", Values({{"C5", 1}, {"C7", 3}}), "C5:1 C7:3"},
        {"a row is no run", Values({{"D5", 2}, {"C5", 1}}), "C5:1 D5:2"},
        {"columns in turn", Values({{"D1", 4}, {"C9", 1}, {"D2", 5}, {"C10", 2}}), "C9:1,2 D1:4,5"},
        {"bottom of one column, top of the next", Values({{"C65536", 1}, {"D1", 2}}), "C65536:1 D1:2"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Shown(ColumnRuns(c.values, {})), c.pszRuns) << c.pszName;
}

TEST(ColumnRuns, KeepsCellsInAreasApartOnTheirOwn)
{
    const std::map<CellAddress, double> values = Values({{"C1", 1}, {"C2", 2}, {"C3", 3}, {"C4", 4}, {"C5", 5}});
    EXPECT_EQ(Shown(ColumnRuns(values, {{{3, 2}, {3, 2}}})), "C1:1 C2:2 C3:3,4,5");
    EXPECT_EQ(Shown(ColumnRuns(values, {{{1, 3}, {5, 4}}})), "C1:1,2 C3:3 C4:4 C5:5");
    EXPECT_EQ(Shown(ColumnRuns(values, {{{4, 1}, {9, 9}}})), "C1:1,2,3,4,5");
}
