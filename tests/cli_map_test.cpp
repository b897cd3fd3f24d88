#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "CommandOutput.h"
#include "Commands.h"

namespace {

Outcome Map(const Arguments &args)
{
    std::ostringstream out, err;
    const int status = RunMapCommand(args, out, err);
    return {status, out.str(), err.str()};
}

size_t Lines(const std::string &text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(MapCommand, PrintsHeaderAndEveryRecord)
{
    const Outcome run = Map({});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Lines(run.out), 1u + 2154u);
    EXPECT_EQ(run.out.rfind("table\tindex\tpsCol\tiRow\tiAction\tiDecimalPlaces\tiNHRListID\tpsRowKey\t"
                            "psReportKey\tiD2ResFileType\tfMultiplier\tpsSpecialProcessing\t"
                            "iNHRListID_Special\tpsSimResPathFile\tpsItemString\n",
                            0),
              0u);
    EXPECT_NE(run.out.find("Std140Sec5_2Items\t0\tA\t1\t3\t-1\t0\t\t\t0\t1\t(null)\t0\t(null)\tA\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("Std140Sec5_2Items\t1\tC\t65\t0\t3\t2101002\t\tSYSTEM-SUM\t1\t-1\t(null)\t0\t"
                           "\\Sec5-2\\600-Zv\\600-Zv - Baseline Design\t(null)\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\t0.293\tAnnualMax\t6\t"), std::string::npos);
    EXPECT_TRUE(run.err.empty());
}

TEST(MapCommand, SelectsOneTable)
{
    const Outcome run = Map({"--table", "Std140Sec5_4Items"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Lines(run.out), 1u + 38u);
    EXPECT_EQ(run.out.find("Std140Sec5_2Items"), std::string::npos);
}

TEST(MapCommand, RefusesUnknownTablesAndOptions)
{
    for (const Arguments &args : {Arguments{"--table", "Sec5_2"}, Arguments{"--table"}, Arguments{"--tables"},
                                  Arguments{"extra"}}) {
        const Outcome run = Map(args);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_TRUE(run.out.empty());
        EXPECT_EQ(Lines(run.err), 1u) << run.err;
    }
}

}  // namespace
