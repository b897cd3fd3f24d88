#include <gtest/gtest.h>

#include "FailureReports.h"

TEST(OleFailureReport, ShowsTheStatusAsEightHexDigits)
{
    const FailureReport report = OleFailureReport(0x80010108u);
    EXPECT_EQ(report.strCaption, "COleException");
    EXPECT_EQ(report.strText, "COleException. SCODE: 80010108.");
}

TEST(OleFailureReport, WidensASmallStatusWithZeros)
{
    EXPECT_EQ(OleFailureReport(0x5u).strText, "COleException. SCODE: 00000005.");
}

TEST(DispatchFailureReport, ShowsTheWidenedCodeAndTheQuotedDescription)
{
    const FailureReport report = DispatchFailureReport(0x3ec, "Sheet 'B' not found");
    EXPECT_EQ(report.strCaption, "COleDispatchException");
    EXPECT_EQ(report.strText, "COleDispatchException. SCODE: 000003ec, Description: \"Sheet 'B' not found\".");
}

TEST(DispatchFailureReport, KeepsAnEmptyDescriptionBetweenItsQuotes)
{
    EXPECT_EQ(DispatchFailureReport(0, "").strText, "COleDispatchException. SCODE: 00000000, Description: \"\".");
}

TEST(DispatchFailureReport, KeepsADescriptionThatJustFits)
{
    const size_t fixed = DispatchFailureReport(1, "").strText.size();
    const std::string description(kFailureTextLimit - fixed, 'x');
    const FailureReport report = DispatchFailureReport(1, description);
    EXPECT_EQ(report.strText.size(), kFailureTextLimit);
    EXPECT_NE(report.strText.find(description + "\"."), std::string::npos);
}

TEST(DispatchFailureReport, CutsALongDescriptionAndKeepsTheClosingWords)
{
    const std::string description(5000, 'y');
    const FailureReport report = DispatchFailureReport(0xffff, description);
    EXPECT_EQ(report.strText.size(), kFailureTextLimit);
    EXPECT_EQ(report.strText.rfind("COleDispatchException. SCODE: 0000ffff, Description: \"yyy", 0), 0u);
    EXPECT_EQ(report.strText.substr(report.strText.size() - 6), "y...\".");
}

TEST(DispatchFailureReport, NeverCutsInsideACharacter)
{
    // "é" is two bytes: whatever the cut, no lone lead byte may remain.
    std::string description;
    for (int i = 0; i < 800; ++i)
        description += "\xC3\xA9";
    const std::string text = DispatchFailureReport(2, description).strText;
    EXPECT_LE(text.size(), kFailureTextLimit);
    const size_t ellipsis = text.rfind("...\".");
    ASSERT_NE(ellipsis, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(text[ellipsis - 1]), 0xA9);
}

TEST(GeneralFailureReport, IsTheCatchAllBox)
{
    const FailureReport report = GeneralFailureReport();
    EXPECT_EQ(report.strCaption, "Catch-All");
    EXPECT_EQ(report.strText, "General Exception caught.");
}

TEST(RoundsFailureReport, NamesWorkbookTabCellAndProperty)
{
    const FailureReport report =
        RoundsFailureReport("/data/results/Std140Sec5-2.xls", {"A", "C65", "(tab selection)"});
    EXPECT_EQ(report.strCaption, "Gombrel");
    EXPECT_EQ(report.strText,
              "Error interfacing with Excel spreadsheet:\n   /data/results/Std140Sec5-2.xls\n      tab: A\n"
              "      cell: C65\n      property: (tab selection)");
}

TEST(RoundsFailureReport, LeavesEmptyContextTextsEmpty)
{
    EXPECT_EQ(RoundsFailureReport("w.xls", {}).strText,
              "Error interfacing with Excel spreadsheet:\n   w.xls\n      tab: \n      cell: \n      property: ");
}

TEST(NotInstalledReport, IsTheOneLineBoxWithoutDetail)
{
    const FailureReport report = NotInstalledReport("");
    EXPECT_EQ(report.strCaption, "Gombrel");
    EXPECT_EQ(report.strText, "Excel is not installed on this machine.");
}

TEST(NotInstalledReport, AddsWhatWasLookedForAsASecondLine)
{
    EXPECT_EQ(NotInstalledReport("No /usr/lib/libreoffice/program/soffice.bin").strText,
              "Excel is not installed on this machine.\nNo /usr/lib/libreoffice/program/soffice.bin");
}
