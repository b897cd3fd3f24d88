#include <gtest/gtest.h>

#include "SheetValueCache.h"

namespace {

CellValue Number(double dNumber)
{
    CellValue value;
    value.kind = CellValue::Kind::Number;
    value.dNumber = dNumber;
    return value;
}

CellValue Text(const std::string &strText)
{
    CellValue value;
    value.kind = CellValue::Kind::Text;
    value.strText = strText;
    return value;
}

// A cache that knows the cells B2:C3 and holds a block of them read at
// version 7: B2 2, C2 "x", B3 empty, C3 unknown.
SheetValueCache CacheWithBlock()
{
    SheetValueCache cache;
    cache.NoteCell({2, 2});
    cache.NoteCell({3, 3});
    cache.StoreBlock(7, cache.BlockArea(), {Number(2), Text("x"), CellValue(), std::nullopt});
    return cache;
}

}  // namespace

TEST(SheetValueCache, TheBlockSpansEveryNotedCell)
{
    SheetValueCache cache;
    cache.NoteCell({5, 10});
    cache.NoteCell({2, 40});
    cache.NoteCell({3, 1});
    const CellArea area = cache.BlockArea();
    EXPECT_EQ(area.first.iColumn, 2);
    EXPECT_EQ(area.first.iRow, 1);
    EXPECT_EQ(area.last.iColumn, 5);
    EXPECT_EQ(area.last.iRow, 40);
}

TEST(SheetValueCache, AnswersFromTheBlockAtItsVersion)
{
    const SheetValueCache cache = CacheWithBlock();
    const auto number = cache.Lookup(7, {2, 2});
    ASSERT_TRUE(number);
    EXPECT_EQ(number->kind, CellValue::Kind::Number);
    EXPECT_EQ(number->dNumber, 2.0);
    const auto text = cache.Lookup(7, {3, 2});
    ASSERT_TRUE(text);
    EXPECT_EQ(text->strText, "x");
    const auto empty = cache.Lookup(7, {2, 3});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->kind, CellValue::Kind::None);
}

TEST(SheetValueCache, DoesNotAnswerAfterAChangeOutsideTheBlockOrForAnUnknownCell)
{
    const SheetValueCache cache = CacheWithBlock();
    EXPECT_FALSE(cache.Lookup(8, {2, 2}));  // something changed since the block was read
    EXPECT_FALSE(cache.Lookup(7, {4, 2}));
    EXPECT_FALSE(cache.Lookup(7, {2, 4}));
    EXPECT_FALSE(cache.Lookup(7, {3, 3}));
    EXPECT_FALSE(SheetValueCache().Lookup(0, {1, 1}));
}

TEST(SheetValueCache, KeepsNoBlockOfTheWrongSize)
{
    SheetValueCache cache;
    cache.NoteCell({1, 1});
    cache.NoteCell({2, 1});
    cache.StoreBlock(1, cache.BlockArea(), {Number(1)});
    EXPECT_FALSE(cache.Lookup(1, {1, 1}));
}

TEST(SheetValueCache, ASmallSheetIsReadWholeAtTheSecondReadWithNothingChanged)
{
    SheetValueCache cache;
    cache.NoteCell({1, 1});
    cache.NoteCell({1, SheetValueCache::kCellsPerRead});
    EXPECT_FALSE(cache.ShouldReadBlock(3, {1, 1}));
    EXPECT_TRUE(cache.ShouldReadBlock(3, {1, SheetValueCache::kCellsPerRead}));
}

TEST(SheetValueCache, AChangeBetweenReadsStartsTheCountAgain)
{
    SheetValueCache cache;
    cache.NoteCell({1, 1});
    EXPECT_FALSE(cache.ShouldReadBlock(3, {1, 1}));
    EXPECT_FALSE(cache.ShouldReadBlock(4, {1, 1}));
    EXPECT_FALSE(cache.ShouldReadBlock(5, {1, 1}));
    EXPECT_TRUE(cache.ShouldReadBlock(5, {1, 1}));
}

TEST(SheetValueCache, ALargerBlockWaitsForReadsThatCostAsMuch)
{
    SheetValueCache cache;
    cache.NoteCell({1, 1});
    cache.NoteCell({5, SheetValueCache::kCellsPerRead});  // worth five single reads
    for (int read = 1; read <= 5; ++read)
        EXPECT_FALSE(cache.ShouldReadBlock(1, {1, 1})) << read;
    EXPECT_TRUE(cache.ShouldReadBlock(1, {1, 1}));
}

TEST(SheetValueCache, NeverReadsAHugeBlockOrOneWithoutTheCell)
{
    SheetValueCache huge;
    huge.NoteCell({1, 1});
    huge.NoteCell({256, 65536});
    SheetValueCache small;
    small.NoteCell({1, 1});
    for (int read = 0; read < 100; ++read) {
        EXPECT_FALSE(huge.ShouldReadBlock(1, {1, 1}));
        EXPECT_FALSE(small.ShouldReadBlock(1, {2, 2}));
    }
    EXPECT_FALSE(SheetValueCache().ShouldReadBlock(1, {1, 1}));
}
