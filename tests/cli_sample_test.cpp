// gombrel-cli sample and gombrel-cli store, driven with their own streams.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CommandOutput.h"
#include "Commands.h"
#include "ScratchFolder.h"

namespace {

using ::testing::HasSubstr;

Outcome Command(int (*pCommand)(const Arguments &, std::ostream &, std::ostream &), const Arguments &args)
{
    std::ostringstream out, err;
    const int status = pCommand(args, out, err);
    return {status, out.str(), err.str()};
}

class CliSampleTest : public ::testing::Test {
protected:
    ScratchFolder m_folder;
    std::string m_strFolder = m_folder.Path();
};

TEST_F(CliSampleTest, SampleWritesAStorePerProject)
{
    const Outcome run = Command(RunSampleCommand, {m_strFolder + "/results"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("85 result stores"));
    std::ifstream store(m_strFolder + "/results/Sec5-4/HE210-Zv/HE210_psz_inf22-Zv - Baseline Design.d2r");
    EXPECT_TRUE(store.good());
}

TEST_F(CliSampleTest, SampleWantsExactlyOneFolder)
{
    EXPECT_EQ(Command(RunSampleCommand, {}).status, kExitUsage);
    EXPECT_EQ(Command(RunSampleCommand, {"a", "b"}).status, kExitUsage);
    EXPECT_EQ(Command(RunSampleCommand, {"--help"}).status, kExitUsage);
    EXPECT_EQ(Command(RunSampleCommand, {"--large"}).status, kExitUsage);
    EXPECT_EQ(Command(RunSampleCommand, {"--large", "a", "b"}).status, kExitUsage);
    EXPECT_EQ(Command(RunSampleCommand, {"a", "--large"}).status, kExitUsage);
}

TEST_F(CliSampleTest, SampleIntoAFileFails)
{
    std::ofstream(m_strFolder + "/file") << "x";
    const Outcome run = Command(RunSampleCommand, {m_strFolder + "/file"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("gombrel-cli sample: "));
}

TEST_F(CliSampleTest, StoreListsResultsAndSeriesOfAProject)
{
    ASSERT_EQ(Command(RunSampleCommand, {m_strFolder}).status, 0);
    const std::string project = m_strFolder + "/Sec5-2/600-Zv/600-Zv - Baseline Design";
    for (const std::string &name : {project, project + ".d2r"}) {
        const Outcome run = Command(RunStoreCommand, {name});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.rfind("kind\tfile_type\tid\tvariable\treport_key\trow_key\tvalues\n", 0), 0u);
        EXPECT_THAT(run.out, HasSubstr("result\t1\t2101002\t\tSYSTEM-SUM\t\t-"));
        EXPECT_THAT(run.out, HasSubstr("series\t3\t1020\t1\tS-WALL-EXT\t\thours 8760 min 0 mean "));
    }
}

TEST_F(CliSampleTest, StoreOfSomethingElseSaysWhy)
{
    std::ofstream(m_strFolder + "/notes.d2r") << "plain text";
    const Outcome run = Command(RunStoreCommand, {m_strFolder + "/notes.d2r"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("not an SQLite database"));
    EXPECT_EQ(Command(RunStoreCommand, {m_strFolder + "/missing"}).status, 1);
    EXPECT_EQ(Command(RunStoreCommand, {}).status, kExitUsage);
}

}  // namespace
