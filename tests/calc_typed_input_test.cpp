// Which texts Calc reads the same typed into a cell alone or put into a
// block: only these may be written in blocks.
#include <gtest/gtest.h>

#include "TypedInput.h"

namespace {

struct TypedCase {
    const char *pszName;
    const char *pszText;
    bool bPlain;
};

class PlainTypedInput : public ::testing::TestWithParam<TypedCase> {};

TEST_P(PlainTypedInput, IsTold)
{
    EXPECT_EQ(IsPlainTypedInput(GetParam().pszText), GetParam().bPlain) << GetParam().pszText;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlainTypedInput,
    ::testing::Values(TypedCase{"Hour", "17", true}, TypedCase{"NoHour", "-1", true},
                      TypedCase{"Decimal", "0.25", true}, TypedCase{"TablesFormula", "= 1235 + D146", true},
                      TypedCase{"AbsoluteReferences", "=$D$146*2-(C5/4)", true},
                      // A date gets a date format typed into a cell, none in a block.
                      TypedCase{"Date", "1/4", false}, TypedCase{"NoDate", "-1/-1", false},
                      TypedCase{"Empty", "", false}, TypedCase{"Word", "abc", false},
                      TypedCase{"Exponent", "1e5", false}, TypedCase{"PlusSign", "+5", false},
                      TypedCase{"TrailingPoint", "5.", false}, TypedCase{"Blank", " 17", false},
                      TypedCase{"Apostrophe", "'17", false}, TypedCase{"Percent", "5%", false},
                      TypedCase{"LoneEquals", "=", false}, TypedCase{"Function", "=SUM(C5)", false},
                      TypedCase{"SheetReference", "=$A.C5", false}, TypedCase{"Range", "=C5:C6", false},
                      TypedCase{"Name", "=TOTAL", false}, TypedCase{"Text", "=\"a\"", false},
                      TypedCase{"LongColumn", "=ABCD1", false}, TypedCase{"NumberThenLetters", "=1E3", false},
                      TypedCase{"Separator", "=C5;C6", false}),
    [](const ::testing::TestParamInfo<TypedCase> &info) { return info.param.pszName; });

}  // namespace
