// Which texts Calc reads the same typed into a cell alone or put into a
// block, and which are months and days: only these may be written in
// blocks.
#include <gtest/gtest.h>

#include "TypedInput.h"

namespace {

struct TypedCase {
    const char *pszName;
    const char *pszText;
    bool bPlain;
    bool bMonthDay;
};

class TypedInput : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedInput, IsTold)
{
    EXPECT_EQ(IsPlainTypedInput(GetParam().pszText), GetParam().bPlain) << GetParam().pszText;
    EXPECT_EQ(IsMonthDayInput(GetParam().pszText), GetParam().bMonthDay) << GetParam().pszText;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedInput,
    ::testing::Values(TypedCase{"Hour", "17", true, false}, TypedCase{"NoHour", "-1", true, false},
                      TypedCase{"Decimal", "0.25", true, false},
                      TypedCase{"TablesFormula", "= 1235 + D146", true, false},
                      TypedCase{"AbsoluteReferences", "=$D$146*2-(C5/4)", true, false},
                      // A date gets a date format typed into a cell, none in a block.
                      TypedCase{"Date", "1/4", false, true}, TypedCase{"TwoDigitDate", "12/31", false, true},
                      TypedCase{"NoPeak", "-1/-1", false, false}, TypedCase{"WithYear", "1/4/2024", false, false},
                      TypedCase{"ThreeDigitDay", "1/400", false, false}, TypedCase{"NoDay", "1/", false, false},
                      TypedCase{"NoMonth", "/4", false, false}, TypedCase{"BlankInDate", "1/ 4", false, false},
                      TypedCase{"Empty", "", false, false}, TypedCase{"Word", "abc", false, false},
                      TypedCase{"Exponent", "1e5", false, false}, TypedCase{"PlusSign", "+5", false, false},
                      TypedCase{"TrailingPoint", "5.", false, false}, TypedCase{"Blank", " 17", false, false},
                      TypedCase{"Apostrophe", "'17", false, false}, TypedCase{"Percent", "5%", false, false},
                      TypedCase{"LoneEquals", "=", false, false}, TypedCase{"Function", "=SUM(C5)", false, false},
                      TypedCase{"SheetReference", "=$A.C5", false, false}, TypedCase{"Range", "=C5:C6", false, false},
                      TypedCase{"Name", "=TOTAL", false, false}, TypedCase{"Text", "=\"a\"", false, false},
                      TypedCase{"LongColumn", "=ABCD1", false, false},
                      TypedCase{"NumberThenLetters", "=1E3", false, false},
                      TypedCase{"Separator", "=C5;C6", false, false}, TypedCase{"DateFormula", "=1/4", true, false}),
    [](const ::testing::TestParamInfo<TypedCase> &info) { return info.param.pszName; });

}  // namespace
