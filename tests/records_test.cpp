#include <gtest/gtest.h>

#include "FormatText.h"
#include "GombrelData.h"

namespace {

GombrelData SampleRecord()
{
    GombrelData item = kDefaultGombrelData;
    item.psCol = "C";
    item.iRow = 65;
    item.iNHRListID = 2101002;
    item.psReportKey = "SYSTEM-SUM";
    item.iD2ResFileType = 1;
    item.fMultiplier = -1;
    item.psSimResPathFile = "\\Sec5-2\\600-Zv\\600-Zv - Baseline Design";
    return item;
}

std::string Describe(const GombrelData &item)
{
    std::string text = "previous contents";
    DescribeGombrelData(item, text);
    return text;
}

TEST(GombrelData, DescriptionPrintsEveryFieldButDecimalPlaces)
{
    EXPECT_EQ(Describe(SampleRecord()),
              "GombrelData item - psCol: 'C', iRow: 65, iAction: 0, iNHRListID: 2101002, psRowKey: '', "
              "psReportKey: 'SYSTEM-SUM', iD2ResFileType: 1, fMultiplier: -1, psSpecialProcessing: '(null)', "
              "iNHRListID_Special: 0, psSimResPathFile: '\\Sec5-2\\600-Zv\\600-Zv - Baseline Design', "
              "psItemString: '(null)'");
}

TEST(GombrelData, DescriptionShowsMultiplierAsShortestDecimal)
{
    struct Case {
        float fMultiplier;
        const char *pszShown;
    };
    for (const Case &c : {Case{0.293f, "fMultiplier: 0.293,"}, Case{-1.0f, "fMultiplier: -1,"},
                          Case{1000.0f, "fMultiplier: 1000,"}, Case{1.00005f, "fMultiplier: 1.00005,"}}) {
        GombrelData item = SampleRecord();
        item.fMultiplier = c.fMultiplier;
        EXPECT_NE(Describe(item).find(c.pszShown), std::string::npos) << c.pszShown;
    }
}

TEST(GombrelData, DescriptionTellsNullFromEmpty)
{
    GombrelData item = SampleRecord();
    item.psSpecialProcessing = "";
    item.psItemString = nullptr;
    item.psRowKey = "";
    const std::string text = Describe(item);
    EXPECT_NE(text.find("psSpecialProcessing: '',"), std::string::npos);
    EXPECT_NE(text.find("psItemString: '(null)'"), std::string::npos);
    EXPECT_NE(text.find("psRowKey: '',"), std::string::npos);
}

TEST(GombrelData, DescriptionOfEndRecordShowsNullColumnAndPath)
{
    const std::string text = Describe(kDefaultGombrelData);
    EXPECT_EQ(text.rfind("GombrelData item - psCol: '(null)', iRow: 0, iAction: 0,", 0), 0u);
    EXPECT_NE(text.find("psSimResPathFile: '(null)'"), std::string::npos);
}

TEST(GombrelData, EndRecordIsRecognisedByNullColumnAlone)
{
    GombrelData item = SampleRecord();
    EXPECT_FALSE(IsEndRecord(item));
    item.iRow = 0;
    EXPECT_FALSE(IsEndRecord(item)) << "row 0 with a column is still a record";
    item.psCol = nullptr;
    EXPECT_TRUE(IsEndRecord(item)) << "other fields do not matter";
    EXPECT_TRUE(IsEndRecord(kDefaultGombrelData));
}

TEST(FormatText, GrowsBeyondAnyFixedBuffer)
{
    const std::string longText(5000, 'x');
    EXPECT_EQ(FormatText("<%s>", longText.c_str()).size(), 5002u);
    EXPECT_EQ(FormatText("%s", ""), "");
    EXPECT_EQ(FormatText("%d%%", 5), "5%");
}

}  // namespace
