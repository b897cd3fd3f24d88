// What a round does with a record's cell given its value (CellAction.h):
// the one rule by which the posting pass writes a text or a number, and by
// which values, verify and check tell which it wrote.
#include <gtest/gtest.h>

#include "CellAction.h"

namespace {

struct ActionCase {
    const char *pszName;
    int32_t iRecordAction;
    const char *pszText;  // the text the evaluation made
    bool bIsString;       // a formula's text
    int32_t iCellAction;
};

class CellActionOf : public ::testing::TestWithParam<ActionCase> {};

TEST_P(CellActionOf, RecordAndValue)
{
    GombrelData item = kDefaultGombrelData;
    item.psCol = "C";
    item.iRow = 65;
    item.iAction = GetParam().iRecordAction;
    ItemValue value;
    value.dNumber = 12.5;
    value.strText = GetParam().pszText;
    value.bIsString = GetParam().bIsString;
    EXPECT_EQ(CellAction(item, value), GetParam().iCellAction);
    EXPECT_EQ(PostsText(item, value), GetParam().iCellAction == GOMBREL_ACTION_TEXT);
}

INSTANTIATE_TEST_SUITE_P(
    Records, CellActionOf,
    ::testing::Values(ActionCase{"Number", GOMBREL_ACTION_NUMBER, "", false, GOMBREL_ACTION_NUMBER},
                      ActionCase{"FormulaOnANumberRecord", GOMBREL_ACTION_NUMBER, "=12.5/3.412", true,
                                 GOMBREL_ACTION_TEXT},
                      // Only a formula's text is posted as one: a number record's
                      // value with a text beside it still posts its number.
                      ActionCase{"TextBesideANumber", GOMBREL_ACTION_NUMBER, "3/15", false, GOMBREL_ACTION_NUMBER},
                      ActionCase{"EmptyFormulaText", GOMBREL_ACTION_NUMBER, "", true, GOMBREL_ACTION_NUMBER},
                      ActionCase{"Date", GOMBREL_ACTION_TEXT, "3/15", false, GOMBREL_ACTION_TEXT},
                      ActionCase{"EmptyText", GOMBREL_ACTION_TEXT, "", false, GOMBREL_ACTION_TEXT},
                      ActionCase{"Clear", GOMBREL_ACTION_CLEAR, "", false, GOMBREL_ACTION_CLEAR}),
    [](const ::testing::TestParamInfo<ActionCase> &info) { return info.param.pszName; });

}  // namespace
