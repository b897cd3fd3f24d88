// The rule by which a checking round confirms a number (ConfirmationRule.h):
// when two numbers agree, and what number a cell's text holds.
#include <gtest/gtest.h>

#include "ConfirmationRule.h"

namespace {

struct MatchCase {
    const char *pszName;
    double dCell;
    double dComputed;
    bool bMatches;
};

class ValueMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(ValueMatch, UsesStrictBounds)
{
    EXPECT_EQ(PostedValueMatches(GetParam().dCell, GetParam().dComputed), GetParam().bMatches);
}

INSTANTIATE_TEST_SUITE_P(Pairs, ValueMatch,
                         ::testing::Values(MatchCase{"Equal", 3.0, 3.0, true},
                                           MatchCase{"BothZero", 0.0, 0.0, true},
                                           MatchCase{"AboveWithin", 100.09, 100.0, true},
                                           MatchCase{"AboveOutside", 100.11, 100.0, false},
                                           MatchCase{"BelowWithin", -100.09, -100.0, true},
                                           MatchCase{"SignDiffers", -5.0, 5.0, false},
                                           MatchCase{"NearZeroBoth", -0.00009, 0.00009, true},
                                           MatchCase{"NearZeroBoundary", 0.0001, 0.0, false}),
                         [](const ::testing::TestParamInfo<MatchCase> &info) { return info.param.pszName; });

struct NumberTextCase {
    const char *pszName;
    const char *pszText;
    double dNumber;
};

class CellNumber : public ::testing::TestWithParam<NumberTextCase> {};

TEST_P(CellNumber, IsTheLeadingDecimalNumber)
{
    EXPECT_EQ(LeadingNumber(GetParam().pszText), GetParam().dNumber);
}

INSTANTIATE_TEST_SUITE_P(Texts, CellNumber,
                         ::testing::Values(NumberTextCase{"Plain", "12.5", 12.5},
                                           NumberTextCase{"Blanks", "  -3.25 kWh", -3.25},
                                           NumberTextCase{"Exponent", "1.5e+06", 1.5e6},
                                           NumberTextCase{"BareExponent", "7e", 7.0},
                                           NumberTextCase{"Date", "3/15", 3.0},
                                           NumberTextCase{"NoNumber", "kWh", 0.0},
                                           NumberTextCase{"Hex", "0x10", 0.0},
                                           NumberTextCase{"Infinity", "inf", 0.0},
                                           NumberTextCase{"Empty", "", 0.0}),
                         [](const ::testing::TestParamInfo<NumberTextCase> &info) { return info.param.pszName; });

CellValue Number(double dNumber) { return {CellValue::Kind::Number, dNumber, ""}; }
CellValue Text(const char *pszText) { return {CellValue::Kind::Text, 0.0, pszText}; }

struct ReadCase {
    const char *pszName;
    CellValue cell;
    bool bRead;
    double dNumber;
};

class CellRead : public ::testing::TestWithParam<ReadCase> {};

// What the checking round and verify both read from a cell: an empty cell,
// or one holding an empty text, is never taken for a 0.
TEST_P(CellRead, IsWhatTheCheckingRoundCompares)
{
    double number = -1.0;
    EXPECT_EQ(CheckedCellNumber(GetParam().cell, number), GetParam().bRead);
    if (GetParam().bRead) {
        EXPECT_EQ(number, GetParam().dNumber);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CellRead,
    ::testing::Values(ReadCase{"Empty", CellValue(), false, 0.0}, ReadCase{"EmptyText", Text(""), false, 0.0},
                      ReadCase{"SixDigits", Number(1234567.0), true, 1234570.0},
                      ReadCase{"Date", Text("3/15"), true, 3.0},
                      ReadCase{"TextWithoutNumber", Text("kWh"), true, 0.0}),
    [](const ::testing::TestParamInfo<ReadCase> &info) { return info.param.pszName; });

}  // namespace
